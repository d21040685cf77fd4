// The frame: sky, terrain, the ship below the centre, the eye behind or in
// front of the ship, textured towers, explosions. Checked against reference
// drawings made the plain way with the same sky box and terrain.
#include "GameFixture.h"

#include "1-world/Skybox.h"
#include "1-world/Terrain.h"

#include <GL/glu.h>

#include <algorithm>
#include <vector>

using gltest::Rgba;

namespace {

using namespace frames;

// The game's view for an eye and the ship's position, as a model-view matrix.
void LoadView(Vector3f eye, Vector3f centre, Vector3f up)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, -5, 0);
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
}

void ExpectModelViewIsTheView(Vector3f eye, Vector3f centre, Vector3f up)
{
    GLfloat drawn[16], expected[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, drawn);
    LoadView(eye, centre, up);
    glGetFloatv(GL_MODELVIEW_MATRIX, expected);
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(expected[i], drawn[i], 1e-4f) << "entry " << i;
}

void WhiteNoTexture()
{
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_TEXTURE_2D);
}

std::vector<Rgba> RenderGame(Game& game)
{
    return frames::Draw(game);
}

}  // namespace

TEST_F(GameTest, StartFrameShowsSkyAboveTerrainAndTheShipBelowTheCentre)
{
    game->Update(1.0f);
    const std::vector<Rgba> frame = RenderGame(*game);
    ExpectModelViewIsTheView(Vector3f(0, 0, -10), Vector3f(0, 0, 20), Vector3f(0, 1, 0));

    // References: the sky alone, then sky and terrain, drawn with the game's view.
    Skybox sky;
    sky.SetSize(30);
    sky.Init("Skybox/up.png", "Skybox/down.png", "Skybox/out.png", "Skybox/in.png", "Skybox/left.png",
             "Skybox/right.png");
    Terrain terrain;
    terrain.Init("heightmap.raw");

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    LoadView(Vector3f(0, 0, -10), Vector3f(0, 0, 20), Vector3f(0, 1, 0));
    WhiteNoTexture();
    sky.Draw(0, 0, -10);
    const std::vector<Rgba> skyOnly = gltest::ReadFrame();
    WhiteNoTexture();
    glPushMatrix();
    glTranslatef(0, -40, 0);
    terrain.Draw(gltest::CurrentView());
    glPopMatrix();
    const std::vector<Rgba> skyAndTerrain = gltest::ReadFrame();

    // The top of the frame is sky, the bottom terrain.
    for (int x = 0; x < W; x += 7) {
        EXPECT_TRUE(Same(At(skyOnly, x, H - 10), At(frame, x, H - 10))) << x;
        EXPECT_TRUE(Same(At(skyAndTerrain, x, 10), At(frame, x, 10))) << x;
        EXPECT_FALSE(Same(At(skyOnly, x, 10), At(frame, x, 10), 0)) << x;
    }

    // Everything else the frame holds is the ship: near the middle, below the
    // centre, where the look-at point lands 5 units down at 30 units away.
    if (!HaveShipModel())
        GTEST_SKIP() << "assets/Ship2.dae is not there yet";
    const Region ship = Differences(frame, skyAndTerrain);
    ASSERT_GT(ship.count, 500);
    const int expectedY = static_cast<int>(H / 2 - (5.0 / 30.0) / 0.41421356 * (H / 2));  // about 179
    EXPECT_LE(ship.x0, W / 2);
    EXPECT_GE(ship.x1, W / 2);
    EXPECT_NEAR(W / 2, (ship.x0 + ship.x1) / 2, 20);
    EXPECT_LE(ship.y0, expectedY);
    EXPECT_GE(ship.y1, expectedY);
    EXPECT_LT(ship.y1, H / 2) << "the whole ship lies below the centre";
    EXPECT_GT(ship.x0, W / 8);
    EXPECT_LT(ship.x1, W - W / 8);
}

TEST_F(GameTest, TheEyeIsBehindTheShipOrInFrontWhileTheRightButtonIsHeld)
{
    game->Update(1.0f);
    RenderGame(*game);
    ExpectModelViewIsTheView(Vector3f(0, 0, -10), Vector3f(0, 0, 20), Vector3f(0, 1, 0));

    game->OnMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 400, 300);
    const std::vector<Rgba> front = RenderGame(*game);
    ExpectModelViewIsTheView(Vector3f(0, 0, 50), Vector3f(0, 0, 20), Vector3f(0, 1, 0));

    game->OnMouse(GLUT_RIGHT_BUTTON, GLUT_UP, 400, 300);
    game->Update(1.0f);
    RenderGame(*game);
    ExpectModelViewIsTheView(Vector3f(0, 0, -10), Vector3f(0, 0, 20), Vector3f(0, 1, 0));

    // Turned: the eye follows the view direction, up follows the tilt.
    game->OnPassiveMotion(400, 330);
    game->Update(1.0f);
    RenderGame(*game);
    const Vector3f v = game->GetCamera()->GetTarget();
    ExpectModelViewIsTheView(Vector3f(0, 0, 20) - v * 30.0f, Vector3f(0, 0, 20), game->GetCamera()->GetUp());
}

// The terrain chooses its detail from the view the frame hands it, which must
// be the view OpenGL draws with, at the window's size after a reshape.
TEST_F(GameTest, TheTerrainChoosesItsDetailForTheViewDrawnAtTheWindowsSize)
{
    struct Case {
        const char* name;
        int width, height;
        bool lookBack;
    };
    const Case cases[] = {
        {"the window", W, H, false},
        {"the front view", W, H, true},
        {"reshaped smaller", W / 2, H / 2, false},
        {"reshaped wide", 1000, 300, false},
    };
    Terrain& terrain = *game->GetTerrain();
    game->OnPassiveMotion(430, 320);  // turned and tilted a little
    game->Update(1.0f);
    std::vector<int> triangles;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GlWindow::Reshape(c.width, c.height);
        game->OnReshape(c.width, c.height);
        if (c.lookBack)
            game->OnMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 430, 320);
        RenderGame(*game);
        const int regions = terrain.GetDrawnRegions();
        triangles.push_back(terrain.GetDrawnTriangles());

        glPushMatrix();
        glTranslatef(0, -40, 0);
        terrain.Draw(gltest::CurrentView());
        glPopMatrix();
        EXPECT_EQ(terrain.GetDrawnRegions(), regions);
        EXPECT_EQ(terrain.GetDrawnTriangles(), triangles.back());
        if (c.lookBack)
            game->OnMouse(GLUT_RIGHT_BUTTON, GLUT_UP, 430, 320);
    }
    EXPECT_LT(triangles[2], triangles[0]) << "a smaller window shows less detail";
}

TEST_F(GameTest, TowersAreTexturedEvenAfterBulletsWereDrawn)
{
    // Look back along -z and 20 degrees down, at the towers, with a live
    // bullet in the frame (drawing it switches texturing off).
    game->OnPassiveMotion(580, 320);
    game->Update(1.0f);
    game->OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 580, 320);
    game->Update(1.0f);
    ASSERT_EQ(1u, game->GetBullets().size());
    const std::vector<Rgba> frame = RenderGame(*game);

    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // The upper middle of each tower's front face (z = 0 in its own frame).
    for (float towerX : {0.0f, -30.0f, 30.0f}) {
        GLdouble wx, wy, wz;
        ASSERT_TRUE(gluProject(towerX - 2.5, -37.5, -30.0, model, projection, viewport, &wx, &wy, &wz));
        const int cx = static_cast<int>(wx), cy = static_cast<int>(wy);
        ASSERT_TRUE(cx > 5 && cx < W - 5 && cy > 5 && cy < H - 5) << towerX;
        // Untextured, the face would be plain white; the brick image is grey
        // with dark joints.
        int sum = 0, darkest = 255, white = 0;
        for (int y = cy - 3; y <= cy + 3; y++) {
            for (int x = cx - 3; x <= cx + 3; x++) {
                const Rgba p = At(frame, x, y);
                sum += p.g;
                darkest = std::min<int>(darkest, p.g);
                white += (p.r == 255 && p.g == 255 && p.b == 255);
            }
        }
        EXPECT_EQ(0, white) << "tower at x " << towerX;
        EXPECT_LT(sum / 49, 230) << "tower at x " << towerX;
        EXPECT_LT(darkest, 200) << "tower at x " << towerX;
    }
}

TEST_F(GameTest, AnExplosionIsDrawnFromItsFirstFrameUntilItIsSpent)
{
    game->OnPassiveMotion(400, 390);  // straight down
    game->OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 400, 390);
    game->OnPassiveMotion(400, 370);  // then 70 degrees down, to see it beside the ship
    for (int tick = 0; game->GetExplosions().empty(); tick++) {
        ASSERT_LT(tick, 50) << "the shot straight down did not burst within 50 ticks";
        game->Update(1.05f);
    }
    const std::vector<Rgba> first = RenderGame(*game);
    for (int i = 0; i < 20; i++)
        game->Update(1.05f);
    const std::vector<Rgba> spreading = RenderGame(*game);
    for (int tick = 0; !game->GetExplosions().empty(); tick++) {
        ASSERT_LT(tick, 400) << "the explosion was not spent within 400 ticks";
        game->Update(1.05f);
    }
    const std::vector<Rgba> after = RenderGame(*game);

    // Nothing else moves, so the frames differ only by the particles: reddish points.
    const Region atStart = Differences(first, after);
    const Region later = Differences(spreading, after);
    EXPECT_GT(atStart.count, 0);
    EXPECT_GT(later.count, atStart.count);
    int reddish = 0;
    for (int y = later.y0; y <= later.y1; y++)
        for (int x = later.x0; x <= later.x1; x++)
            if (!Same(At(spreading, x, y), At(after, x, y)))
                reddish += At(spreading, x, y).r >= At(spreading, x, y).b;
    EXPECT_EQ(later.count, reddish);
}
