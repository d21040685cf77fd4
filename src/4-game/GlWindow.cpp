#include "GlWindow.h"

#include "Game.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>

namespace {

void DisplayNothing() {}  // GLUT insists on a display callback before it processes events

// Keeps a loaded library (the OpenGL driver among them) mapped until the
// process ends, so that leak reports name the library they come from.
int PinLibrary(dl_phdr_info* info, size_t, void*)
{
    if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0')
        dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

}  // namespace

GlWindow::~GlWindow()
{
    Close();
}

bool GlWindow::HasDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

bool GlWindow::Open(const char* title, int width, int height, bool shown, int* argc, char** argv)
{
    int defaultArgc = 1;
    char program[] = "corvane";
    char* defaultArgv[] = {program, nullptr};
    if (argc == nullptr || argv == nullptr) {
        argc = &defaultArgc;
        argv = defaultArgv;
    }
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);
    glutInitWindowSize(width, height);
    id = glutCreateWindow(title);
    glutDisplayFunc(DisplayNothing);
    if (!shown) {
        // The hide takes effect in GLUT's event processing.
        glutHideWindow();
        glutMainLoopEvent();
    }
    const bool ready = glewInit() == GLEW_OK;
    dl_iterate_phdr(PinLibrary, nullptr);
    SetStartingState();
    Reshape(width, height);
    return ready;
}

bool GlWindow::OpenHidden(const char* title, std::string& error)
{
    if (!HasDisplay()) {
        error = "no X display to create an OpenGL context on (set DISPLAY, e.g. run under Xvfb)";
        return false;
    }
    if (!Open(title, Width, Height, false) || !glGenBuffers || !glMapBuffer) {
        error = "OpenGL buffer objects are not available on this display";
        return false;
    }
    return true;
}

void GlWindow::Close()
{
    // GLUT may have ended itself already: closing the game's window ends the program.
    if (id != 0 && glutGet(GLUT_INIT_STATE)) {
        glutDestroyWindow(id);
        glutExit();
    }
    id = 0;
}

void GlWindow::SetStartingState()
{
    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void GlWindow::Reshape(int width, int height)
{
    glViewport(0, 0, width, height);
    if (height == 0)
        return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(Game::FieldOfView, static_cast<double>(width) / static_cast<double>(height), Game::NearPlane,
                   Game::FarPlane);
    glMatrixMode(GL_MODELVIEW);
}
