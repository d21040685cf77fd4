#pragma once

// A Game as main builds it, with the real assets (assets/ as the working
// directory) and the test bench's OpenGL context and GLUT window.
#include "GlTestContext.h"

#include "app/Camera.h"
#include "app/Game.h"
#include "entities/Particles.h"
#include "entities/Ship.h"

#include <GL/freeglut.h>

#include <memory>
#include <string>
#include <unistd.h>

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
