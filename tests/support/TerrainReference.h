#pragma once

// The terrain drawn the plain way, one OpenGL call per vertex attribute, as a
// reference for pixel comparisons and benchmarks.

#include <GL/glew.h>

#include <string>
#include <vector>

namespace gltest {

constexpr int ReferenceTerrainSize = 1024;

// The samples of a heightmap file, 1024 x 1024 row-major. A missing file
// gives all zeros, a short one zeros past its end; extra bytes are ignored.
std::vector<unsigned char> ReadReferenceHeightmap(const std::string& path);

// Binds groundTexture, sets GL_MODULATE and draws 1023 GL_TRIANGLE_STRIPs in
// immediate mode: for each column, the vertex on row r then on row r + 1, each
// with glColor3f (grey), glTexCoord2f and glVertex3f computed from its sample.
void DrawReferenceTerrain(const unsigned char* heights, GLuint groundTexture);

}  // namespace gltest
