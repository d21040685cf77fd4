// Ship: angles from the start direction, steering (with its angleV quirk),
// thrusting and the floor, drawing.
#include "GameFixture.h"

#include <algorithm>
#include <vector>

namespace {

void ExpectVector(Vector3f expected, Vector3f actual, float tol = 1e-4f)
{
    EXPECT_NEAR(expected.x, actual.x, tol);
    EXPECT_NEAR(expected.y, actual.y, tol);
    EXPECT_NEAR(expected.z, actual.z, tol);
}

}  // namespace

using ShipTest = InAssetsTest;

TEST_F(ShipTest, StartsLevelLookingAlongPlusZWithTheAnglesItWillBeDrawnWith)
{
    Ship ship(Vector3f(0, 0, 20), Vector3f(0, 0, 1), 1.0f);
    EXPECT_FLOAT_EQ(0.0f, ship.GetAngleH());
    EXPECT_FLOAT_EQ(90.0f, ship.GetAngleV());
    ExpectVector(Vector3f(0, 0, 1), ship.direction, 0);  // kept as given
    EXPECT_EQ(0, ship.GetThrust());
}

TEST_F(ShipTest, SteersFromTheWindowCentreWithTheAnglesSwapped)
{
    // NOTE: the ship turns by angleV about the vertical axis, so pointer
    // motion up and down turns it sideways and the reverse.
    {
        Ship ship(Vector3f(0, 0, 20), Vector3f(0, 0, 1), 1.0f);
        ship.OnMouse(400, 300);
        EXPECT_FLOAT_EQ(0.0f, ship.GetAngleH());
        EXPECT_FLOAT_EQ(90.0f, ship.GetAngleV());
        ExpectVector(Vector3f(0, 0, -1), ship.direction);
    }
    {
        Ship ship(Vector3f(0, 0, 20), Vector3f(0, 0, 1), 1.0f);
        ship.OnMouse(390, 300);
        EXPECT_FLOAT_EQ(10.0f, ship.GetAngleH());
        ExpectVector(Vector3f(0, -0.1736f, -0.9848f), ship.direction);
    }
    {
        Ship ship(Vector3f(0, 0, 20), Vector3f(0, 0, 1), 1.0f);
        ship.OnMouse(400, 310);
        EXPECT_FLOAT_EQ(100.0f, ship.GetAngleV());
        ExpectVector(Vector3f(-0.1736f, 0, -0.9848f), ship.direction);
        ship.OnMouse(400, 310);  // no movement: nothing changes
        EXPECT_FLOAT_EQ(100.0f, ship.GetAngleV());
    }
}

TEST_F(ShipTest, MovesOnlyWhileThrustingAndNeverDownToTheFloor)
{
    Ship ship(Vector3f(0, 0, 20), Vector3f(0, 0, 1), 1.0f);
    ship.direction = Vector3f(0, 0, -1);
    ship.Update(5.0f);
    ExpectVector(Vector3f(0, 0, 20), ship.GetPosition(), 0);
    ship.SetThrust(2);  // only exactly 1 moves it
    ship.Update(5.0f);
    ExpectVector(Vector3f(0, 0, 20), ship.GetPosition(), 0);

    ship.SetThrust(1);
    ship.Update(2.0f);
    ExpectVector(Vector3f(0, 0, 18), ship.GetPosition(), 0);

    // Down and forward: a step ending at -40 or lower is dropped whole.
    ship.direction = Vector3f(0, -0.5f, 0.5f);
    ship.Update(60.0f);
    ExpectVector(Vector3f(0, -30, 48), ship.GetPosition(), 0);
    ship.Update(20.0f);  // would end at exactly -40
    ExpectVector(Vector3f(0, -30, 48), ship.GetPosition(), 0);
    ship.Update(100.0f);
    ExpectVector(Vector3f(0, -30, 48), ship.GetPosition(), 0);
    ship.Update(19.0f);
    ExpectVector(Vector3f(0, -39.5f, 57.5f), ship.GetPosition(), 0);
}

TEST_F(ShipTest, DrawsAtItsPositionAndRestoresTheMatrix)
{
    if (!HaveShipModel())
        GTEST_SKIP() << "assets/Ship2.dae is not there yet";
    Ship ship(Vector3f(0, 0, -30), Vector3f(0, 0, 1), 1.0f);
    ship.Draw();
    EXPECT_EQ(1, gltest::GetInteger(GL_MODELVIEW_STACK_DEPTH));

    // Something was drawn around the centre of the window, where the ship is,
    // and nothing at the corners.
    float depth = 1.0f;
    int covered = 0;
    for (int y = 250; y <= 350; y += 10) {
        for (int x = 350; x <= 450; x += 10) {
            glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
            covered += depth < 1.0f;
        }
    }
    EXPECT_GT(covered, 0);
    glReadPixels(2, 2, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(1.0f, depth);

    // The parts' boxes were moved with the ship: together they enclose it.
    const std::vector<BoundingBox> boxes = ship.GetBoundingBoxes();
    ASSERT_FALSE(boxes.empty());
    Vector4f low = boxes[0].GetMin(), high = boxes[0].GetMax();
    for (const BoundingBox& box : boxes) {
        low.z = std::min(low.z, box.GetMin().z);
        high.z = std::max(high.z, box.GetMax().z);
    }
    EXPECT_LT(low.z, -30.0f);
    EXPECT_GT(high.z, -30.0f);
}
