#pragma once

#include "Vector3f.h"

// A ray for BoundingBox::IntersectsRay. A zero direction component gives an
// infinite inverse; sign[i] is 1 where the inverse is negative (nothing reads it).
class Ray {
public:
    Ray(Vector3f origin_, Vector3f direction_)
        : origin(origin_), direction(direction_),
          invDirection(1 / direction_.x, 1 / direction_.y, 1 / direction_.z)
    {
        sign[0] = invDirection.x < 0;
        sign[1] = invDirection.y < 0;
        sign[2] = invDirection.z < 0;
    }

    Vector3f origin;
    Vector3f direction;
    Vector3f invDirection;
    int sign[3];
};
