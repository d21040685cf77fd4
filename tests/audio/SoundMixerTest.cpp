// The mixer through OpenAL Soft's real mixing, recorded by its loopback
// device: the voices stay bounded however many sounds are played, and the
// loop goes quiet before it stops. (Where a sound is heard from is checked
// on a whole flight, in tests/replay.)
#include "1-audio/AudioDevice.h"
#include "1-audio/SoundClip.h"
#include "1-audio/SoundMixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int Rate = 44100;

// A tenth of a second of a steady 440 Hz tone, as a WAVE file.
SoundClip Tone()
{
    constexpr int Count = 2205, ClipRate = 22050;
    std::vector<std::uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                     16, 0, 0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0,
                                     'd', 'a', 't', 'a', Count * 2 & 0xFF, Count * 2 >> 8, 0, 0};
    for (int i = 0; i < Count; i++) {
        const auto v = static_cast<std::int16_t>(12000 * std::sin(2 * 3.141592653589793 * 440 * i / ClipRate));
        wav.push_back(static_cast<std::uint8_t>(v & 0xFF));
        wav.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    }
    SoundClip clip;
    EXPECT_TRUE(clip.Decode(wav.data(), wav.size()));
    return clip;
}

struct Loudness {
    double left = 0, right = 0;  // RMS of each channel
};

Loudness Measure(AudioDevice& device, int frames)
{
    std::vector<std::int16_t> mixed(static_cast<size_t>(frames) * 2);
    device.Render(mixed.data(), frames);
    Loudness l;
    for (int i = 0; i < frames; i++) {
        l.left += static_cast<double>(mixed[2 * i]) * mixed[2 * i];
        l.right += static_cast<double>(mixed[2 * i + 1]) * mixed[2 * i + 1];
    }
    l.left = std::sqrt(l.left / frames);
    l.right = std::sqrt(l.right / frames);
    return l;
}

class SoundMixerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(device.OpenLoopback(Rate));
        ASSERT_TRUE(mixer.Init());
        tone = mixer.AddSound(Tone());
        ASSERT_GE(tone, 0);
        // The ear at the origin, facing -z, up +y: -x is on its left.
        mixer.SetListener(Vector3f(0, 0, 0), Vector3f(0, 0, -1), Vector3f(0, 1, 0));
    }

    AudioDevice device;  // before the mixer, which goes first
    SoundMixer mixer;
    int tone = -1;
};

TEST_F(SoundMixerTest, TenThousandSoundsHoldNoMoreThanTheVoicesAndLeaveTheLoopAlone)
{
    mixer.SetLoop(tone, Vector3f(0, 0, -10), 1.0f);
    for (int i = 0; i < 10000; i++)
        mixer.Play(tone, Vector3f(static_cast<float>(i % 100), 0, -10));
    EXPECT_EQ(SoundMixer::VoiceCount - 1, mixer.GetPlayingCount());
    EXPECT_TRUE(mixer.IsLoopPlaying());
    Measure(device, 1024);

    // Down to silence, then stopped: no sound cut off at full gain.
    Measure(device, 8820);
    mixer.SetLoop(tone, Vector3f(0, 0, -10), 0.0f);
    EXPECT_TRUE(mixer.IsLoopPlaying());
    Measure(device, 1024);
    mixer.SetLoop(tone, Vector3f(0, 0, -10), 0.0f);
    EXPECT_FALSE(mixer.IsLoopPlaying());
    const Loudness after = Measure(device, 1024);
    EXPECT_EQ(0.0, after.left + after.right);
}

}  // namespace
