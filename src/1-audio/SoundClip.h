#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One short mono sound, decoded from a WAV file: signed 16-bit samples at a
// rate. The reader is guarded: it checks every size it reads against the
// bytes there are, and refuses what it cannot play rather than guess.
class SoundClip {
public:
    static constexpr int MinRate = 8000;    // samples a second
    static constexpr int MaxRate = 96000;
    static constexpr int MaxSeconds = 20;   // longer sounds are refused, not cut
    static constexpr std::size_t MaxFileBytes = 8u << 20;  // larger files are refused unread

    // Reads and decodes the file (Decode). False, and the clip empty, when
    // it is missing, unreadable, larger than MaxFileBytes or refused.
    bool Load(const char* path);

    // A RIFF WAVE file of uncompressed PCM, one channel, 8 or 16 bits, at
    // MinRate to MaxRate. Chunks other than "fmt " and "data" are skipped;
    // the RIFF size field is not trusted. A data chunk cut short keeps the
    // whole samples it holds. False, and the clip empty, for anything else,
    // for no samples at all, or for more than MaxSeconds of them.
    bool Decode(const std::uint8_t* bytes, std::size_t size);

    bool IsEmpty() const { return samples.empty(); }
    int GetRate() const { return rate; }
    const std::vector<std::int16_t>& GetSamples() const { return samples; }

private:
    void Clear();

    int rate = 0;                        // samples a second; 0 while empty
    std::vector<std::int16_t> samples;   // mono, signed 16-bit
};
