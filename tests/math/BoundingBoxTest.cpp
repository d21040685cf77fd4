// Boxes moved by matrices, the inclusive overlap test the game's hits rely on,
// and the slab ray test.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "0-math/BoundingBox.h"
#include "0-math/Matrix4f.h"
#include "0-math/Ray.h"

namespace {

void ExpectCorner(float x, float y, float z, Vector4f c, float tolerance = 0)
{
    EXPECT_NEAR(x, c.x, tolerance);
    EXPECT_NEAR(y, c.y, tolerance);
    EXPECT_NEAR(z, c.z, tolerance);
    EXPECT_EQ(1.0f, c.w);
}

BoundingBox LocalBox(Vector4f lo, Vector4f hi)
{
    BoundingBox box;
    box.SetLocalMin(lo);
    box.SetLocalMax(hi);
    return box;
}

BoundingBox WorldBox(Vector4f lo, Vector4f hi)
{
    BoundingBox box;
    box.SetMin(lo);
    box.SetMax(hi);
    return box;
}

// A bullet's box: half-edge 3 around its origin, moved to its position.
BoundingBox BulletBox(float x, float y, float z)
{
    BoundingBox box = LocalBox(Vector4f(-3, -3, -3, 1), Vector4f(3, 3, 3, 1));
    Matrix4f move;
    move.SetTranslation(x, y, z);
    box.Transform(move);
    return box;
}

// The game's target: everything at height -35 or below.
BoundingBox TargetBox()
{
    return WorldBox(Vector4f(-FLT_MAX, -FLT_MAX, -FLT_MAX, 1), Vector4f(FLT_MAX, -35, FLT_MAX, 1));
}

BoundingBox UnitBox()
{
    return WorldBox(Vector4f(-1, -1, -1, 1), Vector4f(1, 1, 1, 1));
}

}  // namespace

TEST(BoundingBox, DefaultAndSetters)
{
    BoundingBox box;
    ExpectCorner(0, 0, 0, box.GetMin());
    ExpectCorner(0, 0, 0, box.GetMax());
    box.SetMin(Vector4f(1, 2, 3, 1));
    box.SetMax(Vector4f(4, 5, 6, 1));
    ExpectCorner(1, 2, 3, box.GetMin());
    ExpectCorner(4, 5, 6, box.GetMax());
}

TEST(BoundingBox, TransformMovesTheLocalBoxWithoutAccumulating)
{
    BoundingBox box = LocalBox(Vector4f(-3, -3, -3, 1), Vector4f(3, 3, 3, 1));
    Matrix4f move;
    move.SetTranslation(10, 0, -5);
    box.Transform(move);
    ExpectCorner(7, -3, -8, box.GetMin());
    ExpectCorner(13, 3, -2, box.GetMax());

    box.Transform(move);
    ExpectCorner(7, -3, -8, box.GetMin());
    ExpectCorner(13, 3, -2, box.GetMax());

    Matrix4f other;
    other.SetTranslation(0, 100, 0);
    box.Transform(other);
    ExpectCorner(-3, 97, -3, box.GetMin());
    ExpectCorner(3, 103, 3, box.GetMax());
}

TEST(BoundingBox, RotatedBoxEnclosesAllMovedCorners)
{
    // SetRotation(0, 90, 0) maps (x, y, z) to (-z, y, x).
    BoundingBox box = LocalBox(Vector4f(0, 0, 0, 1), Vector4f(2, 1, 1, 1));
    Matrix4f turn;
    turn.SetRotation(0, 90, 0);
    box.Transform(turn);
    ExpectCorner(-1, 0, 0, box.GetMin(), 1e-6f);
    ExpectCorner(0, 1, 2, box.GetMax(), 1e-6f);

    // 45 degrees about z: the world box of a unit cube grows to the
    // diagonal's reach, sqrt(2), in x and y.
    BoundingBox cube = LocalBox(Vector4f(-1, -1, -1, 1), Vector4f(1, 1, 1, 1));
    turn.SetRotation(0, 0, 45);
    cube.Transform(turn);
    const float r = std::sqrt(2.0f);
    ExpectCorner(-r, -r, -1, cube.GetMin(), 1e-6f);
    ExpectCorner(r, r, 1, cube.GetMax(), 1e-6f);
}

TEST(BoundingBox, TouchingBoxesIntersectSeparatedOnesDoNot)
{
    const BoundingBox a = UnitBox();
    EXPECT_TRUE(a.Intersects(a));
    for (int axis = 0; axis < 3; axis++) {
        for (float side : {-1.0f, 1.0f}) {
            for (float gap : {0.0f, 0.001f}) {
                // A box of edge 2 shifted so that its face meets (gap 0) or
                // just misses a's face on this axis and side.
                float offset[3] = {0, 0, 0};
                offset[axis] = side * (2 + gap);
                const BoundingBox b = WorldBox(
                    Vector4f(-1 + offset[0], -1 + offset[1], -1 + offset[2], 1),
                    Vector4f(1 + offset[0], 1 + offset[1], 1 + offset[2], 1));
                const bool expected = gap == 0;
                EXPECT_EQ(expected, a.Intersects(b)) << "axis " << axis << " side " << side << " gap " << gap;
                EXPECT_EQ(expected, b.Intersects(a)) << "axis " << axis << " side " << side << " gap " << gap;
            }
        }
    }
    // Sharing only a corner still counts.
    EXPECT_TRUE(a.Intersects(WorldBox(Vector4f(1, 1, 1, 1), Vector4f(2, 2, 2, 1))));
    // A box inside another overlaps it.
    EXPECT_TRUE(a.Intersects(WorldBox(Vector4f(-0.5f, -0.5f, -0.5f, 1), Vector4f(0.5f, 0.5f, 0.5f, 1))));
}

TEST(BoundingBox, BulletHitsTheTargetLayerFromHeightMinus32)
{
    const BoundingBox target = TargetBox();
    EXPECT_TRUE(BulletBox(0, -32, 0).Intersects(target));
    EXPECT_FALSE(BulletBox(0, -31.9f, 0).Intersects(target));
    EXPECT_TRUE(BulletBox(0, -500, 0).Intersects(target));
    // Anywhere in x and z.
    EXPECT_TRUE(BulletBox(1e6f, -32, -1e6f).Intersects(target));
    EXPECT_FALSE(BulletBox(-1e6f, -31.9f, 1e6f).Intersects(target));
}

TEST(Ray, InverseDirectionAndSigns)
{
    const Ray ray(Vector3f(1, 2, 3), Vector3f(2, -4, 0));
    EXPECT_EQ(0.5f, ray.invDirection.x);
    EXPECT_EQ(-0.25f, ray.invDirection.y);
    EXPECT_TRUE(std::isinf(ray.invDirection.z));
    EXPECT_EQ(0, ray.sign[0]);
    EXPECT_EQ(1, ray.sign[1]);
    EXPECT_EQ(0, ray.sign[2]);
}

TEST(BoundingBox, RayHitsFromOutsideAndInside)
{
    BoundingBox box = UnitBox();

    EXPECT_TRUE(box.IntersectsRay(Ray(Vector3f(-5, 0, 0), Vector3f(1, 0, 0))));
    EXPECT_FLOAT_EQ(4, box.tNear);
    EXPECT_FLOAT_EQ(6, box.tFar);

    // Negative direction: the slab limits swap.
    EXPECT_TRUE(box.IntersectsRay(Ray(Vector3f(5, 0.5f, 0), Vector3f(-2, 0, 0))));
    EXPECT_FLOAT_EQ(2, box.tNear);
    EXPECT_FLOAT_EQ(3, box.tFar);

    // Diagonal through a corner region.
    EXPECT_TRUE(box.IntersectsRay(Ray(Vector3f(-3, -3, -3), Vector3f(1, 1, 1))));
    EXPECT_FLOAT_EQ(2, box.tNear);
    EXPECT_FLOAT_EQ(4, box.tFar);

    // From inside: tNear lies behind the origin.
    EXPECT_TRUE(box.IntersectsRay(Ray(Vector3f(0, 0, 0), Vector3f(0, 0, 1))));
    EXPECT_FLOAT_EQ(-1, box.tNear);
    EXPECT_FLOAT_EQ(1, box.tFar);

    // Parallel to a slab, origin on its plane: counts as inside.
    EXPECT_TRUE(box.IntersectsRay(Ray(Vector3f(-5, 1, 0), Vector3f(1, 0, 0))));
}

TEST(BoundingBox, RayMisses)
{
    BoundingBox box = UnitBox();
    // Pointing away from a box it starts outside of.
    EXPECT_FALSE(box.IntersectsRay(Ray(Vector3f(5, 0, 0), Vector3f(1, 0, 0))));
    // Parallel to the y slab, outside it.
    EXPECT_FALSE(box.IntersectsRay(Ray(Vector3f(-5, 1.001f, 0), Vector3f(1, 0, 0))));
    EXPECT_FALSE(box.IntersectsRay(Ray(Vector3f(0, 0, -5), Vector3f(0, 0, 0))));
    // The x and y slabs are crossed at disjoint parameters, [4, 6] and [2, 3].
    EXPECT_FALSE(box.IntersectsRay(Ray(Vector3f(-5, -5, 0), Vector3f(1, 2, 0))));
}
