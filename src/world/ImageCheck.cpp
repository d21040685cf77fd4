#include "ImageCheck.h"

#include <algorithm>
#include <cstdio>
#include <vector>

// A private copy of the decoder: static functions only, so nothing clashes
// with the older decoder symbols that SOIL exports.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace {

bool ReadWholeFile(const std::string& fileName, std::vector<unsigned char>& bytes)
{
    FILE* file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr)
        return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size > 0 && size <= ImageCheck::MaxFileBytes && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<size_t>(size));
        ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    return ok;
}

}  // namespace

bool ImageCheck::HasSaneJpegTables(const unsigned char* bytes, std::size_t size)
{
    // A JPEG starts with its SOI marker, D8, after one or more FF fill bytes.
    std::size_t start = 0;
    while (start < size && bytes[start] == 0xFF)
        start++;
    if (start == 0 || start >= size || bytes[start] != 0xD8)
        return true;  // not a JPEG
    // In entropy-coded data 0xFF is always followed by 0x00 or a restart
    // marker, so every FF C4 pair that is not inside another segment starts a
    // table definition. Checking them all may refuse an odd file, never pass
    // a bad table.
    for (std::size_t p = start + 1; p + 4 <= size; p++) {
        if (bytes[p] != 0xFF || bytes[p + 1] != 0xC4)
            continue;
        // The decoders read tables while the segment length says bytes are
        // left, past the segment's end if a table claims more; follow them.
        long remaining = ((static_cast<long>(bytes[p + 2]) << 8) | bytes[p + 3]) - 2;
        std::size_t q = p + 4;
        while (remaining > 0 && q < size) {
            std::size_t codes = 0;
            for (std::size_t i = q + 1; i <= q + 16 && i < size; i++)
                codes += bytes[i];
            if (codes > 256)
                return false;
            q += 17 + codes;
            remaining -= static_cast<long>(17 + codes);
        }
    }
    return true;
}

bool ImageCheck::IsLoadable(const std::string& fileName)
{
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(fileName, bytes))
        return false;
    if (!HasSaneJpegTables(bytes.data(), bytes.size()))
        return false;

    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), length, &width, &height, &channels))
        return false;
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide)
        return false;
    unsigned char* pixels = stbi_load_from_memory(bytes.data(), length, &width, &height, &channels, 0);
    if (pixels == nullptr)
        return false;
    stbi_image_free(pixels);
    return true;
}
