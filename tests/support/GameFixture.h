#pragma once

// A Game as main builds it, with the real assets (assets/ as the working
// directory) and the test bench's OpenGL context and GLUT window.
#include "GlTestContext.h"

#include "3-entities/Particles.h"
#include "3-entities/Ship.h"
#include "4-game/Camera.h"
#include "4-game/Game.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

// Frames as the game's display callback draws them, and where two differ.
namespace frames {

constexpr int W = gltest::WindowWidth, H = gltest::WindowHeight;

inline bool Same(gltest::Rgba a, gltest::Rgba b, int tol = 2)
{
    return std::abs(a.r - b.r) <= tol && std::abs(a.g - b.g) <= tol && std::abs(a.b - b.b) <= tol;
}

// Window coordinates, origin bottom left.
inline gltest::Rgba At(const std::vector<gltest::Rgba>& pixels, int x, int y)
{
    return pixels[static_cast<size_t>(y) * W + x];
}

// Clear, then the game's frame, as the display callback does.
inline std::vector<gltest::Rgba> Draw(Game& game)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game.Render();
    return gltest::ReadFrame();
}

// The bounding rectangle and count of a set of pixels.
struct Region {
    int x0 = W, y0 = H, x1 = -1, y1 = -1, count = 0;
    void Add(int x, int y)
    {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        count++;
    }
};

inline Region Differences(const std::vector<gltest::Rgba>& a, const std::vector<gltest::Rgba>& b, int tol = 2)
{
    Region r;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            if (!Same(At(a, x, y), At(b, x, y), tol))
                r.Add(x, y);
    return r;
}

}  // namespace frames

// assets/ as the working directory for the fixture's lifetime, as the game runs.
class InAssetsTest : public gltest::GlTest {
protected:
    void SetUp() override
    {
        gltest::GlTest::SetUp();
        char cwd[4096];
        previousDir = getcwd(cwd, sizeof cwd) ? cwd : ".";
        ASSERT_EQ(0, chdir(CORVANE_SOURCE_DIR "/assets"));
    }

    void TearDown() override
    {
        ASSERT_EQ(0, chdir(previousDir.c_str()));
        gltest::GlTest::TearDown();
    }

    static bool HaveShipModel() { return access(CORVANE_SOURCE_DIR "/assets/Ship2.dae", R_OK) == 0; }

    std::string previousDir;
};

class GameTest : public InAssetsTest {
protected:
    void SetUp() override
    {
        InAssetsTest::SetUp();
        game = std::make_unique<Game>(800, 600);
        game->Init();
    }

    void TearDown() override
    {
        game.reset();
        InAssetsTest::TearDown();
    }

    // Turns camera and ship by moving the pointer to (x, y), as GLUT reports it.
    void MovePointer(int x, int y) { game->OnPassiveMotion(x, y); }
    void Click(int button) { game->OnMouse(button, GLUT_DOWN, 400, 300); game->OnMouse(button, GLUT_UP, 400, 300); }
    void Ticks(int count, float dt)
    {
        for (int i = 0; i < count; i++)
            game->Update(dt);
    }

    std::unique_ptr<Game> game;
};
