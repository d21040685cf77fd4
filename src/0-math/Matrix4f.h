#pragma once

#include "Vector3f.h"
#include "Vector4f.h"

// Row-major 4x4, m[row][column], applied to column vectors on its right;
// a translation lives in the last column.
class Matrix4f {
public:
    float m[4][4];

    Matrix4f() {}  // NOTE: leaves the entries unset

    void SetIdentity();
    void SetTranslation(float x, float y, float z);
    // rz * ry * rx from angles in degrees.
    // NOTE: ry has -sin in row 0 and +sin in row 2, so a positive rotateY turns
    // the x axis towards +z: the opposite sense to rx and rz. Callers rely on it.
    void SetRotation(float rotateX, float rotateY, float rotateZ);
    // The matrices gluPerspective and gluLookAt multiply by, computed as GLU
    // computes them (the perspective in double precision, the look-at in
    // single), so a view built from them matches what OpenGL draws with.
    // A perspective of no depth range, no field of view or no aspect leaves
    // the identity; a look-at with the eye on the centre, or up along the
    // line of sight, leaves that axis zero, as GLU does.
    void SetPerspective(double fieldOfView, double aspect, double nearPlane, double farPlane);  // vertical, degrees
    void SetLookAt(const Vector3f& eye, const Vector3f& centre, const Vector3f& up);  // up need not be unit

    Matrix4f operator*(const Matrix4f& r) const;
};

// Always computes m * v, whichever side the vector is written on.
Vector4f operator*(const Vector4f& v, const Matrix4f& m);
Vector4f operator*(const Matrix4f& m, const Vector4f& v);
