// Particles: the launch ranges, the flight rules (displacement by elapsed
// time, spent below the origin's height), the one random sequence, drawing.
#include "GlTestContext.h"

#include "0-math/MathUtils.h"
#include "3-entities/Particles.h"

#include <cmath>
#include <memory>

using ParticlesGl = gltest::GlTest;

namespace {

constexpr int Count = Particles::ParticleCount;
constexpr double Step = 0.025;  // explosion time per update at dt = 1

std::unique_ptr<Particles> Explosion(Vector3f origin)
{
    auto p = std::make_unique<Particles>();
    p->Init(origin);
    return p;
}

// Height above the origin after n updates at dt = 1, in closed form:
// sum over k < n of (v - 2.5 k s) k s.
double HeightAfter(double vertical, int n)
{
    return vertical * Step * n * (n - 1) / 2.0 - 2.5 * Step * Step * (n - 1.0) * n * (2.0 * n - 1.0) / 6.0;
}

}  // namespace

TEST(Particles, StartAtTheOriginWithLaunchValuesInRange)
{
    EXPECT_TRUE(std::make_unique<Particles>()->IsSpent()) << "before Init nothing is live";
    auto p = Explosion(Vector3f(1, -32, 3));
    EXPECT_EQ(0.0f, p->GetClock());
    EXPECT_EQ(Count, p->GetLiveCount());
    for (int i = 0; i < Count; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(1.0f, p->GetPosition(i).x);
        EXPECT_EQ(-32.0f, p->GetPosition(i).y);
        EXPECT_EQ(3.0f, p->GetPosition(i).z);
        EXPECT_EQ(0.0f, p->GetTime(i));
        EXPECT_GE(p->GetColour(i), 0);
        EXPECT_LE(p->GetColour(i), 5);
        const double h = p->GetHorizontalSpeed(i), v = p->GetVerticalSpeed(i);
        const double speed = std::sqrt(h * h + v * v);
        EXPECT_GE(speed, 2.2 - 1e-5);
        EXPECT_LE(speed, 4.0 + 1e-5);
        const double elevation = std::atan2(v, h) * 180.0 / Pi;
        EXPECT_GE(elevation, 30.0 - 1e-3);
        EXPECT_LE(elevation, 70.0 + 1e-3);
        const double c = p->GetHeadingCos(i), s = p->GetHeadingSin(i);
        EXPECT_NEAR(1.0, c * c + s * s, 1e-5);
    }
}

TEST(Particles, FlyByTheExplosionsElapsedTimeAndGoOutBelowTheOrigin)
{
    auto p = Explosion(Vector3f(0, 0, 0));
    p->Update(1.0f);
    EXPECT_FLOAT_EQ(0.025f, p->GetClock());
    for (int i = 0; i < Count; i++) {
        EXPECT_EQ(0.0f, p->GetPosition(i).x);
        EXPECT_EQ(0.0f, p->GetPosition(i).y);  // at the origin's height: not spent
        EXPECT_NE(Particles::SpentColour, p->GetColour(i));
    }

    // Walk on update by update and compare every particle with the closed
    // forms: horizontal distance speed * s * n(n-1)/2, and spent on the first
    // update whose height is below the origin's.
    int spentAt[Count] = {};
    for (int n = 2; n <= 120; n++) {
        p->Update(1.0f);
        for (int i = 0; i < Count; i++) {
            if (spentAt[i] == 0 && p->GetColour(i) == Particles::SpentColour)
                spentAt[i] = n;
        }
        if (n == 3) {
            for (int i = 0; i < Count; i++) {
                const double d = p->GetHorizontalSpeed(i) * Step * 3.0;  // n(n-1)/2 = 3
                EXPECT_NEAR(p->GetHeadingCos(i) * d, p->GetPosition(i).x, 1e-5);
                EXPECT_NEAR(p->GetHeadingSin(i) * d, p->GetPosition(i).z, 1e-5);
            }
        }
    }
    for (int i = 0; i < Count; i++) {
        int expected = 2;
        while (HeightAfter(p->GetVerticalSpeed(i), expected) >= 0.0 && expected < 1000)
            expected++;
        ASSERT_LT(expected, 1000) << "particle " << i << " would never come down";
        SCOPED_TRACE(i);
        EXPECT_GE(spentAt[i], 27);
        EXPECT_LE(spentAt[i], 91);
        // Float rounding may shift a particle that lands right at the origin's height by one update.
        if (std::fabs(HeightAfter(p->GetVerticalSpeed(i), expected)) > 1e-3 &&
            std::fabs(HeightAfter(p->GetVerticalSpeed(i), expected - 1)) > 1e-3)
            EXPECT_EQ(expected, spentAt[i]);
        else
            EXPECT_NEAR(expected, spentAt[i], 1);
    }
    EXPECT_TRUE(p->IsSpent());
    EXPECT_EQ(0, p->GetLiveCount());
}

TEST(Particles, VerticalSpeedTwoIsSpentAfterItsFortyNinthUpdate)
{
    // The closed form the previous test checks against, at the reference speeds.
    EXPECT_GT(HeightAfter(2.0, 48), 0.0);
    EXPECT_LT(HeightAfter(2.0, 49), 0.0);
    EXPECT_GT(HeightAfter(1.0, 24), 0.0);
    EXPECT_LT(HeightAfter(1.0, 25), 0.0);
}

TEST(Particles, EveryRunsFirstExplosionIsTheSameAndTheNextOneDiffers)
{
    ResetRandom();
    auto first = Explosion(Vector3f(0, -32, 0));
    auto second = Explosion(Vector3f(0, -32, 0));
    ResetRandom();
    auto again = Explosion(Vector3f(0, -32, 0));

    int differing = 0;
    for (int i = 0; i < Count; i++) {
        EXPECT_EQ(first->GetHorizontalSpeed(i), again->GetHorizontalSpeed(i));
        EXPECT_EQ(first->GetVerticalSpeed(i), again->GetVerticalSpeed(i));
        EXPECT_EQ(first->GetHeadingCos(i), again->GetHeadingCos(i));
        EXPECT_EQ(first->GetColour(i), again->GetColour(i));
        if (first->GetVerticalSpeed(i) != second->GetVerticalSpeed(i))
            differing++;
    }
    EXPECT_GT(differing, Count / 2);

    // Four draws per particle, in the order elevation, heading, speed, colour.
    ResetRandom();
    const float elevation = DegreesToRadians(RandomFloat() * 40.0f + 30.0f);
    const float heading = DegreesToRadians(RandomFloat() * 360.0f);
    const float speed = RandomFloat() * 1.8f - 0.8f + 3.0f;
    const int colour = RandomInt() % 6;
    EXPECT_EQ(Cosf(elevation) * speed, first->GetHorizontalSpeed(0));
    EXPECT_EQ(Sinf(elevation) * speed, first->GetVerticalSpeed(0));
    EXPECT_EQ(Cosf(heading), first->GetHeadingCos(0));
    EXPECT_EQ(Sinf(heading), first->GetHeadingSin(0));
    EXPECT_EQ(colour, first->GetColour(0));
    // The second explosion continues the sequence where the first stopped.
    for (int skip = 4; skip < 4 * Count; skip++)
        RandomInt();
    const float nextElevation = DegreesToRadians(RandomFloat() * 40.0f + 30.0f);
    RandomFloat();
    const float nextSpeed = RandomFloat() * 1.8f - 0.8f + 3.0f;
    EXPECT_EQ(Sinf(nextElevation) * nextSpeed, second->GetVerticalSpeed(0));
}

TEST_F(ParticlesGl, ParticlesDrawLivePointsOnlyAndLeaveTexturingOff)
{
    auto p = Explosion(Vector3f(0, -2, -40));
    for (int n = 0; n < 20; n++)
        p->Update(1.0f);
    ASSERT_GT(p->GetLiveCount(), 0);
    p->Draw();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(1, gltest::GetInteger(GL_MODELVIEW_STACK_DEPTH));

    // Points blend with the white clear (multisampling): look for a shift
    // towards red and orange, and nothing blue or green on its own.
    int tinted = 0;
    for (const gltest::Rgba& px : gltest::ReadFrame()) {
        if (px.b < 200 && px.r > 200)
            tinted++;
        EXPECT_GE(px.r, px.g);
    }
    EXPECT_GT(tinted, 100);

    // Once every particle is spent nothing is drawn.
    for (int n = 0; !p->IsSpent(); n++) {
        ASSERT_LT(n, 400) << "the explosion was not spent within 400 updates";
        p->Update(1.0f);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    p->Draw();
    int drawn = 0;
    for (const gltest::Rgba& px : gltest::ReadFrame())
        drawn += (px.r != 255 || px.g != 255 || px.b != 255);
    EXPECT_EQ(0, drawn);
}
