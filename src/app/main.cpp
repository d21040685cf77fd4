// Corvane: the window, the GLUT callbacks and the 10 ms game tick.
#include "app/DataDirectory.h"
#include "app/Game.h"
#include "app/GlWindow.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#ifdef __EMSCRIPTEN__
#include "web/WebPage.h"
#endif

namespace {

constexpr unsigned int TickMilliseconds = 10;

// The one game, reached by every callback; never replaced or freed.
Game* game = nullptr;
// GLUT elapsed time at the previous tick, milliseconds.
float lastTime = 0.0f;

void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game->Render();
    glutSwapBuffers();
#ifdef __EMSCRIPTEN__
    WebPage::FrameDrawn();
#endif
}

void keyboard(unsigned char key, int, int)
{
    game->OnKeyDown(key);
}

void keyboardUp(unsigned char key, int, int)
{
    game->OnKeyUp(key);
}

void mouse(int button, int state, int x, int y)
{
    game->OnMouse(button, state, x, y);
}

void reshape(int w, int h)
{
    GlWindow::Reshape(w, h);
}

void passiveMotion(int x, int y)
{
    game->OnPassiveMotion(x, y);
}

// dt (Game::TickDt) is the time measured, never clamped here: a late tick (or
// the first one, which includes loading) asks for more; Game::Update plays it
// in short steps, up to its own limit.
// NOTE: the timer is re-armed after the tick's work, so the real period is
// 10 ms plus that work; dt absorbs the difference.
void timer(int)
{
    const float now = static_cast<float>(glutGet(GLUT_ELAPSED_TIME));
    game->Update(Game::TickDt(lastTime, now));
    glutPostRedisplay();
    lastTime = now;
    glutTimerFunc(TickMilliseconds, timer, 0);
}

}  // namespace

int main(int argc, char** argv)
{
    // Lives as long as the program; glutMainLoop never returns.
    static GlWindow window;
    window.Open("Corvane", GlWindow::Width, GlWindow::Height, true, &argc, argv);

    // An installed game reads its assets from its data folder; from the build
    // tree it reads the working directory.
    DataDirectory::Enter();
    game = new Game(GlWindow::Width, GlWindow::Height);
    game->Init();
    lastTime = 0.0f;

    glutDisplayFunc(display);
    glutKeyboardFunc(keyboard);
    glutKeyboardUpFunc(keyboardUp);
    glutMouseFunc(mouse);
    glutReshapeFunc(reshape);
#ifdef __EMSCRIPTEN__
    // The page's pointer, which moves by relative motion (Pointer Lock); and
    // a replay script, when the page holds one, in place of the clock.
    WebPage::Connect(*game, GlWindow::Width, GlWindow::Height, passiveMotion);
    const bool clock = !WebPage::PlayReplay();
#else
    glutPassiveMotionFunc(passiveMotion);
    const bool clock = true;
#endif
    if (clock)
        glutTimerFunc(TickMilliseconds, timer, 0);

    glutMainLoop();
    return 0;
}
