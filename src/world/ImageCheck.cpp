#include "ImageCheck.h"

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

bool ImageCheck::IsLoadable(const std::string& fileName)
{
    int width = 0, height = 0, channels = 0;
    if (!stbi_info(fileName.c_str(), &width, &height, &channels))
        return false;
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide)
        return false;
    unsigned char* pixels = stbi_load(fileName.c_str(), &width, &height, &channels, 0);
    if (pixels == nullptr)
        return false;
    stbi_image_free(pixels);
    return true;
}
