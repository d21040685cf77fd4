#include "SoundClip.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint16_t PcmFormat = 1;
constexpr std::size_t ChunkHeaderBytes = 8;
constexpr std::size_t FormatBytes = 16;  // the PCM part of a "fmt " chunk

std::uint32_t Read32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Read16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

bool SoundClip::Load(const char* path)
{
    Clear();
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    // The size first, so that a huge file is never read.
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        length = std::ftell(file);
    if (length < 0 || static_cast<unsigned long>(length) > MaxFileBytes || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return false;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    const std::size_t size = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return Decode(bytes.data(), size);
}

bool SoundClip::Decode(const std::uint8_t* bytes, std::size_t size)
{
    Clear();
    if (bytes == nullptr || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return false;

    bool haveFormat = false;
    int channels = 0, bits = 0, blockBytes = 0;
    std::uint32_t fileRate = 0;
    std::size_t at = 12;
    while (size - at >= ChunkHeaderBytes) {
        const std::uint8_t* header = bytes + at;
        const std::size_t left = size - at - ChunkHeaderBytes;
        const std::size_t claimed = Read32(header + 4);
        const std::uint8_t* body = header + ChunkHeaderBytes;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (claimed < FormatBytes || left < FormatBytes)
                return false;
            if (Read16(body) != PcmFormat)
                return false;
            channels = Read16(body + 2);
            fileRate = Read32(body + 4);
            blockBytes = Read16(body + 12);
            bits = Read16(body + 14);
            if (channels != 1 || (bits != 8 && bits != 16) || blockBytes != bits / 8 || fileRate < MinRate ||
                fileRate > MaxRate)
                return false;
            haveFormat = true;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (!haveFormat)
                return false;
            const std::size_t count = (claimed < left ? claimed : left) / static_cast<std::size_t>(blockBytes);
            if (count == 0 || count > static_cast<std::size_t>(MaxSeconds) * fileRate)
                return false;
            samples.resize(count);
            for (std::size_t i = 0; i < count; i++) {
                samples[i] = bits == 16 ? static_cast<std::int16_t>(Read16(body + 2 * i))
                                        : static_cast<std::int16_t>((body[i] - 128) * 256);
            }
            rate = static_cast<int>(fileRate);
            return true;
        }
        // The next chunk; bodies of odd length carry a pad byte.
        if (claimed >= left)
            break;
        at += ChunkHeaderBytes + claimed + (claimed & 1u);
    }
    return false;
}

void SoundClip::Clear()
{
    rate = 0;
    samples.clear();
    samples.shrink_to_fit();
}
