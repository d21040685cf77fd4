#include "View.h"

View::View(const Matrix4f& modelView, const Matrix4f& projection, int width_, int height_)
    : viewProjection(projection * modelView), width(width_), height(height_)
{
    // A rigid model-view is a rotation R and a translation t: it takes the
    // eye, -R^T t, to the origin.
    const auto& m = modelView.m;
    eye.x = -(m[0][0] * m[0][3] + m[1][0] * m[1][3] + m[2][0] * m[2][3]);
    eye.y = -(m[0][1] * m[0][3] + m[1][1] * m[1][3] + m[2][1] * m[2][3]);
    eye.z = -(m[0][2] * m[0][3] + m[1][2] * m[1][3] + m[2][2] * m[2][3]);
    focalScale = projection.m[3][3] == 0.0f ? projection.m[1][1] : 0.0f;
}
