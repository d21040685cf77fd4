// Any bytes as a sound file: decoded as the game decodes its sounds. What
// decodes must be within the reader's limits.
#include "FuzzTarget.h"

#include "1-audio/SoundClip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SoundClip clip;
    const bool decoded = clip.Decode(data, size);
    if (decoded != !clip.IsEmpty())
        __builtin_trap();
    if (decoded) {
        const bool within = clip.GetRate() >= SoundClip::MinRate && clip.GetRate() <= SoundClip::MaxRate &&
                            clip.GetSamples().size() <= static_cast<std::size_t>(SoundClip::MaxSeconds) * clip.GetRate() &&
                            clip.GetSamples().size() <= size;
        if (!within)
            __builtin_trap();
    }
    return 0;
}
