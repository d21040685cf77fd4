#pragma once

#include "0-math/Vector3f.h"

#include <cstddef>

// One record of a mesh vertex buffer: interleaved, 44 bytes, no padding.
// Both draw paths and the skinning address the buffer by these offsets.
struct Vertex {
    Vector3f position;   // byte 0
    float texCoord[2];   // byte 12: u, v of texture channel 0, or (0, 0)
    Vector3f normal;     // byte 20
    Vector3f tangent;    // byte 32
};

static_assert(sizeof(Vertex) == 44, "Vertex must be 44 bytes");
static_assert(offsetof(Vertex, position) == 0, "position at byte 0");
static_assert(offsetof(Vertex, texCoord) == 12, "texCoord at byte 12");
static_assert(offsetof(Vertex, normal) == 20, "normal at byte 20");
static_assert(offsetof(Vertex, tangent) == 32, "tangent at byte 32");
