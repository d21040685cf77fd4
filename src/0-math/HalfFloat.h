#pragma once

#include <cstdint>

// IEEE 754 half precision (binary16), as OpenGL reads GL_HALF_FLOAT
// attributes. Every half converts to float exactly; FromFloat rounds to the
// nearest half (ties to even), so floats that a half can hold survive the
// round trip unchanged.
class HalfFloat {
public:
    static std::uint16_t FromFloat(float value);
    static float ToFloat(std::uint16_t half);
    static bool IsExact(float value) { return ToFloat(FromFloat(value)) == value; }
};
