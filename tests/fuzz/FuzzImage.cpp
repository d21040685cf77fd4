// Any bytes as an image file, as Texture::Load takes it: the check we run
// before SOIL, then SOIL's decoding of whatever the check lets through. With
// an X display the whole load runs in a small hidden window (decode, mipmaps,
// upload, parameters); without one only the decoding, which needs no context.
#include "FuzzTarget.h"

#include "1-world/ImageCheck.h"
#include "1-world/Texture.h"

#include <GL/glew.h>
#include <SOIL/SOIL.h>

#include <cstdlib>

namespace {

bool haveContext = false;


}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    haveContext = fuzz::CreateHiddenContext("fuzz-image", 16);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::WriteScratchFile(data, size, ".img");
    if (haveContext) {
        Texture texture(GL_TEXTURE_2D, path);
        if (texture.Load()) {
            const GLuint id = texture.GetId();
            glDeleteTextures(1, &id);  // a Texture leaves its object to the context
        }
        while (glGetError() != GL_NO_ERROR) {
        }
        return 0;
    }
    if (!ImageCheck::IsLoadable(path))
        return 0;
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = SOIL_load_image(path.c_str(), &width, &height, &channels, SOIL_LOAD_AUTO);
    if (pixels != nullptr)
        SOIL_free_image_data(pixels);
    return 0;
}
