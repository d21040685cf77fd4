#include "BoundingBox.h"

#include <cfloat>

BoundingBox::BoundingBox()
    : min(0, 0, 0, 1), localMin(0, 0, 0, 1), max(0, 0, 0, 1), localMax(0, 0, 0, 1), tNear(0), tFar(0)
{
}

void BoundingBox::Transform(const Matrix4f& matrix)
{
    min = localMin;
    max = localMax;

    Vector4f corner[8] = {
        min,
        Vector4f(max.x, min.y, min.z, 1),
        Vector4f(max.x, max.y, min.z, 1),
        Vector4f(min.x, max.y, min.z, 1),
        Vector4f(min.x, min.y, max.z, 1),
        Vector4f(max.x, min.y, max.z, 1),
        Vector4f(min.x, max.y, max.z, 1),
        max,
    };

    Vector4f newMin(FLT_MAX, FLT_MAX, FLT_MAX, 1);
    Vector4f newMax(-FLT_MAX, -FLT_MAX, -FLT_MAX, 1);
    for (Vector4f& c : corner) {
        c = matrix * c;
        if (newMin.x > c.x) newMin.x = c.x;
        if (newMax.x < c.x) newMax.x = c.x;
        if (newMin.y > c.y) newMin.y = c.y;
        if (newMax.y < c.y) newMax.y = c.y;
        if (newMin.z > c.z) newMin.z = c.z;
        if (newMax.z < c.z) newMax.z = c.z;
    }
    min = newMin;
    max = newMax;
}

bool BoundingBox::Intersects(BoundingBox other) const
{
    if (other.max.x < min.x) return false;
    if (other.max.y < min.y) return false;
    if (other.max.z < min.z) return false;
    if (other.min.x > max.x) return false;
    if (other.min.y > max.y) return false;
    if (other.min.z > max.z) return false;
    return true;
}

bool BoundingBox::IntersectsRay(Ray ray)
{
    tNear = -FLT_MAX;
    tFar = FLT_MAX;

    const float origin[3] = {ray.origin.x, ray.origin.y, ray.origin.z};
    const float direction[3] = {ray.direction.x, ray.direction.y, ray.direction.z};
    const float inverse[3] = {ray.invDirection.x, ray.invDirection.y, ray.invDirection.z};
    const float lo[3] = {min.x, min.y, min.z};
    const float hi[3] = {max.x, max.y, max.z};

    for (int axis = 0; axis < 3; axis++) {
        const float o = origin[axis];
        if (direction[axis] == 0) {
            if (o < lo[axis] || o > hi[axis])
                return false;
            continue;
        }
        float t1 = (lo[axis] - o) * inverse[axis];
        float t2 = (hi[axis] - o) * inverse[axis];
        if (t2 < t1) {
            const float swap = t1;
            t1 = t2;
            t2 = swap;
        }
        if (tNear < t1) tNear = t1;
        if (tFar > t2) tFar = t2;
        if (tFar < tNear) return false;
        if (tFar < 0) return false;
    }
    return true;
}
