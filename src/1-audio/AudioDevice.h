#pragma once

#include <AL/alc.h>

#include <cstdint>
#include <vector>

// The OpenAL output: a device with its context, made current, so that
// SoundMixer can play. Either the system's sound output, mixed in real time,
// or a loopback device that mixes only when asked (Render), for recording a
// mix without a sound card. Opening never prints: OpenAL's log is off unless
// ALSOFT_LOGLEVEL says otherwise, and what the system's sound libraries print
// while a device is opened is dropped.
class AudioDevice {
public:
    static constexpr int Channels = 2;  // Render writes interleaved stereo, left first

    AudioDevice() = default;
    ~AudioDevice();  // closes
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // The default output. False, with nothing open, when there is no sound
    // output (no card, no sound server) or OpenAL cannot use it.
    bool Open();

    // A loopback device mixing at rate samples a second. False, with nothing
    // open, where OpenAL lacks ALC_SOFT_loopback (as in a web page).
    bool OpenLoopback(int rate);

    void Close();
    bool IsOpen() const { return context != nullptr; }
    bool IsLoopback() const { return render != nullptr; }

    // Loopback only: mixes the next frames (one sample per channel each) into
    // out, clamped and rounded to 16 bits. Nothing is dithered, so silence is
    // zeros. Writes zeros when no loopback device is open.
    void Render(std::int16_t* out, int frames);

private:
    using RenderSamples = void (*)(ALCdevice*, void*, int);

    bool MakeContext(const int* attributes);

    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    RenderSamples render = nullptr;  // alcRenderSamplesSOFT of the open loopback device
    std::vector<float> mixed;        // Render's float mix, a chunk at a time
};
