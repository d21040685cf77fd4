#pragma once

#include "1-audio/AudioDevice.h"
#include "4-game/GameSounds.h"
#include "WavWriter.h"

#include <cstdint>
#include <string>
#include <vector>

class Game;

// The sound of a replay: the game's sounds, mixed by OpenAL's loopback device
// (no sound card needed) and written to a WAVE file, 44,100 Hz, 16-bit
// stereo, FramesPerDt sample frames for each unit of dt played, in step with
// the ticks: the sound of a tick follows the sound of the ticks before it.
// The same replay gives the same bytes.
class ReplayAudio {
public:
    static constexpr int Rate = 44100;
    static constexpr int FramesPerDt = 441;  // a hundredth of a second

    ReplayAudio() = default;
    ~ReplayAudio();  // the game stops telling it anything
    ReplayAudio(const ReplayAudio&) = delete;
    ReplayAudio& operator=(const ReplayAudio&) = delete;

    // Opens the loopback device, loads the game's sounds (from the working
    // directory) and makes them the game's listener, and starts the file.
    // False, with a sentence in error, when any of it fails.
    bool Open(Game& game, const std::string& path, std::string& error);

    // The game's sounds, which the replay tells of every tick.
    GameSounds& GetSounds() { return sounds; }

    // After a tick that played tickPlayed units of dt (what Game::Update
    // returned: whole steps, 0 for a tick too short for one), once the sounds
    // have heard it: the tick's sound (the frames up to the rounded 441 x the
    // game time played so far) is mixed and written.
    bool AfterTick(float tickPlayed, std::string& error);

    // Completes the file.
    bool Close(std::string& error);

private:
    AudioDevice device;  // before sounds, which need its context until they go
    GameSounds sounds;
    WavWriter writer;
    Game* game = nullptr;
    double played = 0.0;         // units of dt played so far
    std::uint64_t written = 0;   // sample frames written so far
    std::vector<std::int16_t> samples;
};
