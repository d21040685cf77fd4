#pragma once

class Vector3f;

// x, y, z the vector part, w the scalar part. Used only to rotate vectors.
class Quaternion {
public:
    float x, y, z, w;

    Quaternion(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}

    Quaternion Conjugate() const { return Quaternion(-x, -y, -z, w); }
};

Quaternion operator*(const Quaternion& l, const Quaternion& r);
Quaternion operator*(const Quaternion& q, const Vector3f& v);  // v taken with scalar part 0
