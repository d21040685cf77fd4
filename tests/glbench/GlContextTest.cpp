// The test bench itself: a real context under Mesa, drawing read back.
#include "GlTestContext.h"

#include <GL/glew.h>

#include <cstring>

using gltest::GlTest;

TEST_F(GlTest, ContextIsRealOpenGLWithBufferObjects)
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(nullptr, version);
    EXPECT_GE(version[0], '2') << version;
    EXPECT_NE(nullptr, glGenBuffers);
    EXPECT_NE(nullptr, glMapBuffer);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(gltest::WindowWidth, viewport[2]);
    EXPECT_EQ(gltest::WindowHeight, viewport[3]);
}

TEST_F(GlTest, DrawnQuadReadsBackInItsRegionOnly)
{
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, gltest::WindowWidth, 0, gltest::WindowHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    glVertex2f(100, 100);
    glVertex2f(300, 100);
    glVertex2f(300, 200);
    glVertex2f(100, 200);
    glEnd();

    const gltest::Rgba inside = gltest::PixelAt(200, 150);
    EXPECT_EQ(255, inside.r);
    EXPECT_EQ(0, inside.g);
    EXPECT_EQ(0, inside.b);

    const gltest::Rgba outside = gltest::PixelAt(400, 400);
    EXPECT_EQ(255, outside.r);
    EXPECT_EQ(255, outside.g);
    EXPECT_EQ(255, outside.b);
}

TEST_F(GlTest, GameStateIsTheFixedStartUpState)
{
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(GL_SMOOTH, gltest::GetInteger(GL_SHADE_MODEL));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_GT(gltest::GetInteger(GL_SAMPLE_BUFFERS), 0) << "the game's window is multisampled";
}
