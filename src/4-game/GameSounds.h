#pragma once

#include "0-math/Vector3f.h"
#include "1-audio/SoundMixer.h"

class Game;

// What the game sounds like, heard at the eye: a shot from the ship for each
// bullet fired, a burst where each explosion is made, and the engine from the
// ship while its thrust is on, fading in and out. The Game tells it of shots
// and bursts as they happen; the loop calls Update after each tick. It only
// listens: nothing here changes the game. Without a sound output (no
// current OpenAL context) or for a sound file that did not load, that part
// is silent; it never prints.
class GameSounds {
public:
    static constexpr const char* ShotFile = "Sounds/shot.wav";
    static constexpr const char* BurstFile = "Sounds/burst.wav";
    static constexpr const char* EngineFile = "Sounds/engine.wav";
    static constexpr float EngineFadeDt = 15.0f;  // units of dt from silence to full, and back
    // Sounds waiting for the next Update; beyond this the oldest are dropped,
    // as the mixer would stop them anyway.
    static constexpr int MaxPending = SoundMixer::VoiceCount;

    // Loads the three sounds into the current OpenAL context, if any; file
    // names are relative to the working directory, like the game's assets.
    void Init();

    void OnShot(Vector3f from);  // a bullet fired from there
    void OnBurst(Vector3f at);   // an explosion made there

    // After a tick that played dt: the ear at the game's eye, facing the ship
    // with the camera's up; the shots and bursts since the last Update start
    // (at most MaxPending, the latest); the engine's gain moves towards full
    // while the ship thrusts, towards silence while not, by dt / EngineFadeDt.
    void Update(const Game& game, float dt);

    float GetEngineGain() const { return engineGain; }
    const SoundMixer& GetMixer() const { return mixer; }

private:
    struct Pending {
        int sound;
        Vector3f position;
    };
    void Queue(int sound, Vector3f position);

    SoundMixer mixer;
    int shot = -1;    // the mixer's sounds; -1 where a file failed
    int burst = -1;
    int engine = -1;
    Pending pending[MaxPending] = {};  // a ring: the latest MaxPending events
    int pendingCount = 0;              // events queued since the last Update, up to MaxPending
    int pendingNext = 0;               // slot the next event goes into
    float engineGain = 0.0f;           // 0 silent to 1 full
};
