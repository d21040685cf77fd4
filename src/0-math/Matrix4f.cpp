#include "Matrix4f.h"

#include "MathUtils.h"

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
