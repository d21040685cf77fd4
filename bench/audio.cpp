// What sound adds to the game: starting it (the output opened, the three
// sounds loaded) and its work after each tick (the ear, the engine, and the
// shots and bursts of the tick started), beside the game's own Init and
// Update in bench_game.
#include "GlTestContext.h"

#include "1-audio/AudioDevice.h"
#include "4-game/Game.h"
#include "4-game/GameSounds.h"

#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {


// 0: the system's output, as the game opens it (none on a machine without
// sound, where this is the cost of finding that out); 1: a loopback device.
void BM_SoundStart(benchmark::State& state)
{
    gltest::EnterGameAssets();
    const bool loopback = state.range(0) == 1;
    bool opened = false;
    for (auto _ : state) {
        AudioDevice device;
        opened = loopback ? device.OpenLoopback(44100) : device.Open();
        GameSounds sounds;
        sounds.Init();
    }
    state.SetLabel(std::string(loopback ? "loopback" : "system output") + (opened ? "" : ", none opened"));
}
BENCHMARK(BM_SoundStart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// GameSounds::Update after a tick with the engine on and `events` shots
// fired in it, on a loopback device (nothing is mixed meanwhile).
void BM_SoundUpdate(benchmark::State& state)
{
    gltest::EnterGameAssets();
    const int events = static_cast<int>(state.range(0));
    auto game = std::make_unique<Game>(gltest::WindowWidth, gltest::WindowHeight);
    game->Init();
    AudioDevice device;
    device.OpenLoopback(44100);
    GameSounds sounds;
    sounds.Init();
    game->OnKeyDown(' ');
    for (auto _ : state) {
        for (int i = 0; i < events; i++)
            sounds.OnShot(Vector3f(0, 0, 20));
        sounds.Update(*game, 1.0f);
    }
}
BENCHMARK(BM_SoundUpdate)->Arg(0)->Arg(1)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
