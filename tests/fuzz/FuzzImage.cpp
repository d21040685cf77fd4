// Any bytes as an image file: the check we run before SOIL, then SOIL's own
// decoding of whatever the check lets through (the part of a texture load
// that needs no OpenGL context).
#include "FuzzTarget.h"

#include "world/ImageCheck.h"

#include <SOIL/SOIL.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::WriteScratchFile(data, size, ".img");
    if (!ImageCheck::IsLoadable(path))
        return 0;
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = SOIL_load_image(path.c_str(), &width, &height, &channels, SOIL_LOAD_AUTO);
    if (pixels != nullptr)
        SOIL_free_image_data(pixels);
    return 0;
}
