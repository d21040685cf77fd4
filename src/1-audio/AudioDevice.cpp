#include "AudioDevice.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// From the ALC_SOFT_loopback, ALC_SOFT_HRTF and ALC_SOFT_output_limiter
// extensions (not every OpenAL ships their header).
constexpr ALCint FormatChannels = 0x1990;  // ALC_FORMAT_CHANNELS_SOFT
constexpr ALCint FormatType = 0x1991;      // ALC_FORMAT_TYPE_SOFT
constexpr ALCint StereoChannels = 0x1501;  // ALC_STEREO_SOFT
constexpr ALCint FloatSamples = 0x1406;    // ALC_FLOAT_SOFT
constexpr ALCint Hrtf = 0x1992;            // ALC_HRTF_SOFT
constexpr ALCint OutputLimiter = 0x199A;   // ALC_OUTPUT_LIMITER_SOFT
using LoopbackOpen = ALCdevice* (*)(const ALCchar*);

// Frames mixed by one call of the renderer: bounds the float buffer.
constexpr int RenderChunk = 4096;

// OpenAL Soft logs its errors to stderr, and the sound libraries under it
// print their own when there is no card; the game prints nothing. Standard
// error goes to /dev/null for as long as this lives.
class QuietStderr {
public:
    QuietStderr()
    {
        // The user's own setting wins: a developer may want the log.
        setenv("ALSOFT_LOGLEVEL", "0", 0);
        saved = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (saved >= 0 && null >= 0)
            dup2(null, STDERR_FILENO);
        if (null >= 0)
            close(null);
    }
    ~QuietStderr()
    {
        if (saved >= 0) {
            dup2(saved, STDERR_FILENO);
            close(saved);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved = -1;
};

}  // namespace

AudioDevice::~AudioDevice()
{
    Close();
}

bool AudioDevice::Open()
{
    Close();
    QuietStderr quiet;
    device = alcOpenDevice(nullptr);
    if (device == nullptr)
        return false;
    return MakeContext(nullptr);
}

bool AudioDevice::OpenLoopback(int rate)
{
    Close();
    QuietStderr quiet;
    if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") != ALC_TRUE)
        return false;
    const auto open = reinterpret_cast<LoopbackOpen>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    const auto samples = reinterpret_cast<RenderSamples>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (open == nullptr || samples == nullptr)
        return false;
    device = open(nullptr);
    if (device == nullptr)
        return false;
    // Float out of the mixer, converted here: OpenAL's dither (random) and
    // limiter (level-dependent) stay out of the recording.
    const ALCint attributes[] = {
        ALC_FREQUENCY, rate, FormatChannels, StereoChannels, FormatType, FloatSamples,
        Hrtf, ALC_FALSE, OutputLimiter, ALC_FALSE, 0,
    };
    if (!MakeContext(attributes))
        return false;
    render = samples;
    return true;
}

bool AudioDevice::MakeContext(const int* attributes)
{
    context = alcCreateContext(device, attributes);
    if (context == nullptr || alcMakeContextCurrent(context) != ALC_TRUE) {
        Close();
        return false;
    }
    return true;
}

void AudioDevice::Close()
{
    if (device == nullptr)
        return;
    QuietStderr quiet;
    if (context != nullptr) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
    alcCloseDevice(device);
    device = nullptr;
    context = nullptr;
    render = nullptr;
}

void AudioDevice::Render(std::int16_t* out, int frames)
{
    if (render == nullptr) {
        std::fill(out, out + static_cast<std::ptrdiff_t>(frames) * Channels, std::int16_t(0));
        return;
    }
    mixed.resize(static_cast<std::size_t>(RenderChunk) * Channels);
    while (frames > 0) {
        const int chunk = std::min(frames, RenderChunk);
        render(device, mixed.data(), chunk);
        for (int i = 0; i < chunk * Channels; i++) {
            const float scaled = std::round(std::clamp(mixed[i], -1.0f, 1.0f) * 32767.0f);
            *out++ = static_cast<std::int16_t>(scaled);
        }
        frames -= chunk;
    }
}
