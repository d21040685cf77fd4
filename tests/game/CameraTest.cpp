// Camera: angles from the start direction, one degree per pixel, the view and
// up vectors from the angles.
#include "GlTestContext.h"

#include "4-game/Camera.h"

using CameraGl = gltest::GlTest;

namespace {

constexpr float Tol = 1e-5f;

void ExpectVector(Vector3f expected, Vector3f actual, float tol = Tol)
{
    EXPECT_NEAR(expected.x, actual.x, tol);
    EXPECT_NEAR(expected.y, actual.y, tol);
    EXPECT_NEAR(expected.z, actual.z, tol);
}

// The game's camera: 800x600, at the origin, built looking along -z.
Camera GameCamera()
{
    return Camera(800, 600, Vector3f(0, 0, 0), Vector3f(0, 0, -1));
}

}  // namespace

TEST_F(CameraGl, CameraStartsWithTheGivenDirectionUntilItsFirstUpdate)
{
    Camera camera = GameCamera();
    EXPECT_FLOAT_EQ(-90.0f, camera.GetAngleH());
    EXPECT_FLOAT_EQ(0.0f, camera.GetAngleV());
    ExpectVector(Vector3f(0, 0, -1), camera.GetTarget(), 0);
    ExpectVector(Vector3f(0, 1, 0), camera.GetUp(), 0);

    // The first update turns it round to +z, the ship's start direction.
    camera.Update();
    ExpectVector(Vector3f(0, 0, 1), camera.GetTarget());
    ExpectVector(Vector3f(0, 1, 0), camera.GetUp());
}

TEST_F(CameraGl, CameraAnglesDoNotDependOnTheDirectionsLength)
{
    Camera unit(800, 600, Vector3f(0, 0, 0), Vector3f(0.6f, 0.0f, 0.8f));
    Camera scaled(800, 600, Vector3f(0, 0, 0), Vector3f(6.0f, 0.0f, 8.0f));
    EXPECT_FLOAT_EQ(unit.GetAngleH(), scaled.GetAngleH());
    EXPECT_FLOAT_EQ(unit.GetAngleV(), scaled.GetAngleV());
    ExpectVector(Vector3f(0.6f, 0.0f, 0.8f), scaled.GetTarget());
}

TEST_F(CameraGl, CameraReferenceDirections)
{
    struct Case {
        int dx;  // pointer movement from the centre, pixels
        Vector3f target;
    };
    // From angleH -90: +dx lowers angleH. angleH 0 -> +x, -90 -> +z, 90 -> -z, 180 -> -x.
    const Case cases[] = {
        {0, Vector3f(0, 0, 1)},
        {-90, Vector3f(1, 0, 0)},
        {-180, Vector3f(0, 0, -1)},
        {-270, Vector3f(-1, 0, 0)},
        {10, Vector3f(-0.17365f, 0, 0.98481f)},  // 10 pixels right turns the view right
    };
    for (const Case& c : cases) {
        Camera camera = GameCamera();
        camera.OnMouse(400 + c.dx, 300);
        SCOPED_TRACE(c.dx);
        ExpectVector(c.target, camera.GetTarget());
        ExpectVector(Vector3f(0, 1, 0), camera.GetUp());
    }
}

TEST_F(CameraGl, CameraTiltsDownWithoutLimit)
{
    Camera camera = GameCamera();
    camera.OnMouse(400, 310);
    EXPECT_FLOAT_EQ(10.0f, camera.GetAngleV());
    ExpectVector(Vector3f(0, -0.17365f, 0.98481f), camera.GetTarget());
    ExpectVector(Vector3f(0, 0.98481f, 0.17365f), camera.GetUp());

    camera.OnMouse(400, 390);  // 90 pixels below the centre: straight down
    ExpectVector(Vector3f(0, -1, 0), camera.GetTarget());
    ExpectVector(Vector3f(0, 0, 1), camera.GetUp());

    camera.OnMouse(400, 480);  // 180: turned over, looking backwards
    ExpectVector(Vector3f(0, 0, -1), camera.GetTarget());
    ExpectVector(Vector3f(0, -1, 0), camera.GetUp());
}

TEST_F(CameraGl, CameraMeasuresEachMoveFromTheLastEvent)
{
    Camera camera = GameCamera();
    camera.OnMouse(410, 300);  // first event: from the centre the constructor warped to
    camera.OnMouse(430, 295);
    EXPECT_FLOAT_EQ(-90.0f - 30.0f, camera.GetAngleH());
    EXPECT_FLOAT_EQ(-5.0f, camera.GetAngleV());

    // Repeating the last position changes nothing but still recomputes.
    const Vector3f before = camera.GetTarget();
    camera.OnMouse(430, 295);
    ExpectVector(before, camera.GetTarget(), 0);
}
