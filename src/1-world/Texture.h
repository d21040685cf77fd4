#pragma once

#include <GL/glew.h>

#include <string>

// An image file turned into an OpenGL texture through SOIL, with linear
// filtering and repeat wrapping. No cache and no sharing: two Textures of one
// file are two OpenGL textures. Destroying a Texture does not delete the
// OpenGL texture object; it lives as long as the context.
class Texture {
public:
    Texture(GLenum target, const std::string& fileName);  // loads nothing, no GL calls

    // True when the image became a texture, left bound to target. On failure
    // textureId is 0, nothing is printed and no parameter is set.
    bool Load();

    // Binds textureId to target; after a failed load that is texture 0.
    void Bind();

    GLuint GetId() const { return textureId; }
    const std::string& GetFileName() const { return fileName; }

private:
    std::string fileName;  // path, relative to the working directory unless absolute
    GLenum target;         // GL_TEXTURE_2D for every user
    GLuint textureId;      // SOIL's name, or 0 (also before Load)
};
