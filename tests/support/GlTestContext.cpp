#include "GlTestContext.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <stb_image_write.h>

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace gltest {

namespace {
int window = 0;
void DisplayNothing() {}  // freeglut insists on a display callback

// Keeps every library loaded so far (the OpenGL driver among them) mapped
// until the process ends, so that leak reports name the library they come from.
int PinLibrary(dl_phdr_info* info, size_t, void*)
{
    if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0')
        dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

// Tears the window and context down at exit, so that leak checking sees only
// what the code under test left behind, not the driver's live context.
void DestroyContext()
{
    if (window != 0) {
        glutDestroyWindow(window);
        window = 0;
        glutExit();
    }
}
}

void EnsureContext()
{
    if (window != 0) {
        glutSetWindow(window);
        return;
    }
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "OpenGL tests need an X display (scripts/test starts one)\n");
        std::abort();
    }
    int argc = 1;
    char name[] = "corvane-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);
    glutInitWindowSize(WindowWidth, WindowHeight);
    window = glutCreateWindow("corvane-test");
    glutDisplayFunc(DisplayNothing);
    std::atexit(DestroyContext);
    glewInit();
    dl_iterate_phdr(PinLibrary, nullptr);
    // Let the window reach its size before anything is read back.
    for (int i = 0; i < 3; i++)
        glutMainLoopEvent();
    glutSetWindow(window);
}

void ResetGameState()
{
    DrainErrors();
    if (glBindBuffer) {  // null while a test hides buffer objects
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    glViewport(0, 0, WindowWidth, WindowHeight);
    glClearColor(1, 1, 1, 0);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, static_cast<double>(WindowWidth) / WindowHeight, 0.1, 10000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::vector<Rgba> ReadPixels(int x, int y, int width, int height)
{
    std::vector<Rgba> pixels(static_cast<size_t>(width) * height);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::vector<Rgba> ReadFrame()
{
    return ReadPixels(0, 0, WindowWidth, WindowHeight);
}

Rgba PixelAt(int x, int y)
{
    return ReadPixels(x, y, 1, 1)[0];
}

GLint GetInteger(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

GLint GetTexParameter(GLenum target, GLenum name)
{
    GLint value = 0;
    glGetTexParameteriv(target, name, &value);
    return value;
}

void DrainErrors()
{
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; i++) {
    }
}

bool SavePng(const std::string& path, const std::vector<Rgba>& pixels, int width, int height)
{
    // OpenGL rows run bottom to top; PNG rows top to bottom.
    const int stride = width * 4;
    const auto* last = reinterpret_cast<const unsigned char*>(pixels.data()) + static_cast<size_t>(height - 1) * stride;
    return stbi_write_png(path.c_str(), width, height, 4, last, -stride) != 0;
}

TempDir::TempDir()
{
    char pattern[] = "/tmp/corvane-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    path = made ? made : "/tmp";
}

TempDir::~TempDir()
{
    std::error_code ignored;
    if (path != "/tmp")
        std::filesystem::remove_all(path, ignored);
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& path)
{
    std::error_code error;
    previous = std::filesystem::current_path(error).string();
    std::filesystem::current_path(path, error);
    if (error)
        previous.clear();
}

ScopedWorkingDirectory::~ScopedWorkingDirectory()
{
    std::error_code ignored;
    if (!previous.empty())
        std::filesystem::current_path(previous, ignored);
}

void GlTest::SetUp()
{
    EnsureContext();
    ResetGameState();
}

void GlTest::TearDown()
{
    EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError()) << "the test left an OpenGL error pending";
}

}  // namespace gltest
