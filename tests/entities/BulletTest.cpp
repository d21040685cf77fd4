// Bullet: straight flight at speed 4, a box of half-edge 3 that follows it,
// and drawing that leaves texturing off.
#include "GlTestContext.h"

#include "3-entities/Bullet.h"

using BulletGl = gltest::GlTest;

namespace {

BoundingBox TargetLayer()
{
    // Everything at height -35 or below, as the game sets it up.
    BoundingBox target;
    const Vector4f low(-3.4e38f, -3.4e38f, -3.4e38f, 1);
    const Vector4f high(3.4e38f, -35, 3.4e38f, 1);
    target.SetLocalMin(low);
    target.SetMin(low);
    target.SetLocalMax(high);
    target.SetMax(high);
    return target;
}

}  // namespace

TEST(Bullet, MovesAtFourUnitsPerDtAndCarriesItsBox)
{
    Bullet bullet(Vector3f(0, 0, 20), Vector3f(0, 0, -1));
    EXPECT_TRUE(bullet.IsAlive());
    // Before its first move the box lies around the world origin.
    EXPECT_FLOAT_EQ(-3.0f, bullet.GetBoundingBox().GetMin().z);

    bullet.Update(2.0f);
    EXPECT_FLOAT_EQ(12.0f, bullet.GetPosition().z);
    const BoundingBox box = bullet.GetBoundingBox();
    EXPECT_FLOAT_EQ(-3.0f, box.GetMin().x);
    EXPECT_FLOAT_EQ(-3.0f, box.GetMin().y);
    EXPECT_FLOAT_EQ(9.0f, box.GetMin().z);
    EXPECT_FLOAT_EQ(3.0f, box.GetMax().x);
    EXPECT_FLOAT_EQ(3.0f, box.GetMax().y);
    EXPECT_FLOAT_EQ(15.0f, box.GetMax().z);

    // A copy: changing it leaves the bullet's own box alone.
    BoundingBox copy = bullet.GetBoundingBox();
    copy.SetMin(Vector4f(100, 100, 100, 1));
    EXPECT_FLOAT_EQ(-3.0f, bullet.GetBoundingBox().GetMin().x);
}

TEST(Bullet, FiredStraightDownReachesTheTargetLayerOnItsEighthMove)
{
    Bullet bullet(Vector3f(0, 0, 0), Vector3f(0, -1, 0));
    const BoundingBox target = TargetLayer();
    for (int tick = 1; tick <= 7; tick++) {
        bullet.Update(1.0f);
        EXPECT_FALSE(bullet.GetBoundingBox().Intersects(target)) << "tick " << tick;
    }
    bullet.Update(1.0f);
    EXPECT_FLOAT_EQ(-32.0f, bullet.GetPosition().y);
    EXPECT_TRUE(bullet.GetBoundingBox().Intersects(target));
}

TEST_F(BulletGl, BulletDrawsAWhiteSphereAndLeavesTexturingOff)
{
    glColor4f(0, 0, 1, 1);
    Bullet bullet(Vector3f(0, 0, -10), Vector3f(0, 0, -1));
    bullet.Update(0.0f);
    bullet.Draw();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    // Centre of the window: the sphere, 10 units ahead, is white on white
    // clear; look for depth written there instead, and nothing at a corner.
    float depth = 1.0f;
    glReadPixels(400, 300, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_LT(depth, 1.0f);
    glReadPixels(5, 5, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(1.0f, depth);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(1.0f, colour[2]);
    EXPECT_EQ(1.0f, colour[0]);
}
