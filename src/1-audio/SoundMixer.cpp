#include "SoundMixer.h"

#include "SoundClip.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>

namespace {

constexpr int LoopVoice = SoundMixer::VoiceCount - 1;

bool IsPlaying(ALuint source)
{
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

}  // namespace

SoundMixer::~SoundMixer()
{
    if (!ready)
        return;
    alSourceStopv(VoiceCount, sources);
    alDeleteSources(VoiceCount, sources);
    if (!buffers.empty())
        alDeleteBuffers(static_cast<ALsizei>(buffers.size()), buffers.data());
}

bool SoundMixer::Init()
{
    if (ready || alcGetCurrentContext() == nullptr)
        return ready;
    alGetError();
    alGenSources(VoiceCount, sources);
    if (alGetError() != AL_NO_ERROR)
        return false;
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    for (ALuint source : sources) {
        alSourcef(source, AL_REFERENCE_DISTANCE, ReferenceDistance);
        alSourcef(source, AL_ROLLOFF_FACTOR, Rolloff);
    }
    alSourcei(sources[LoopVoice], AL_LOOPING, AL_TRUE);
    ready = true;
    return true;
}

int SoundMixer::AddSound(const SoundClip& clip)
{
    if (!ready || clip.IsEmpty())
        return -1;
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    const std::vector<std::int16_t>& samples = clip.GetSamples();
    alBufferData(buffer, AL_FORMAT_MONO16, samples.data(), static_cast<ALsizei>(samples.size() * sizeof(samples[0])),
                 clip.GetRate());
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        return -1;
    }
    buffers.push_back(buffer);
    return static_cast<int>(buffers.size()) - 1;
}

void SoundMixer::SetListener(Vector3f position, Vector3f forward, Vector3f up)
{
    if (!ready)
        return;
    // Unchanged, as while the view rests, it costs nothing: in a page every
    // change of the listener moves every voice's panner.
    const float ear[9] = {position.x, position.y, position.z, forward.x, forward.y, forward.z, up.x, up.y, up.z};
    if (std::equal(ear, ear + 9, listener))
        return;
    std::copy(ear, ear + 9, listener);
    alListener3f(AL_POSITION, position.x, position.y, position.z);
    alListenerfv(AL_ORIENTATION, ear + 3);
}

void SoundMixer::Play(int sound, Vector3f position)
{
    if (!ready || sound < 0 || sound >= static_cast<int>(buffers.size()))
        return;
    // A free voice, or else the one started longest ago.
    int voice = 0;
    for (int i = 0; i < LoopVoice; i++) {
        if (!IsPlaying(sources[i])) {
            voice = i;
            break;
        }
        if (started[i] < started[voice])
            voice = i;
    }
    const ALuint source = sources[voice];
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffers[sound]));
    alSource3f(source, AL_POSITION, position.x, position.y, position.z);
    alSourcePlay(source);
    started[voice] = ++starts;
}

void SoundMixer::SetLoop(int sound, Vector3f position, float gain)
{
    if (!ready)
        return;
    const ALuint source = sources[LoopVoice];
    if (sound < 0 || sound >= static_cast<int>(buffers.size()) || !(gain > 0.0f)) {
        // Down to silence first (OpenAL ramps a change of gain), stopped the
        // call after: cutting it off at a gain above 0 would click.
        if (loopGain > 0.0f)
            alSourcef(source, AL_GAIN, 0.0f);
        else if (loopSound >= 0)
            alSourceStop(source);
        loopGain = 0.0f;
        return;
    }
    loopGain = gain > 1.0f ? 1.0f : gain;
    alSource3f(source, AL_POSITION, position.x, position.y, position.z);
    alSourcef(source, AL_GAIN, loopGain);
    if (loopSound != sound) {
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, static_cast<ALint>(buffers[sound]));
        loopSound = sound;
    }
    if (!IsPlaying(source))
        alSourcePlay(source);
}

int SoundMixer::GetPlayingCount() const
{
    int playing = 0;
    if (ready) {
        for (int i = 0; i < LoopVoice; i++)
            playing += IsPlaying(sources[i]);
    }
    return playing;
}

bool SoundMixer::IsLoopPlaying() const
{
    return ready && IsPlaying(sources[LoopVoice]);
}
