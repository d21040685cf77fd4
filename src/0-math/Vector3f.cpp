#include "Vector3f.h"

#include "MathUtils.h"
#include "Quaternion.h"

Vector3f Vector3f::Cross(const Vector3f& o) const
{
    return Vector3f(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
}

float Vector3f::Dot(const Vector3f& o) const
{
    return x * o.x + y * o.y + z * o.z;
}

Vector3f& Vector3f::Normalize()
{
    const float length = Sqrtf(x * x + y * y + z * z);
    x /= length;
    y /= length;
    z /= length;
    return *this;
}

void Vector3f::Rotate(float angle, const Vector3f& axis)
{
    // NOTE: the angle is halved before the conversion to radians.
    const float half = DegreesToRadians(angle / 2);
    const float s = Sinf(half);
    const float c = Cosf(half);

    const Quaternion rotationQ(axis.x * s, axis.y * s, axis.z * s, c);
    const Quaternion conjugateQ = rotationQ.Conjugate();
    const Quaternion w = (rotationQ * *this) * conjugateQ;

    x = w.x;
    y = w.y;
    z = w.z;
}

Vector3f Vector3f::FromTurnAndTilt(float turn, float tilt, Vector3f& haxis)
{
    const Vector3f vaxis(0.0f, 1.0f, 0.0f);
    Vector3f view(1.0f, 0.0f, 0.0f);
    view.Rotate(turn, vaxis);
    view.Normalize();

    haxis = vaxis.Cross(view);
    haxis.Normalize();
    view.Rotate(tilt, haxis);
    return view.Normalize();
}
