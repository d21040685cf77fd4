#include "Matrix4f.h"

#include "MathUtils.h"

#include <cmath>

namespace {

// To unit length; a zero vector stays zero.
Vector3f Unit(Vector3f v)
{
    const float length = Sqrtf(v.x * v.x + v.y * v.y + v.z * v.z);
    return length == 0.0f ? v : Vector3f(v.x / length, v.y / length, v.z / length);
}

}  // namespace

void Matrix4f::SetIdentity()
{
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            m[r][c] = (r == c) ? 1.0f : 0.0f;
}

void Matrix4f::SetTranslation(float x, float y, float z)
{
    SetIdentity();
    m[0][3] = x;
    m[1][3] = y;
    m[2][3] = z;
}

void Matrix4f::SetRotation(float rotateX, float rotateY, float rotateZ)
{
    const float x = DegreesToRadians(rotateX);
    const float y = DegreesToRadians(rotateY);
    const float z = DegreesToRadians(rotateZ);

    Matrix4f rx, ry, rz;
    rx.SetIdentity();
    rx.m[1][1] = Cosf(x); rx.m[1][2] = -Sinf(x);
    rx.m[2][1] = Sinf(x); rx.m[2][2] = Cosf(x);

    ry.SetIdentity();
    ry.m[0][0] = Cosf(y); ry.m[0][2] = -Sinf(y);
    ry.m[2][0] = Sinf(y); ry.m[2][2] = Cosf(y);

    rz.SetIdentity();
    rz.m[0][0] = Cosf(z); rz.m[0][1] = -Sinf(z);
    rz.m[1][0] = Sinf(z); rz.m[1][1] = Cosf(z);

    *this = (rz * ry) * rx;
}

void Matrix4f::SetPerspective(double fieldOfView, double aspect, double nearPlane, double farPlane)
{
    SetIdentity();
    const double radians = fieldOfView / 2 * Pi / 180;
    const double depth = farPlane - nearPlane;
    const double sine = std::sin(radians);
    if (depth == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = std::cos(radians) / sine;
    m[0][0] = static_cast<float>(cotangent / aspect);
    m[1][1] = static_cast<float>(cotangent);
    m[2][2] = static_cast<float>(-(farPlane + nearPlane) / depth);
    m[2][3] = static_cast<float>(-2 * nearPlane * farPlane / depth);
    m[3][2] = -1.0f;
    m[3][3] = 0.0f;
}

void Matrix4f::SetLookAt(const Vector3f& eye, const Vector3f& centre, const Vector3f& up)
{
    const Vector3f forward = Unit(centre - eye);
    const Vector3f side = Unit(forward.Cross(up));
    const Vector3f trueUp = side.Cross(forward);
    const Vector3f rows[3] = {side, trueUp, forward * -1.0f};
    // The rotation, then the eye moved to the origin: each translation entry
    // summed in the order OpenGL's glTranslate sums it.
    for (int r = 0; r < 3; r++) {
        m[r][0] = rows[r].x;
        m[r][1] = rows[r].y;
        m[r][2] = rows[r].z;
        m[r][3] = rows[r].x * -eye.x + rows[r].y * -eye.y + rows[r].z * -eye.z;
    }
    m[3][0] = m[3][1] = m[3][2] = 0.0f;
    m[3][3] = 1.0f;
}

Matrix4f Matrix4f::operator*(const Matrix4f& r) const
{
    Matrix4f result;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            result.m[i][j] = m[i][0] * r.m[0][j] + m[i][1] * r.m[1][j] +
                             m[i][2] * r.m[2][j] + m[i][3] * r.m[3][j];
    return result;
}

Vector4f operator*(const Matrix4f& m, const Vector4f& v)
{
    return Vector4f(m.m[0][0] * v.x + m.m[0][1] * v.y + m.m[0][2] * v.z + m.m[0][3] * v.w,
                    m.m[1][0] * v.x + m.m[1][1] * v.y + m.m[1][2] * v.z + m.m[1][3] * v.w,
                    m.m[2][0] * v.x + m.m[2][1] * v.y + m.m[2][2] * v.z + m.m[2][3] * v.w,
                    m.m[3][0] * v.x + m.m[3][1] * v.y + m.m[3][2] * v.z + m.m[3][3] * v.w);
}

Vector4f operator*(const Vector4f& v, const Matrix4f& m)
{
    return m * v;
}
