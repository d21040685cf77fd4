#pragma once

// A real OpenGL context for tests: one GLUT window of 800x600 with the game's
// display mode (RGBA, double, depth, multisample), GLEW initialised, created
// on first use and kept for the whole test binary. No mock of OpenGL.

#include "0-math/View.h"
#include "4-game/GlWindow.h"

#include <GL/glew.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gltest {

constexpr int WindowWidth = GlWindow::Width;
constexpr int WindowHeight = GlWindow::Height;

// Creates the window and context on the first call; later calls only make it current.
void EnsureContext();

// The game's starting state and projection for its window, plus an identity
// model-view, white colour, texture 0, and a cleared frame.
void ResetGameState();

// The context made sure of, the game's state reset and the source tree's
// assets/ the working directory, as the game runs (for benchmarks; aborts
// without that folder).
void EnterGameAssets();

struct Rgba {
    std::uint8_t r, g, b, a;
};

// Pixels of the back buffer, bottom row first (OpenGL's order), RGBA.
std::vector<Rgba> ReadPixels(int x, int y, int width, int height);
std::vector<Rgba> ReadFrame();  // the whole window
Rgba PixelAt(int x, int y);     // window coordinates, origin bottom left

// The view OpenGL draws with now: the current model-view and projection
// matrices and the viewport, read back.
View CurrentView();

GLint GetInteger(GLenum name);
GLint GetTexParameter(GLenum target, GLenum name);
void DrainErrors();  // discards pending glGetError codes

// Writes an RGBA frame (bottom row first) as a PNG; for looking at failures.
bool SavePng(const std::string& path, const std::vector<Rgba>& pixels, int width, int height);

// A temporary folder removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

private:
    std::string path;
};

bool WriteFile(const std::string& path, const std::string& bytes);

// Changes the working directory for the lifetime of the object (the game and
// its loaders resolve asset names against it).
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& path);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::string previous;
};

// Sets one of GLEW's entry points or capability flags to null / false for the
// object's lifetime, as on a context that lacks it. Pass the variable behind
// GLEW's macro: __glewGenBuffers for glGenBuffers, __GLEW_VERSION_1_5 for
// GLEW_VERSION_1_5.
template <typename T>
class Hidden {
public:
    explicit Hidden(T& slot_) : slot(slot_), saved(slot_) { slot = T(); }
    ~Hidden() { slot = saved; }
    Hidden(const Hidden&) = delete;
    Hidden& operator=(const Hidden&) = delete;

private:
    T& slot;
    T saved;
};

// Fixture for tests that talk to OpenGL: a current context, game state reset,
// and no OpenGL error left pending by the test.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace gltest
