#pragma once

#include "Matrix4f.h"
#include "Ray.h"
#include "Vector4f.h"

// Axis-aligned box kept twice: an untransformed (local) box and the world box
// that Transform builds from it. Only x, y and z take part in the tests.
class BoundingBox {
public:
    BoundingBox();  // min = max = (0, 0, 0, 1); the local corners start at the same

    void SetMin(Vector4f v) { min = v; }
    void SetLocalMin(Vector4f v) { localMin = v; }
    void SetMax(Vector4f v) { max = v; }
    void SetLocalMax(Vector4f v) { localMax = v; }
    Vector4f GetMin() const { return min; }
    Vector4f GetMax() const { return max; }

    // min/max = the smallest axis-aligned box around the eight local corners
    // moved by matrix (no divide by w). Repeated calls do not accumulate.
    void Transform(const Matrix4f& matrix);

    // True when the world boxes overlap or touch (face, edge or corner).
    bool Intersects(BoundingBox other) const;

    // Slab test: true when the ray meets the world box at a parameter >= 0.
    // Leaves the entry and exit parameters in tNear and tFar (tNear < 0 when
    // the origin is inside). An origin on a slab plane counts as inside.
    bool IntersectsRay(Ray ray);

    Vector4f min;       // world minimum corner
    Vector4f localMin;  // untransformed minimum corner
    Vector4f max;       // world maximum corner
    Vector4f localMax;  // untransformed maximum corner
    float tNear;        // ray parameter where the last IntersectsRay entered
    float tFar;         // ray parameter where the last IntersectsRay left
};
