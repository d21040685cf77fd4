#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The game's sounds, synthesised: mono, 16-bit, SoundRate samples a second,
// each the same samples on every run.
constexpr int SoundRate = 22050;

// A short, bright shot: a falling chirp of odd harmonics over a click of noise. 0.28 s.
std::vector<std::int16_t> MakeShotSound();
// A burst: a low, falling thump and a rumble under a crackle of pops that
// thins out and fades. 1.4 s.
std::vector<std::int16_t> MakeBurstSound();
// The engine's hum, one second that loops without a seam: harmonics of 55 Hz
// that throb six times a second over a low rush, every part whole cycles long.
std::vector<std::int16_t> MakeEngineSound();

// Writes Sounds/shot.wav, Sounds/burst.wav and Sounds/engine.wav into outDir.
bool WriteSounds(const std::string& outDir, std::string& error);
