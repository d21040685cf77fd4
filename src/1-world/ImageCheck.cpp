#include "ImageCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// --- JPEG -----------------------------------------------------------------

constexpr unsigned char HuffmanTableMarker = 0xC4;
constexpr unsigned char StartOfScanMarker = 0xDA;
constexpr std::size_t MaxHuffmanCodes = 256;  // the decoders' table size

// The tables of one Huffman table segment, body [p, end), read as the
// decoders read them: a class/slot byte, 16 code counts, then the codes,
// while the segment's length says bytes are left. False for a table of more
// than MaxHuffmanCodes codes (written past the decoders' tables), a bad
// class or slot, tables that overrun the segment or the file (the decoders
// refuse those). Marks every table read in defined.
bool HuffmanTablesFit(const unsigned char* bytes, std::size_t size, std::size_t p, std::size_t end,
                      bool defined[2][4])
{
    while (p < end) {
        if (p + 17 > size)
            return false;
        const int tableClass = bytes[p] >> 4, slot = bytes[p] & 15;
        if (tableClass > 1 || slot > 3)
            return false;
        std::size_t codes = 0;
        for (std::size_t i = p + 1; i <= p + 16; i++)
            codes += bytes[i];
        if (codes > MaxHuffmanCodes)
            return false;
        defined[tableClass][slot] = true;
        p += 17 + codes;
    }
    return p == end && end <= size;
}

// A scan header, body [p, end): true when its length fits its component
// count and every Huffman table it names was defined before it. A table used
// undefined is read uninitialised by SOIL's decoder, past its arrays.
bool ScanTablesDefined(const unsigned char* bytes, std::size_t size, std::size_t p, std::size_t end,
                       const bool defined[2][4])
{
    if (end > size || p >= end)
        return false;
    const std::size_t components = bytes[p];
    if (end - p != 4 + 2 * components)
        return false;
    for (std::size_t i = 0; i < components; i++) {
        const int tables = bytes[p + 2 + 2 * i];
        const int dc = tables >> 4, ac = tables & 15;
        if (dc > 3 || ac > 3 || !defined[0][dc] || !defined[1][ac])
            return false;
    }
    return true;
}

// Where the entropy-coded data starting at p ends: at the first FF that
// starts a marker. In the data an FF byte is followed by 00 (a stuffed FF),
// by a restart marker (D0-D7), or by more FF fill.
std::size_t EndOfScan(const unsigned char* bytes, std::size_t size, std::size_t p)
{
    for (; p + 1 < size; p++) {
        if (bytes[p] != 0xFF)
            continue;
        const unsigned char next = bytes[p + 1];
        if (next == 0x00 || (next >= 0xD0 && next <= 0xD7))
            p++;
        else if (next != 0xFF)
            return p;
    }
    return size;
}

bool IsJpeg(const unsigned char* bytes, std::size_t size)
{
    std::size_t p = 0;
    while (p < size && bytes[p] == 0xFF)
        p++;
    return p > 0 && p < size && bytes[p] == 0xD8;
}

// --- DDS (read by SOIL's own decoder, unknown to the hardened one) --------

std::uint32_t Little32(const unsigned char* b)
{
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

constexpr std::size_t DdsHeaderBytes = 128;
constexpr std::uint32_t MaxDdsMipLevels = 30;  // SOIL shifts the sides by up to one bit more per level

// SOIL's own test: the magic "DDS " and a header size of 124.
bool IsDds(const unsigned char* bytes, std::size_t size)
{
    return size >= 8 && std::memcmp(bytes, "DDS ", 4) == 0 && Little32(bytes + 4) == 124;
}

// True when SOIL's decoder reads the file within its buffers: a header it
// accepts, sides in 1..MaxSide (cube faces stacked), pixel data present for
// every face, and a plausible mipmap count (SOIL steps through every level
// the header claims, up to four billion).
bool IsSafeDds(const unsigned char* bytes, std::size_t size, int maxSide)
{
    if (size < DdsHeaderBytes)
        return false;
    const std::uint32_t requiredFlags = 0x1 | 0x2 | 0x4 | 0x1000;  // caps, height, width, pixel format
    const std::uint32_t flags = Little32(bytes + 8), height = Little32(bytes + 12), width = Little32(bytes + 16);
    const std::uint32_t mipCount = Little32(bytes + 28);
    const std::uint32_t formatSize = Little32(bytes + 76), formatFlags = Little32(bytes + 80);
    const std::uint32_t fourCc = Little32(bytes + 84);
    const std::uint32_t caps1 = Little32(bytes + 108), caps2 = Little32(bytes + 112);
    const bool compressed = (formatFlags & 0x4) != 0, rgb = (formatFlags & 0x40) != 0;
    if ((flags & requiredFlags) != requiredFlags || formatSize != 32 || !(compressed || rgb) || !(caps1 & 0x1000))
        return false;
    const std::uint64_t faces = ((caps2 & 0x200) && width == height) ? 6 : 1;
    if (width < 1 || height < 1 || width > static_cast<std::uint32_t>(maxSide) ||
        height * faces > static_cast<std::uint64_t>(maxSide))
        return false;
    const bool mipmaps = (caps1 & 0x400000) && mipCount > 1;
    if (mipmaps && mipCount > MaxDdsMipLevels)
        return false;

    std::uint64_t faceBytes = 0;
    if (compressed) {
        const int family = static_cast<int>(fourCc >> 24) - '0';  // DXT1 .. DXT5
        if (family < 1 || family > 5)
            return false;
        const std::uint64_t blockBytes = family == 1 ? 8 : 16;
        faceBytes = ((width + 3) / 4) * static_cast<std::uint64_t>((height + 3) / 4) * blockBytes;
    } else {
        const std::uint64_t channels = (formatFlags & 0x1) ? 4 : 3;
        faceBytes = static_cast<std::uint64_t>(width) * height * channels;
    }
    // The last face's mipmaps are skipped, never read: only its base image counts.
    return DdsHeaderBytes + faces * faceBytes <= size;
}

// --- Radiance HDR (decoded by SOIL, left out of the hardened decoder) -----

const char HdrSignature[] = "#?RADIANCE\n";
constexpr std::size_t MaxHdrLine = 1000;  // the decoders cut header lines at 1023 characters
constexpr int HdrRunLengthMinWidth = 8, HdrRunLengthMaxWidth = 32768;  // outside: flat pixels

bool IsHdr(const unsigned char* bytes, std::size_t size)
{
    const std::size_t n = sizeof HdrSignature - 1;
    return size >= n && std::memcmp(bytes, HdrSignature, n) == 0;
}

// The next header line from p, as the decoder sees it: a C string, so it
// ends at its newline or at a NUL byte before that (a line that starts with
// one reads as empty and ends the header). False at the end of the file or
// for an implausibly long line.
bool ReadHdrLine(const unsigned char* bytes, std::size_t size, std::size_t& p, std::string& line)
{
    const unsigned char* newline = static_cast<const unsigned char*>(std::memchr(bytes + p, '\n', size - p));
    if (newline == nullptr || static_cast<std::size_t>(newline - (bytes + p)) > MaxHdrLine)
        return false;
    const std::size_t length = static_cast<std::size_t>(newline - (bytes + p));
    const void* nul = std::memchr(bytes + p, '\0', length);
    line.assign(reinterpret_cast<const char*>(bytes + p),
                nul == nullptr ? length : static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - (bytes + p)));
    p = static_cast<std::size_t>(newline - bytes) + 1;
    return true;
}

// Follows SOIL's decoder through the header and every scanline: true when
// the sides lie in 1..maxSide and all pixel data is present, with every run
// length in 1..what is left of its scanline. SOIL writes past its scanline
// for a longer run and loops forever on a run of 0. When its decoding fails
// it still converts the missing image, with the sides of a header it read or,
// if the header itself failed, whatever its caller's uninitialised sides hold
// (an impossible allocation, or a read through a null pointer): so only
// headers it reads exactly as this walk does may pass.
bool IsSafeHdr(const unsigned char* bytes, std::size_t size, int maxSide)
{
    std::size_t p = 0;
    std::string line;
    bool format = false;
    if (!ReadHdrLine(bytes, size, p, line))
        return false;
    while (ReadHdrLine(bytes, size, p, line) && !line.empty())
        format |= line == "FORMAT=32-bit_rle_rgbe";
    if (!format || !line.empty() || !ReadHdrLine(bytes, size, p, line))
        return false;
    // "-Y height +X width"
    if (line.compare(0, 3, "-Y ") != 0)
        return false;
    char* rest = nullptr;
    const long height = std::strtol(line.c_str() + 3, &rest, 10);
    while (*rest == ' ')
        rest++;
    if (std::strncmp(rest, "+X ", 3) != 0)
        return false;
    const long width = std::strtol(rest + 3, nullptr, 10);
    if (width < 1 || height < 1 || width > maxSide || height > maxSide)
        return false;

    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (width < HdrRunLengthMinWidth || width >= HdrRunLengthMaxWidth)
        return p + 4 * pixels <= size;
    for (long row = 0; row < height; row++) {
        if (p + 4 > size)
            return false;
        if (bytes[p] != 2 || bytes[p + 1] != 2 || (bytes[p + 2] & 0x80)) {
            // Not run-length coded after all: the decoder reads every pixel
            // flat from here, starting over at the first.
            return p + 4 * pixels <= size;
        }
        if (((bytes[p + 2] << 8) | bytes[p + 3]) != width)
            return false;
        p += 4;
        for (int channel = 0; channel < 4; channel++) {
            for (long x = 0; x < width;) {
                if (p >= size)
                    return false;
                int count = bytes[p++];
                const bool run = count > 128;
                if (run)
                    count -= 128;
                if (count == 0 || count > width - x)
                    return false;
                p += run ? 1 : static_cast<std::size_t>(count);
                x += count;
            }
        }
        if (p > size)
            return false;
    }
    return true;
}

}  // namespace

bool ImageCheck::HasSaneJpegTables(const unsigned char* bytes, std::size_t size)
{
    if (!IsJpeg(bytes, size))
        return true;
    std::size_t p = 0;
    while (bytes[p] == 0xFF)
        p++;
    p++;  // past the SOI marker

    // The segments in the order the decoders read them: a marker after any
    // FF fill bytes, then its two-byte length and its body; after a scan's
    // header, its entropy-coded data up to the next marker. Between segments
    // the decoders skip stray bytes until an FF, and so does this walk.
    bool defined[2][4] = {};  // [DC, AC][table]: defined by a table segment so far
    while (p < size) {
        if (bytes[p] != 0xFF) {
            p++;
            continue;
        }
        while (p < size && bytes[p] == 0xFF)
            p++;
        if (p >= size)
            break;
        const unsigned char marker = bytes[p++];
        if (marker == 0xD9)
            break;  // EOI
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;  // markers without a length
        if (p + 2 > size)
            return false;
        const std::size_t length = (static_cast<std::size_t>(bytes[p]) << 8) | bytes[p + 1];
        if (length < 2)
            return false;  // a decoder would step back into the marker
        const std::size_t end = p + length;
        if (marker == HuffmanTableMarker && !HuffmanTablesFit(bytes, size, p + 2, end, defined))
            return false;
        if (marker == StartOfScanMarker) {
            if (!ScanTablesDefined(bytes, size, p + 2, end, defined))
                return false;
            p = EndOfScan(bytes, size, end);
            continue;
        }
        p = end;
    }
    return true;
}

bool ImageCheck::IsLoadable(const std::string& fileName)
{
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(fileName, bytes))
        return false;
    // SOIL tells the formats apart by these signatures before its TGA
    // guess; the two the hardened decoder does not take are checked here.
    if (IsDds(bytes.data(), bytes.size()))
        return IsSafeDds(bytes.data(), bytes.size(), MaxSide);
    if (IsHdr(bytes.data(), bytes.size()))
        return IsSafeHdr(bytes.data(), bytes.size(), MaxSide);
    if (!HasSaneJpegTables(bytes.data(), bytes.size()))
        return false;

    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes.data(), length, &width, &height, &channels))
        return false;
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide)
        return false;
    if (static_cast<long long>(width) * height > static_cast<long long>(MaxPixelsPerFileByte) * length)
        return false;
    unsigned char* pixels = stbi_load_from_memory(bytes.data(), length, &width, &height, &channels, 0);
    if (pixels == nullptr)
        return false;
    stbi_image_free(pixels);
    return true;
}
