#pragma once

// A homogeneous point; every point the game builds has w = 1. Plain value type.
class Vector4f {
public:
    float x, y, z, w;

    Vector4f() {}  // NOTE: leaves the components unset
    Vector4f(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
};
