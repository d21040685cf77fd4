// The one image call of SOIL the game makes, for the page, where SOIL itself
// does not build: the image is decoded by the decoder SOIL is built on and
// uploaded as SOIL uploads it (StbUpload). The constants are SOIL's own.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

enum {
    SOIL_LOAD_AUTO = 0,
    SOIL_LOAD_L = 1,
    SOIL_LOAD_LA = 2,
    SOIL_LOAD_RGB = 3,
    SOIL_LOAD_RGBA = 4
};

enum {
    SOIL_CREATE_NEW_ID = 0
};

enum {
    SOIL_FLAG_POWER_OF_TWO = 1,
    SOIL_FLAG_MIPMAPS = 2,
    SOIL_FLAG_TEXTURE_REPEATS = 4,
    SOIL_FLAG_MULTIPLY_ALPHA = 8,
    SOIL_FLAG_INVERT_Y = 16,
    SOIL_FLAG_COMPRESS_TO_DXT = 32,
    SOIL_FLAG_DDS_LOAD_DIRECT = 64,
    SOIL_FLAG_NTSC_SAFE_RGB = 128,
    SOIL_FLAG_CoCg_Y = 256,
    SOIL_FLAG_TEXTURE_RECTANGLE = 512
};

// A new texture from the image file, or 0 when it cannot be decoded. Takes
// SOIL_LOAD_AUTO, SOIL_CREATE_NEW_ID and the flags POWER_OF_TWO, MIPMAPS,
// TEXTURE_REPEATS and INVERT_Y; other requests are not honoured.
unsigned int SOIL_load_OGL_texture(const char* filename, int force_channels, unsigned int reuse_texture_ID,
                                   unsigned int flags);

#ifdef __cplusplus
}
#endif
