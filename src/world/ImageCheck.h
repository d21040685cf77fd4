#pragma once

#include <string>

// Decides whether an image file is safe to hand to SOIL. SOIL's bundled
// decoders read out of bounds on some corrupt files (a crafted PNG overflows
// a heap buffer), so every file is first decoded by a current, hardened
// decoder and refused when that fails or the image is implausibly large.
class ImageCheck {
public:
    static constexpr int MaxSide = 16384;  // the largest texture side we hand on

    // True when the file decodes completely and its sides lie in 1..MaxSide.
    static bool IsLoadable(const std::string& fileName);
};
