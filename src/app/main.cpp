// Corvane: the window, the GLUT callbacks and the 10 ms game tick.
#include "app/Game.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glu.h>

namespace {

constexpr int WindowWidth = 800;
constexpr int WindowHeight = 600;
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
    glViewport(0, 0, w, h);
    // A minimised window has no height and so no aspect ratio: keep the projection.
    if (h == 0)
        return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(Game::FieldOfView, static_cast<double>(w) / static_cast<double>(h), Game::NearPlane,
                   Game::FarPlane);
    glMatrixMode(GL_MODELVIEW);
}

void passiveMotion(int x, int y)
{
    game->OnPassiveMotion(x, y);
}

// dt (Game::TickDt) is never clamped: a late tick (or the first one, which
// includes loading) moves everything proportionally further.
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
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);
    glutInitWindowSize(WindowWidth, WindowHeight);
    glutCreateWindow("Corvane");
    glewInit();

    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);

    game = new Game(WindowWidth, WindowHeight);
    game->Init();
    lastTime = 0.0f;

    glutDisplayFunc(display);
    glutKeyboardFunc(keyboard);
    glutKeyboardUpFunc(keyboardUp);
    glutMouseFunc(mouse);
    glutReshapeFunc(reshape);
    glutPassiveMotionFunc(passiveMotion);
    glutTimerFunc(TickMilliseconds, timer, 0);

    glutMainLoop();
    return 0;
}
