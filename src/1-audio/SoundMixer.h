#pragma once

#include "0-math/Vector3f.h"

#include <cstdint>
#include <vector>

class SoundClip;

// A fixed set of voices (OpenAL sources) in the current OpenAL context: short
// sounds played once at a world position, and one looped sound with a gain
// of its own. Positions are world units; the listener hears with OpenAL's
// clamped inverse distance: full gain within ReferenceDistance, then less
// with distance. Memory and the cost of a call stay bounded however many
// sounds are played. Without a context (Init false) every call does nothing.
class SoundMixer {
public:
    static constexpr int VoiceCount = 32;        // sources in all; one is the loop's
    static constexpr float ReferenceDistance = 40.0f;
    static constexpr float Rolloff = 0.5f;

    SoundMixer() = default;
    ~SoundMixer();  // releases its sources and buffers (before the context goes)
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    // Makes the voices in the current context. False, and silent, without one.
    bool Init();

    // The clip as a playable sound; its index, or -1 (silent) for an empty
    // clip or without a context.
    int AddSound(const SoundClip& clip);

    // The ear: at position, facing forward, its up up (unit vectors).
    void SetListener(Vector3f position, Vector3f forward, Vector3f up);

    // Plays the sound once from position. When every voice is busy, the one
    // started longest ago is stopped for it. A sound of -1 does nothing.
    void Play(int sound, Vector3f position);

    // The looped voice plays sound from position at gain (0 to 1), starting
    // over only when it was stopped. A gain of 0 (or a sound of -1) turns it
    // down to silence, and the next such call stops it.
    void SetLoop(int sound, Vector3f position, float gain);

    // Voices now playing a sound once (not the loop), and whether the loop plays.
    int GetPlayingCount() const;
    bool IsLoopPlaying() const;

private:
    std::vector<unsigned int> buffers;  // one per sound, by index
    unsigned int sources[VoiceCount] = {};  // the last is the loop's
    std::uint64_t started[VoiceCount] = {}; // start count when each voice was last started
    std::uint64_t starts = 0;           // sounds started so far
    int loopSound = -1;                 // sound the loop voice holds
    float loopGain = 0.0f;              // the loop's gain as last set
    float listener[9] = {};             // position, forward, up as last set
    bool ready = false;                 // the voices exist
};
