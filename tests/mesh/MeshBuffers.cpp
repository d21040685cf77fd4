#include "MeshBuffers.h"

#include <stb_image_write.h>

#include <unistd.h>

#include <climits>

namespace meshtest {

namespace {

template <typename T>
std::vector<T> ReadBuffer(GLenum target, GLenum binding, GLuint buffer)
{
    GLint previous = 0;
    glGetIntegerv(binding, &previous);
    glBindBuffer(target, buffer);
    GLint size = 0;
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    std::vector<T> values(static_cast<size_t>(size) / sizeof(T));
    if (!values.empty())
        glGetBufferSubData(target, 0, static_cast<GLsizeiptr>(values.size() * sizeof(T)), values.data());
    glBindBuffer(target, static_cast<GLuint>(previous));
    return values;
}

}  // namespace

std::vector<Vertex> ReadVertices(GLuint buffer)
{
    return ReadBuffer<Vertex>(GL_ARRAY_BUFFER, GL_ARRAY_BUFFER_BINDING, buffer);
}

std::vector<std::uint32_t> ReadIndices(GLuint buffer)
{
    return ReadBuffer<std::uint32_t>(GL_ELEMENT_ARRAY_BUFFER, GL_ELEMENT_ARRAY_BUFFER_BINDING, buffer);
}

GLint BufferUsage(GLuint buffer)
{
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    GLint usage = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_USAGE, &usage);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return usage;
}

bool WriteSolidPng(const std::string& path, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    std::uint8_t pixels[4 * 4 * 3];
    for (int i = 0; i < 16; i++) {
        pixels[i * 3] = r;
        pixels[i * 3 + 1] = g;
        pixels[i * 3 + 2] = b;
    }
    return stbi_write_png(path.c_str(), 4, 4, 3, pixels, 4 * 3) != 0;
}

}  // namespace meshtest
