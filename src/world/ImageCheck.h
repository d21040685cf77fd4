#pragma once

#include <cstddef>
#include <string>

// Decides whether an image file is safe to hand to SOIL. SOIL's bundled
// decoders read out of bounds on some corrupt files (a crafted PNG overflows
// a heap buffer), so every file is first decoded by a current, hardened
// decoder and refused when that fails or the image is implausibly large.
class ImageCheck {
public:
    static constexpr int MaxSide = 16384;                  // largest texture side handed on
    static constexpr long MaxFileBytes = 256L * 1024 * 1024;  // larger files are refused unread

    // True when the file decodes completely and its sides lie in 1..MaxSide.
    static bool IsLoadable(const std::string& fileName);

    // True unless the bytes are a JPEG with a Huffman table of more than 256
    // codes, which both decoders would write past their tables.
    static bool HasSaneJpegTables(const unsigned char* bytes, std::size_t size);
};
