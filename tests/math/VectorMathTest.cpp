// Vector, matrix and quaternion operations, the angle and maths helpers and
// the game's random generator.
#include <gtest/gtest.h>

#include <cmath>

#include "0-math/MathUtils.h"
#include "0-math/Matrix4f.h"
#include "0-math/Quaternion.h"
#include "0-math/Vector3f.h"
#include "0-math/Vector4f.h"

namespace {

constexpr float Tolerance = 1e-6f;

void ExpectNear(Vector3f expected, Vector3f actual)
{
    EXPECT_NEAR(expected.x, actual.x, Tolerance);
    EXPECT_NEAR(expected.y, actual.y, Tolerance);
    EXPECT_NEAR(expected.z, actual.z, Tolerance);
}

void ExpectNear(Vector4f expected, Vector4f actual)
{
    EXPECT_NEAR(expected.x, actual.x, Tolerance);
    EXPECT_NEAR(expected.y, actual.y, Tolerance);
    EXPECT_NEAR(expected.z, actual.z, Tolerance);
    EXPECT_NEAR(expected.w, actual.w, Tolerance);
}

Vector4f Rotated(float rx, float ry, float rz, Vector4f p)
{
    Matrix4f m;
    m.SetRotation(rx, ry, rz);
    return m * p;
}

}  // namespace

TEST(Vector3f, ArithmeticCrossDotAndNormalize)
{
    const Vector3f a(1, 2, 3), b(4, -5, 6);
    ExpectNear(Vector3f(5, -3, 9), a + b);
    ExpectNear(Vector3f(-3, 7, -3), a - b);
    ExpectNear(Vector3f(2, 4, 6), a * 2);
    EXPECT_FLOAT_EQ(12, a.Dot(b));
    ExpectNear(Vector3f(0, 0, -1), Vector3f(0, 1, 0).Cross(Vector3f(1, 0, 0)));
    ExpectNear(Vector3f(27, 6, -13), a.Cross(b));

    Vector3f v(3, 4, 0);
    Vector3f& same = v.Normalize();
    EXPECT_EQ(&v, &same);
    EXPECT_FLOAT_EQ(0.6f, v.x);
    EXPECT_FLOAT_EQ(0.8f, v.y);
    EXPECT_EQ(0.0f, v.z);
}

TEST(Vector3f, RotateIsRightHandedAboutEachAxis)
{
    Vector3f v(1, 0, 0);
    v.Rotate(90, Vector3f(0, 1, 0));
    ExpectNear(Vector3f(0, 0, -1), v);

    v = Vector3f(1, 0, 0);
    v.Rotate(90, Vector3f(0, 0, 1));
    ExpectNear(Vector3f(0, 1, 0), v);

    v = Vector3f(0, 1, 0);
    v.Rotate(90, Vector3f(1, 0, 0));
    ExpectNear(Vector3f(0, 0, 1), v);

    v = Vector3f(0.3f, -0.7f, 2.5f);
    v.Rotate(0, Vector3f(0, 1, 0));
    EXPECT_EQ(0.3f, v.x);
    EXPECT_EQ(-0.7f, v.y);
    EXPECT_EQ(2.5f, v.z);

    v = Vector3f(1, 2, 3);
    v.Rotate(360, Vector3f(0, 0, 1));
    ExpectNear(Vector3f(1, 2, 3), v);
}

TEST(Vector3f, RotateUsesTheAxisUnnormalized)
{
    // The sandwich with a non-unit quaternion scales by its squared length:
    // 180 degrees about (0, 2, 0) gives q = (0, 2, 0, ~0), |q|^2 = 4.
    Vector3f v(1, 0, 0);
    v.Rotate(180, Vector3f(0, 2, 0));
    ExpectNear(Vector3f(-4, 0, 0), v);
}

TEST(Quaternion, ProductsAndConjugate)
{
    const Quaternion i(1, 0, 0, 0), j(0, 1, 0, 0);
    const Quaternion k = i * j;
    EXPECT_EQ(0, k.x);
    EXPECT_EQ(0, k.y);
    EXPECT_EQ(1, k.z);
    EXPECT_EQ(0, k.w);
    const Quaternion minusK = j * i;
    EXPECT_EQ(-1, minusK.z);

    const Quaternion q(1, 2, 3, 4);
    const Quaternion c = q.Conjugate();
    EXPECT_EQ(-1, c.x);
    EXPECT_EQ(-2, c.y);
    EXPECT_EQ(-3, c.z);
    EXPECT_EQ(4, c.w);

    // q * v equals q times the pure quaternion (v, 0).
    const Vector3f v(5, -6, 7);
    const Quaternion a = q * v;
    const Quaternion b = q * Quaternion(5, -6, 7, 0);
    EXPECT_EQ(b.x, a.x);
    EXPECT_EQ(b.y, a.y);
    EXPECT_EQ(b.z, a.z);
    EXPECT_EQ(b.w, a.w);
}

TEST(Matrix4f, SetRotationMapsEachAxis)
{
    ExpectNear(Vector4f(0, 0, 1, 1), Rotated(90, 0, 0, Vector4f(0, 1, 0, 1)));
    ExpectNear(Vector4f(0, 1, 0, 1), Rotated(0, 0, 90, Vector4f(1, 0, 0, 1)));
    // NOTE: rotateY turns x towards +z, the opposite sense to x and z.
    ExpectNear(Vector4f(0, 0, 1, 1), Rotated(0, 90, 0, Vector4f(1, 0, 0, 1)));
    ExpectNear(Vector4f(-1, 0, 0, 1), Rotated(0, 90, 0, Vector4f(0, 0, 1, 1)));
}

TEST(Matrix4f, SetRotationAppliesXThenYThenZ)
{
    // rz * ry * rx: x turns (0, 1, 0) to (0, 0, 1), which z leaves alone.
    // The reverse order would give (-1, 0, 0).
    ExpectNear(Vector4f(0, 0, 1, 1), Rotated(90, 0, 90, Vector4f(0, 1, 0, 1)));
    // x: (0, 1, 0) -> (0, 0, 1); y: (0, 0, 1) -> (-1, 0, 0); z: -> (0, -1, 0).
    ExpectNear(Vector4f(0, -1, 0, 1), Rotated(90, 90, 90, Vector4f(0, 1, 0, 1)));
}

TEST(Matrix4f, TranslationAndProducts)
{
    Matrix4f t;
    t.SetTranslation(10, -20, 30);
    ExpectNear(Vector4f(11, -18, 33, 1), t * Vector4f(1, 2, 3, 1));
    // A direction (w = 0) is not moved.
    ExpectNear(Vector4f(1, 2, 3, 0), t * Vector4f(1, 2, 3, 0));
    // The vector written first still gets m * v.
    ExpectNear(Vector4f(11, -18, 33, 1), Vector4f(1, 2, 3, 1) * t);

    // t * r rotates first, then translates.
    Matrix4f r;
    r.SetRotation(0, 0, 90);
    ExpectNear(Vector4f(10, -19, 30, 1), (t * r) * Vector4f(1, 0, 0, 1));
    ExpectNear(Vector4f(20, 10, 0, 1), (r * t) * Vector4f(0, 0, -30, 1));

    Matrix4f identity;
    identity.SetIdentity();
    const Matrix4f same = t * identity;
    for (int row = 0; row < 4; row++)
        for (int col = 0; col < 4; col++)
            EXPECT_EQ(t.m[row][col], same.m[row][col]);
}

TEST(MathUtils, AngleConversionAndSinglePrecisionWrappers)
{
    EXPECT_EQ(static_cast<float>(3.141592653589793), DegreesToRadians(180));
    EXPECT_EQ(static_cast<float>(3.141592653589793 / 4), DegreesToRadians(45));
    EXPECT_EQ(180.0f, RadiansToDegrees(static_cast<float>(3.141592653589793)));
    EXPECT_EQ(static_cast<float>(std::sqrt(2.0)), Sqrtf(2));
    EXPECT_EQ(static_cast<float>(std::sin(1.0)), Sinf(1));
    EXPECT_EQ(static_cast<float>(std::cos(1.0)), Cosf(1));
    EXPECT_EQ(static_cast<float>(3 * 3.141592653589793 / 4), Atan2f(1, -1));
    EXPECT_EQ(2.5f, Fabsf(-2.5f));
}

TEST(MathUtils, RandomSequenceIsTheSameEverywhere)
{
    ResetRandom();
    EXPECT_EQ(16838, RandomInt());
    EXPECT_EQ(5758, RandomInt());
    EXPECT_EQ(10113, RandomInt());
    EXPECT_EQ(17515, RandomInt());
    EXPECT_EQ(31051, RandomInt());
    ResetRandom();
    EXPECT_EQ(static_cast<float>(16838 / 32767.0), RandomFloat());
    EXPECT_EQ(16838 % 6, (ResetRandom(), RandomInt() % 6));
}

TEST(MathUtils, RandomFloatCoversZeroToOneInclusive)
{
    // From the start of the sequence, draw 7498 yields 0 and draw 58509
    // yields 32767: RandomFloat must give exactly 0 and exactly 1 there.
    ResetRandom();
    float lowest = 2, highest = -1;
    for (int draw = 1; draw <= 58509; draw++) {
        const float f = RandomFloat();
        if (f < lowest) lowest = f;
        if (f > highest) highest = f;
        if (draw == 7498) {
            EXPECT_EQ(0.0f, f);
        }
        if (draw == 58509) {
            EXPECT_EQ(1.0f, f);
        }
    }
    EXPECT_EQ(0.0f, lowest);
    EXPECT_EQ(1.0f, highest);

    ResetRandom();
    int low = RandomMax, high = 0;
    for (int draw = 0; draw < 100000; draw++) {
        const int v = RandomInt();
        if (v < low) low = v;
        if (v > high) high = v;
    }
    EXPECT_EQ(0, low);
    EXPECT_EQ(32767, high);
    ResetRandom();
}
