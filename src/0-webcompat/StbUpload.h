#pragma once

// Image files into OpenGL textures as SOIL makes them, for the page, where
// SOIL does not build. The file is decoded by stb_image, the decoder SOIL is
// built on (a later version of it: DDS files, which only SOIL's own copy
// reads, do not decode here), then uploaded as SOIL does: the first row of
// the file at t = 0 unless the flags ask to invert it; grey, grey-alpha, RGB
// or RGBA as the file holds it; a side that is not a power of two (with
// mipmaps or when asked) stretched bilinearly to the next one; mipmap levels
// made by OpenGL (glGenerateMipmap) where SOIL averages blocks itself;
// linear filtering, and repeat or clamp-to-edge wrapping (SOIL clamps with
// GL_CLAMP, which WebGL lacks). The image's pixels are SOIL's, but for
// baseline JPEG, whose later decoder rounds some values one step apart; the
// mipmap levels' may be a few steps apart from SOIL's. Compression, alpha premultiplication and the
// other colour conversions SOIL offers are not done.
class StbUpload {
public:
    // SOIL's flag values (SOIL_FLAG_...) that are honoured.
    static constexpr unsigned int PowerOfTwo = 1;
    static constexpr unsigned int Mipmaps = 2;
    static constexpr unsigned int TextureRepeats = 4;
    static constexpr unsigned int InvertY = 16;

    // A new texture object holding the image, left bound to GL_TEXTURE_2D;
    // 0 when the file cannot be read or decoded, or no texture can be made.
    static unsigned int LoadTexture(const char* fileName, unsigned int flags);
};
