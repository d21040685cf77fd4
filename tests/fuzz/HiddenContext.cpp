#include "FuzzTarget.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <dlfcn.h>
#include <link.h>

#include <cstdlib>

namespace fuzz {

namespace {

void DisplayNothing() {}  // freeglut insists on a display callback

// Keeps the libraries loaded so far (the OpenGL driver among them) mapped to
// the end, so that leak reports name the library they come from and the
// driver's own suppression applies.
int PinLibrary(dl_phdr_info* info, size_t, void*)
{
    if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0')
        dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

}  // namespace

bool CreateHiddenContext(const char* name, int side)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0')
        return false;
    int argc = 1;
    char program[] = "fuzz";
    char* argv[] = {program, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(side, side);
    glutCreateWindow(name);
    glutDisplayFunc(DisplayNothing);
    glutHideWindow();
    const bool ready = glewInit() == GLEW_OK;
    dl_iterate_phdr(PinLibrary, nullptr);
    return ready;
}

}  // namespace fuzz
