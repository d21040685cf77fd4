#pragma once

class Quaternion;

// A point or a direction in world units (y up). Plain value type.
class Vector3f {
public:
    float x, y, z;

    Vector3f() {}  // NOTE: leaves the components unset; assign before reading
    Vector3f(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    Vector3f operator+(const Vector3f& o) const { return Vector3f(x + o.x, y + o.y, z + o.z); }
    Vector3f operator-(const Vector3f& o) const { return Vector3f(x - o.x, y - o.y, z - o.z); }
    Vector3f operator*(float s) const { return Vector3f(x * s, y * s, z * s); }

    Vector3f Cross(const Vector3f& o) const;       // this x o
    float Dot(const Vector3f& o) const;
    Vector3f& Normalize();                          // in place, single-precision length; zero vector undefined
    void Rotate(float angle, const Vector3f& axis); // in place, right-handed, degrees; axis must be unit
};
