#include "ReplayAudio.h"

#include "4-game/Game.h"

#include <cmath>

ReplayAudio::~ReplayAudio()
{
    if (game != nullptr)
        game->SetSounds(nullptr);
}

bool ReplayAudio::Open(Game& replayed, const std::string& path, std::string& error)
{
    if (!device.OpenLoopback(Rate)) {
        error = "cannot record sound: OpenAL has no loopback device (ALC_SOFT_loopback) here";
        return false;
    }
    sounds.Init();
    game = &replayed;
    game->SetSounds(&sounds);
    return writer.Open(path, AudioDevice::Channels, Rate, error);
}

bool ReplayAudio::AfterTick(float tickPlayed, std::string& error)
{
    played += tickPlayed;
    const auto due = static_cast<std::uint64_t>(std::llround(played * FramesPerDt));
    if (due <= written)
        return true;
    const auto frames = static_cast<int>(due - written);
    samples.resize(static_cast<size_t>(frames) * AudioDevice::Channels);
    device.Render(samples.data(), frames);
    written = due;
    return writer.Write(samples.data(), static_cast<size_t>(frames), error);
}

bool ReplayAudio::Close(std::string& error)
{
    return writer.Close(error);
}
