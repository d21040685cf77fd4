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

    // The unit direction that (1, 0, 0) takes when turned by turn degrees
    // about the vertical axis (0, 1, 0), then tilted by tilt degrees about the
    // horizontal axis (0, 1, 0) x turned, which is returned in haxis. The
    // turned vector is horizontal and of unit length, so haxis never
    // degenerates; past 90 degrees of tilt the direction turns over.
    static Vector3f FromTurnAndTilt(float turn, float tilt, Vector3f& haxis);
};
