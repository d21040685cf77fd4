#include "GlTestContext.h"

#include "4-game/GlWindow.h"

#include <GL/freeglut.h>
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace gltest {

void EnsureContext()
{
    // One window for the whole test binary, closed at exit so that leak
    // checking sees only what the code under test left behind.
    static GlWindow window;
    if (window.GetId() != 0) {
        glutSetWindow(window.GetId());
        return;
    }
    if (!GlWindow::HasDisplay()) {
        std::fprintf(stderr, "OpenGL tests need an X display (scripts/test starts one)\n");
        std::abort();
    }
    window.Open("corvane-test", WindowWidth, WindowHeight, true);
    // Let the window reach its size before anything is read back.
    for (int i = 0; i < 3; i++)
        glutMainLoopEvent();
    glutSetWindow(window.GetId());
}

void ResetGameState()
{
    DrainErrors();
    if (glBindBuffer) {  // null while a test hides buffer objects
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    GlWindow::SetStartingState();
    GlWindow::Reshape(WindowWidth, WindowHeight);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void EnterGameAssets()
{
    EnsureContext();
    ResetGameState();
    if (chdir(CORVANE_SOURCE_DIR "/assets") != 0)
        std::abort();
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

View CurrentView()
{
    GLfloat model[16], projection[16];  // column-major
    GLint viewport[4] = {0, 0, 0, 0};
    glGetFloatv(GL_MODELVIEW_MATRIX, model);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    Matrix4f m, p;
    for (int row = 0; row < 4; row++)
        for (int column = 0; column < 4; column++) {
            m.m[row][column] = model[column * 4 + row];
            p.m[row][column] = projection[column * 4 + row];
        }
    return View(m, p, viewport[2], viewport[3]);
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
