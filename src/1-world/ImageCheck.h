#pragma once

#include <cstddef>
#include <string>

// Decides whether an image file is safe to hand to SOIL. SOIL's bundled
// decoders read out of bounds on some corrupt files (a crafted PNG overflows
// a heap buffer), so every file is first decoded by a current, hardened
// decoder and refused when that fails or the image is implausibly large.
// DDS and Radiance HDR files, which that decoder does not take, are instead
// followed through SOIL's own reading of them. Other formats the hardened
// decoder knows (GIF, PNM, PIC) pass, and SOIL then refuses them itself.
class ImageCheck {
public:
    static constexpr int MaxSide = 16384;                  // largest texture side handed on
    static constexpr long MaxFileBytes = 256L * 1024 * 1024;  // larger files are refused unread
    // No format handed on packs more than about 8,300 pixels into a byte (a
    // one-colour, 1-bit PNG). A header that claims more pixels than this per
    // byte of file belongs to a file cut short beyond use, whose decoding
    // would only fill memory with blank pixels: a few bytes could claim a
    // gigabyte.
    static constexpr long MaxPixelsPerFileByte = 16384;

    // True when the file decodes completely, its sides lie in 1..MaxSide and
    // it claims no more than MaxPixelsPerFileByte pixels per byte.
    static bool IsLoadable(const std::string& fileName);

    // True unless the bytes are a JPEG that a decoder would read past its
    // tables: a Huffman table of more than 256 codes (both decoders), or a
    // scan using a table no earlier segment defined (SOIL's). Only real table
    // segments count: the walk follows each segment's length and skips the
    // entropy-coded data, so comment and application segments may hold any
    // bytes.
    static bool HasSaneJpegTables(const unsigned char* bytes, std::size_t size);
};
