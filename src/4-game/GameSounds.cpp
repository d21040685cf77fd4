#include "GameSounds.h"

#include "Camera.h"
#include "Game.h"
#include "1-audio/SoundClip.h"
#include "3-entities/Ship.h"

#include <algorithm>

namespace {

int LoadSound(SoundMixer& mixer, const char* file)
{
    SoundClip clip;
    clip.Load(file);
    return mixer.AddSound(clip);
}

Vector3f Direction(Vector3f from, Vector3f to)
{
    Vector3f d = to - from;
    d.Normalize();
    return d;
}

}  // namespace

void GameSounds::Init()
{
    if (!mixer.Init())
        return;
    shot = LoadSound(mixer, ShotFile);
    burst = LoadSound(mixer, BurstFile);
    engine = LoadSound(mixer, EngineFile);
}

void GameSounds::OnShot(Vector3f from)
{
    Queue(shot, from);
}

void GameSounds::OnBurst(Vector3f at)
{
    Queue(burst, at);
}

void GameSounds::Queue(int sound, Vector3f position)
{
    pending[pendingNext] = Pending{sound, position};
    pendingNext = (pendingNext + 1) % MaxPending;
    pendingCount = std::min(pendingCount + 1, MaxPending);
}

void GameSounds::Update(const Game& game, float dt)
{
    const Ship* ship = game.GetShip();
    const Vector3f eye = game.GetEye();
    mixer.SetListener(eye, Direction(eye, ship->GetPosition()), game.GetCamera()->GetUp());

    // Oldest first, so that the latest end up holding the voices.
    for (int i = pendingCount; i > 0; i--) {
        const Pending& event = pending[(pendingNext - i + MaxPending) % MaxPending];
        mixer.Play(event.sound, event.position);
    }
    pendingCount = 0;

    const float step = dt > 0.0f ? dt / EngineFadeDt : 0.0f;
    const float target = ship->GetThrust() == 1 ? 1.0f : 0.0f;
    engineGain = engineGain < target ? std::min(target, engineGain + step) : std::max(target, engineGain - step);
    mixer.SetLoop(engine, ship->GetPosition(), engineGain);
}
