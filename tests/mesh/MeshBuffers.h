#pragma once

// Reading a Mesh's OpenGL buffers back, and small image files for materials.

#include "2-mesh/Vertex.h"

#include <GL/glew.h>

#include <cstdint>
#include <string>
#include <vector>

namespace meshtest {

std::vector<Vertex> ReadVertices(GLuint buffer);
std::vector<std::uint32_t> ReadIndices(GLuint buffer);
GLint BufferUsage(GLuint buffer);

// A 4x4 PNG of one colour.
bool WriteSolidPng(const std::string& path, std::uint8_t r, std::uint8_t g, std::uint8_t b);


}  // namespace meshtest
