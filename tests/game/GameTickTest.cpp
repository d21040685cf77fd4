// The game tick and input: firing, hits and explosions, the view switch,
// thrust and the floor, and the release of what can no longer matter.
#include "GameFixture.h"

#include "0-math/MathUtils.h"

#include <cfloat>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

constexpr int Left = GLUT_LEFT_BUTTON, Middle = GLUT_MIDDLE_BUTTON, Right = GLUT_RIGHT_BUTTON;

void ExpectVector(Vector3f expected, Vector3f actual, float tol = 1e-5f)
{
    EXPECT_NEAR(expected.x, actual.x, tol);
    EXPECT_NEAR(expected.y, actual.y, tol);
    EXPECT_NEAR(expected.z, actual.z, tol);
}

BoundingBox BoxFrom(Vector3f low, Vector3f high)
{
    BoundingBox box;
    box.SetMin(Vector4f(low.x, low.y, low.z, 1));
    box.SetMax(Vector4f(high.x, high.y, high.z, 1));
    return box;
}

}  // namespace

TEST(GameTickDt, CountsHundredthsOfASecondOfElapsedTime)
{
    EXPECT_EQ(1.0f, Game::TickDt(0.0f, 10.0f));
    EXPECT_EQ(2.5f, Game::TickDt(4000.0f, 4025.0f));
    EXPECT_FLOAT_EQ(123.4f, Game::TickDt(0.0f, 1234.0f)) << "the first tick includes loading, unclamped";
}

TEST_F(GameTest, StartsWithNothingInFlightAndTheShipAtItsStart)
{
    EXPECT_TRUE(game->GetBullets().empty());
    EXPECT_TRUE(game->GetExplosions().empty());
    EXPECT_FALSE(game->IsLookBack());
    ExpectVector(Vector3f(0, 0, 20), game->GetShip()->GetPosition(), 0);
    EXPECT_FLOAT_EQ(-90.0f, game->GetCamera()->GetAngleH());
    EXPECT_FLOAT_EQ(0.0f, game->GetCamera()->GetAngleV());
    ExpectVector(Vector3f(0, 0, -1), game->GetCamera()->GetTarget(), 0);

    // The target region: everything at height -35 or below, however far out.
    const BoundingBox& target = game->GetTargetBox();
    EXPECT_TRUE(BoxFrom(Vector3f(-1, -35, -1), Vector3f(1, -30, 1)).Intersects(target));  // touches
    EXPECT_TRUE(BoxFrom(Vector3f(1e30f, -80, -1e30f), Vector3f(1e30f, -79, -1e30f)).Intersects(target));
    EXPECT_FALSE(BoxFrom(Vector3f(-1, -34.99f, -1), Vector3f(1, -30, 1)).Intersects(target));

    // The first tick turns the camera to +z, the ship's start direction.
    game->Update(1.0f);
    ExpectVector(Vector3f(0, 0, 1), game->GetCamera()->GetTarget());
}

TEST_F(GameTest, AShotStraightDownExplodesOnThePredictedTickAtItsMovedPosition)
{
    MovePointer(400, 390);  // 90 pixels down: looking straight down
    const Vector3f direction = game->GetCamera()->GetTarget();
    ExpectVector(Vector3f(0, -1, 0), direction);
    Click(Left);
    ASSERT_EQ(1u, game->GetBullets().size());

    // dt 1.05 plays one step of one unit a tick (two every twentieth tick):
    // after 7 ticks the bullet is at y -28, after the 8th at -32, the first
    // position at or below -32.
    const float dt = 1.05f;
    Bullet reference(Vector3f(0, 0, 20), direction);
    for (int tick = 1; tick <= 7; tick++) {
        EXPECT_EQ(1.0f, game->Update(dt)) << "tick " << tick;
        reference.Update(1.0f);
        ASSERT_TRUE(game->GetExplosions().empty()) << "tick " << tick;
        ExpectVector(reference.GetPosition(), game->GetBullets()[0].GetPosition(), 0);
    }
    game->Update(dt);
    reference.Update(1.0f);
    ASSERT_EQ(1u, game->GetExplosions().size());
    const Particles* explosion = game->GetExplosions()[0];
    ExpectVector(reference.GetPosition(), explosion->GetOrigin(), 0);
    EXPECT_NEAR(-32.0f, explosion->GetOrigin().y, 1e-4f);
    EXPECT_FLOAT_EQ(0.025f, explosion->GetClock()) << "updated in the step that made it";
    EXPECT_TRUE(game->GetBullets().empty()) << "a bullet that hit is released";

    // It explodes once, and the explosion stays until every particle is spent.
    int ticks = 0;
    while (!game->GetExplosions().empty() && ticks < 200) {
        EXPECT_GT(game->GetExplosions()[0]->GetLiveCount(), 0);
        game->Update(dt);
        ticks++;
    }
    EXPECT_TRUE(game->GetExplosions().empty()) << "the explosion was not spent within 200 ticks";
    EXPECT_GT(ticks, 20);
}

TEST_F(GameTest, TwoHitsInOneTickMakeTwoExplosionsInBulletOrder)
{
    MovePointer(400, 360);  // 60 degrees down, looking along +z
    Click(Left);
    MovePointer(490, 360);  // 90 degrees to the right: looking along -x
    Click(Left);
    ASSERT_EQ(2u, game->GetBullets().size());
    const Vector3f first = game->GetBullets()[0].GetPosition();
    ExpectVector(Vector3f(0, 0, 20), first, 0);

    // Both descend at 4 sin 60 per unit of dt: the ninth tick of 1 takes
    // them to y -31.2, the box's foot to -34.2; the tenth to -34.6.
    Ticks(9, 1.0f);
    EXPECT_TRUE(game->GetExplosions().empty());
    game->Update(1.0f);
    ASSERT_EQ(2u, game->GetExplosions().size());
    EXPECT_GT(game->GetExplosions()[0]->GetOrigin().z, 30.0f);  // the one fired along +z
    EXPECT_LT(game->GetExplosions()[1]->GetOrigin().x, -10.0f);  // the one fired along -x
    for (const Particles* explosion : game->GetExplosions())
        EXPECT_FLOAT_EQ(0.025f, explosion->GetClock());
}

TEST_F(GameTest, ButtonsFireAndSwitchTheView)
{
    game->Update(1.0f);
    game->OnMouse(Left, GLUT_DOWN, 10, 10);
    EXPECT_EQ(1u, game->GetBullets().size());
    ExpectVector(game->GetShip()->GetPosition(), game->GetBullets()[0].GetPosition(), 0);
    ExpectVector(game->GetCamera()->GetTarget(), game->GetBullets()[0].GetDirection(), 0);
    game->OnMouse(Left, GLUT_UP, 10, 10);
    EXPECT_EQ(1u, game->GetBullets().size()) << "releasing the left button fires nothing";
    EXPECT_FALSE(game->IsLookBack());

    game->OnMouse(Right, GLUT_DOWN, 10, 10);
    EXPECT_TRUE(game->IsLookBack());
    EXPECT_EQ(2u, game->GetBullets().size()) << "a right press fires too";
    game->OnMouse(Right, GLUT_UP, 10, 10);
    EXPECT_FALSE(game->IsLookBack());
    EXPECT_EQ(2u, game->GetBullets().size()) << "its release fires nothing";

    game->OnMouse(Middle, GLUT_DOWN, 10, 10);
    game->OnMouse(Middle, GLUT_UP, 10, 10);
    game->OnMouse(3, GLUT_DOWN, 10, 10);  // a wheel step
    EXPECT_EQ(2u, game->GetBullets().size());
    EXPECT_FALSE(game->IsLookBack());
}

TEST_F(GameTest, OnlyTheSpaceBarThrusts)
{
    game->Update(1.0f);
    Ship* ship = game->GetShip();
    for (unsigned char key : {'w', 'a', '\r', '\x1b'}) {
        game->OnKeyDown(key);
        EXPECT_EQ(0, ship->GetThrust()) << int(key);
    }
    game->Update(2.0f);
    ExpectVector(Vector3f(0, 0, 20), ship->GetPosition(), 0);

    game->OnKeyDown(' ');
    EXPECT_EQ(1, ship->GetThrust());
    game->Update(2.0f);  // flies along its start direction, +z, at 1 per unit of dt
    ExpectVector(Vector3f(0, 0, 22), ship->GetPosition());

    game->OnKeyDown('w');
    game->OnKeyUp('w');
    EXPECT_EQ(1, ship->GetThrust()) << "other keys' releases leave thrust on";
    game->OnKeyUp(' ');
    EXPECT_EQ(0, ship->GetThrust()) << "space up clears thrust whatever else is held";
    game->Update(2.0f);
    ExpectVector(Vector3f(0, 0, 22), ship->GetPosition());
}

TEST_F(GameTest, TheShipFliesWhereTheCameraLooksAndNeverReachesTheFloor)
{
    MovePointer(400, 390);
    // The ship's own steering gives it a level direction (it turns by angleV
    // about the vertical axis); the frame then points it where the camera looks.
    EXPECT_NEAR(0.0f, game->GetShip()->direction.y, 1e-5f);
    game->Render();
    ExpectVector(Vector3f(0, -1, 0), game->GetShip()->direction);

    game->OnKeyDown(' ');
    game->Update(15.0f);
    game->Update(15.0f);
    EXPECT_NEAR(-30.0f, game->GetShip()->GetPosition().y, 1e-4f);
    // Steps of 1 take it down to -39; every one that would end at -40 or
    // lower is dropped.
    game->Update(20.0f);
    EXPECT_NEAR(-39.0f, game->GetShip()->GetPosition().y, 1e-4f);
    MovePointer(400, 360);  // 60 degrees down: a step goes 0.87 down, 0.5 ahead
    game->Render();
    game->Update(1.0f);  // to -39.87: above the floor, taken
    const Vector3f low = game->GetShip()->GetPosition();
    EXPECT_NEAR(-39.866f, low.y, 1e-3f);
    // A step that would end below the floor is dropped whole, x and z included.
    game->Update(1.0f);
    ExpectVector(low, game->GetShip()->GetPosition(), 0);
}

TEST_F(GameTest, ALongTickPlaysItsTimeUpToAQuarterOfASecond)
{
    // Thrust along +z, level: the ship moves one unit a step. A tick plays
    // the whole units that its dt and the fraction carried from the ticks
    // before make, and carries the rest. A stall (a suspended machine, a tab
    // in the background) plays as MaxTickDt and drops the rest, so the game
    // resumes where it stopped instead of leaping or catching up.
    game->Update(1.0f);
    game->OnKeyDown(' ');
    const struct {
        float dt, played;
    } ticks[] = {
        {0.5f, 0}, {1.0f, 1}, {2.5f, 3},  // half a unit waits for the next tick
        {0.3f, 0}, {0.3f, 0}, {0.3f, 0}, {0.3f, 1}, {0.3f, 0}, {0.3f, 0},
        {0.3f, 1}, {0.3f, 0}, {0.3f, 0}, {0.3f, 1},  // ten ticks of 0.3: exactly three steps
        {0.999f, 0}, {0.001f, 1},
        {1.01f, 1}, {16.0f, 16}, {0.99f, 1}, {25.0f, 25},
        {0.5f, 0}, {25.0f, 25}, {0.5f, 0}, {0.5f, 1},  // what is cut from a tick is dropped, carry included
        {40.0f, 25}, {360000.0f, 25},
    };
    for (size_t i = 0; i < std::size(ticks); i++) {
        const float before = game->GetShip()->GetPosition().z;
        EXPECT_EQ(ticks[i].played, game->Update(ticks[i].dt)) << "tick " << i << " of " << ticks[i].dt;
        EXPECT_NEAR(ticks[i].played, game->GetShip()->GetPosition().z - before, 1e-3f) << "tick " << i;
    }
}

TEST_F(GameTest, TheFirstExplosionIsTheSameInEveryRun)
{
    // Nothing before the first hit draws from the generator: a run that
    // starts from the generator's start explodes exactly like a bare
    // explosion made from the same start.
    ResetRandom();
    game.reset();
    game = std::make_unique<Game>(800, 600);
    game->Init();
    MovePointer(400, 390);
    Click(Left);
    int ticks = 0;
    while (game->GetExplosions().empty() && ticks++ < 20)
        game->Update(1.05f);
    ASSERT_EQ(1u, game->GetExplosions().size()) << "the shot straight down did not burst within 20 ticks";
    const Particles* fromGame = game->GetExplosions()[0];

    ResetRandom();
    Particles reference;
    reference.Init(fromGame->GetOrigin());
    reference.Update(1.0f);  // the one step of the tick that made it
    for (int i = 0; i < Particles::ParticleCount; i++) {
        ASSERT_EQ(reference.GetColour(i), fromGame->GetColour(i)) << i;
        ASSERT_EQ(reference.GetVerticalSpeed(i), fromGame->GetVerticalSpeed(i)) << i;
        ASSERT_EQ(reference.GetHeadingCos(i), fromGame->GetHeadingCos(i)) << i;
    }
}

TEST_F(GameTest, AShotUpwardsIsKeptWhileItCouldBeSeenAndReleasedAfter)
{
    MovePointer(400, 210);  // 90 pixels up: straight up
    Click(Left);
    // At 12,000 units a bullet can still lie inside the view volume, in a
    // corner of the frustum, although it is past the far plane's distance.
    Ticks(3000, 1.0f);
    ASSERT_EQ(1u, game->GetBullets().size());
    EXPECT_NEAR(12000.0f, game->GetBullets()[0].GetPosition().y, 1.0f);
    Ticks(7000, 1.0f);
    EXPECT_TRUE(game->GetBullets().empty());
}

TEST_F(GameTest, ADescendingShotIsKeptHoweverFarUntilItHits)
{
    // Climb to 1,000 units, then fire one degree down: the shot comes down
    // to the target region some 59,000 units out, far past any release distance.
    MovePointer(400, 210);
    game->Render();
    game->OnKeyDown(' ');
    Ticks(40, 25.0f);
    game->OnKeyUp(' ');
    ASSERT_NEAR(1000.0f, game->GetShip()->GetPosition().y, 0.1f);
    MovePointer(400, 301);
    Click(Left);
    int ticks = 0;
    while (game->GetExplosions().empty() && ticks++ < 1000) {
        ASSERT_EQ(1u, game->GetBullets().size()) << "tick " << ticks;
        game->Update(Game::MaxTickDt);
    }
    ASSERT_EQ(1u, game->GetExplosions().size()) << "the shot did not burst within 1000 ticks";
    EXPECT_TRUE(game->GetBullets().empty());
    EXPECT_GT(game->GetExplosions()[0]->GetOrigin().z, 50000.0f);
}

TEST_F(GameTest, ASteepShotLooksTheSameAtEveryTickLength)
{
    // Fired 60 degrees down and watched from 40 degrees down: in steps of one
    // unit it bursts just under y -32 ten units after it is fired, above the
    // ground ahead of the ship, and spreads for some 90 units more. Played in
    // ticks of any length, every frame shows what the game at dt 1 shows after
    // the same whole number of units.
    // Tick lengths in hundredths of a unit: half a unit; the 1.01 to 1.5 that
    // the timer's whole milliseconds and its lateness give; slow machines;
    // six frames a second.
    const int lengths[] = {50, 101, 110, 125, 150, 250, 330, 1600};
    constexpr int FrameEvery = 6, Frames = 8;  // a frame is looked at every 6 units, up to 48
    constexpr int BurstBy = 12;                // units after which the shot has burst

    using frames::Draw, frames::Differences, frames::Same, frames::W, frames::H;
    const auto start = [](bool fire) {
        ResetRandom();  // every run's explosion draws the same particles
        auto run = std::make_unique<Game>(W, H);
        run->Init();
        run->OnPassiveMotion(W / 2, H / 2 + 60);
        run->Update(1.0f);
        if (fire) {
            run->OnMouse(Left, GLUT_DOWN, W / 2, H / 2);
            run->OnMouse(Left, GLUT_UP, W / 2, H / 2);
        }
        run->OnPassiveMotion(W / 2, H / 2 + 40);
        return run;
    };
    // The whole units played after each tick that draws a frame: the first
    // tick at or past each multiple of FrameEvery.
    const auto seenAt = [](int hundredths) {
        std::vector<int> units;
        for (int tick = 1, next = FrameEvery; next <= Frames * FrameEvery; tick++) {
            const int whole = tick * hundredths / 100;
            if (whole >= next) {
                units.push_back(whole);
                next = (whole / FrameEvery + 1) * FrameEvery;
            }
        }
        return units;
    };

    // The game at dt 1, at every multiple of FrameEvery and every whole time
    // another run draws a frame.
    std::map<int, std::vector<gltest::Rgba>> reference;
    for (int units = FrameEvery; units <= Frames * FrameEvery; units += FrameEvery)
        reference[units];
    for (int length : lengths)
        for (int units : seenAt(length))
            reference[units];
    {
        auto run = start(true);
        for (int units = 1; units <= reference.rbegin()->first; units++) {
            run->Update(1.0f);
            if (reference.count(units) != 0)
                reference[units] = Draw(*run);
        }
    }

    // The burst is in the frames compared: red-to-orange points where a game
    // that never fired shows none.
    {
        auto calm = start(false);
        int framesWithTheBurst = 0;
        for (int units = 1; units <= Frames * FrameEvery; units++) {
            calm->Update(1.0f);
            if (units % FrameEvery != 0 || units <= BurstBy)
                continue;
            const std::vector<gltest::Rgba> quiet = Draw(*calm), & shot = reference.at(units);
            int points = 0;
            for (size_t i = 0; i < shot.size(); i++) {
                const gltest::Rgba p = shot[i];
                points += !Same(p, quiet[i]) && p.r > 170 && p.r - p.b > 110 && p.r - p.g > 40;
            }
            framesWithTheBurst += points > 40;
        }
        EXPECT_EQ(Frames - BurstBy / FrameEvery, framesWithTheBurst) << "frames after the burst showing its points at dt 1";
    }

    for (int length : lengths) {
        const float dt = static_cast<float>(length) / 100.0f;
        SCOPED_TRACE("ticks of " + std::to_string(dt));
        auto run = start(true);
        int ticks = 0;
        bool burstChecked = false;
        for (int units : seenAt(length)) {
            while (ticks * length / 100 < units) {
                run->Update(dt);
                ticks++;
            }
            const frames::Region off = Differences(reference.at(units), Draw(*run), 48);
            EXPECT_LE(off.count, W * H * 5 / 10000) << "pixels off by more than 48 from dt 1's at game time " << units;
            if (units >= BurstBy && !burstChecked) {
                burstChecked = true;
                ASSERT_EQ(1u, run->GetExplosions().size()) << "no burst by game time " << units;
                EXPECT_GT(run->GetExplosions()[0]->GetOrigin().y, -36.0f) << "burst too low";
            }
        }
    }
}

namespace {

long ResidentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

TEST_F(GameTest, ALongSessionKeepsItsCountsAndMemoryBounded)
{
    // Forty thousand ticks (over six minutes of play at dt 1) of flying in
    // circles with continuous fire: down, ahead, up and sideways in turn.
    const int totalTicks = 40000;
    const int fireEvery = 5;
    const int pointerY[] = {390, 300, 210, 330, 260};
    size_t mostBullets = 0, mostExplosions = 0;
    long residentAtHalf = 0;
    int shots = 0;
    game->OnKeyDown(' ');
    for (int tick = 0; tick < totalTicks; tick++) {
        if (tick % fireEvery == 0) {
            MovePointer(400 + (tick / fireEvery) % 360, pointerY[shots % 5]);
            Click(shots % 2 ? Left : Right);
            shots++;
        }
        game->Update(1.0f);
        mostBullets = std::max(mostBullets, game->GetBullets().size());
        mostExplosions = std::max(mostExplosions, game->GetExplosions().size());
        if (tick == totalTicks / 2)
            residentAtHalf = ResidentKilobytes();
    }
    const long growth = ResidentKilobytes() - residentAtHalf;
    std::printf("long session: %d shots, at most %zu bullets and %zu explosions live, %ld KB gained in the second half\n",
                shots, mostBullets, mostExplosions, growth);

    // Upward shots live until about 20,000 units out (under 7,000 ticks),
    // explosions under 100 ticks.
    EXPECT_LT(mostBullets, 7000u / fireEvery);
    EXPECT_LT(mostExplosions, 100u / fireEvery + 2);
    EXPECT_GT(mostExplosions, 1u);
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer holds freed blocks back in quarantine
    EXPECT_LT(growth, 16 * 1024) << "kilobytes gained in the second half";
#endif

    // A frame in the middle of it all still draws.
    game->Render();

    // With the trigger released everything runs out.
    game->OnKeyUp(' ');
    Ticks(8000, 1.0f);
    EXPECT_TRUE(game->GetBullets().empty());
    EXPECT_TRUE(game->GetExplosions().empty());
}
