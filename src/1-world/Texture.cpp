#include "Texture.h"

#include "ImageCheck.h"

#include <SOIL/SOIL.h>

Texture::Texture(GLenum target_, const std::string& fileName_)
    : fileName(fileName_), target(target_), textureId(0)
{
}

bool Texture::Load()
{
    // NOTE: a file that fails the check is treated as one SOIL cannot load.
    if (!ImageCheck::IsLoadable(fileName)) {
        textureId = 0;
        return false;
    }
    // NOTE: SOIL uploads its rows with whatever unpack alignment is set, but
    // packs them tightly: at OpenGL's default of 4, an image whose rows are
    // not a multiple of 4 bytes (one pixel wide and two channels, say) was
    // read past its end by the driver. Packed rows, restored afterwards.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    textureId = SOIL_load_OGL_texture(fileName.c_str(), SOIL_LOAD_AUTO, SOIL_CREATE_NEW_ID, SOIL_FLAG_MIPMAPS);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    if (textureId == 0)
        return false;

    // These replace the parameters SOIL chose: the mipmaps it built stay
    // unused, only the base level is sampled.
    glBindTexture(target, textureId);
    glTexParameterf(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameterf(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameterf(target, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameterf(target, GL_TEXTURE_WRAP_T, GL_REPEAT);
    return true;
}

void Texture::Bind()
{
    glBindTexture(target, textureId);
}
