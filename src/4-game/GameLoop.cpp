#include "GameLoop.h"

#include "Game.h"
#include "GameSounds.h"
#include "GlWindow.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

namespace {

// The one game, reached by every callback; never replaced or freed.
Game* game = nullptr;
GameSounds* sounds = nullptr;
// GLUT elapsed time at the previous tick, milliseconds.
float lastTime = 0.0f;

void Keyboard(unsigned char key, int, int)
{
    game->OnKeyDown(key);
}

void KeyboardUp(unsigned char key, int, int)
{
    game->OnKeyUp(key);
}

void Mouse(int button, int state, int x, int y)
{
    game->OnMouse(button, state, x, y);
}

void Reshape(int width, int height)
{
    GlWindow::Reshape(width, height);
    game->OnReshape(width, height);
}

}  // namespace

GameLoop::FrameHook GameLoop::frameHook = nullptr;
GameLoop::TickHook GameLoop::tickHook = nullptr;
double GameLoop::totalPlayed = 0.0;

void GameLoop::Connect(Game& played, GameSounds& heard, bool passiveMotion)
{
    game = &played;
    sounds = &heard;
    glutDisplayFunc(Display);
    glutKeyboardFunc(Keyboard);
    glutKeyboardUpFunc(KeyboardUp);
    glutMouseFunc(Mouse);
    glutReshapeFunc(Reshape);
    if (passiveMotion)
        glutPassiveMotionFunc(PassiveMotion);
}

void GameLoop::StartClock()
{
    lastTime = 0.0f;
    totalPlayed = 0.0;
    glutTimerFunc(TickMilliseconds, Tick, 0);
}

void GameLoop::PassiveMotion(int x, int y)
{
    game->OnPassiveMotion(x, y);
}

void GameLoop::Display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game->Render();
    glutSwapBuffers();
    if (frameHook != nullptr)
        frameHook();
}

// dt (Game::TickDt) is the time measured, never clamped here: a late tick
// asks for more, and Game::Update plays it in whole steps, carrying what is
// left of a unit and cutting what is beyond its own limit. The sounds follow
// the game time the steps played, not dt.
// NOTE: the timer is re-armed after the tick's work, so the real period is
// 10 ms plus that work; dt absorbs the difference. With whole milliseconds
// most ticks are 1.1 or 1.2 units: most play one step, some two.
void GameLoop::Tick(int)
{
    const float now = static_cast<float>(glutGet(GLUT_ELAPSED_TIME));
    const float played = game->Update(Game::TickDt(lastTime, now));
    sounds->Update(*game, played);
    totalPlayed += played;
    if (tickHook != nullptr)
        tickHook(played);
    glutPostRedisplay();
    lastTime = now;
    glutTimerFunc(TickMilliseconds, Tick, 0);
}
