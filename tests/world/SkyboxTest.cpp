// The sky box: where its faces land, what state it leaves, and its edges.
#include "GlTestContext.h"
#include "WorldTestSupport.h"
#include "1-world/Skybox.h"

#include <GL/glu.h>

#include <cstring>
#include <string>

using gltest::GlTest;

namespace {

constexpr float Size = 30;
const float Eye[3] = {10, 20, 30};

struct Face {
    const char* name;
    unsigned colour;
    float look[3];  // direction from the eye towards the face
    float up[3];
};

const Face Faces[6] = {
    {"up", 0xFF0000, {0, 1, 0}, {0, 0, 1}},   {"down", 0x00FF00, {0, -1, 0}, {0, 0, 1}},
    {"out", 0x0000FF, {0, 0, -1}, {0, 1, 0}}, {"in", 0xFFFF00, {0, 0, 1}, {0, 1, 0}},
    {"left", 0xFF00FF, {-1, 0, 0}, {0, 1, 0}}, {"right", 0x00FFFF, {1, 0, 0}, {0, 1, 0}},
};

void ExpectColour(unsigned rgb, const gltest::Rgba& p, const char* where)
{
    EXPECT_NEAR(static_cast<int>((rgb >> 16) & 0xFF), p.r, 2) << where;
    EXPECT_NEAR(static_cast<int>((rgb >> 8) & 0xFF), p.g, 2) << where;
    EXPECT_NEAR(static_cast<int>(rgb & 0xFF), p.b, 2) << where;
}

void LookFromEye(float dx, float dy, float dz, const float* up)
{
    glLoadIdentity();
    gluLookAt(Eye[0], Eye[1], Eye[2], Eye[0] + dx, Eye[1] + dy, Eye[2] + dz, up[0], up[1], up[2]);
}

class SkyboxTest : public GlTest {
protected:
    // One solid colour per face; the out face gets a red first column.
    void InitSky(bool withOutFace = true)
    {
        for (const Face& face : Faces) {
            const std::string path = dir.File(std::string(face.name) + ".png");
            if (std::string(face.name) == "out")
                ASSERT_TRUE(worldtest::WriteSolidPng(path, 8, 8, face.colour, 0xFF0000));
            else
                ASSERT_TRUE(worldtest::WriteSolidPng(path, 8, 8, face.colour));
        }
        sky.SetSize(Size);
        EXPECT_TRUE(sky.Init(dir.File("up.png"), dir.File("down.png"),
                             withOutFace ? dir.File("out.png") : dir.File("missing.png"), dir.File("in.png"),
                             dir.File("left.png"), dir.File("right.png")));
    }

    gltest::TempDir dir;
    Skybox sky;
};

TEST_F(SkyboxTest, EachFaceLiesInItsDirectionAroundTheGivenPoint)
{
    InitSky();
    for (const Face& face : Faces) {
        SCOPED_TRACE(face.name);
        LookFromEye(face.look[0], face.look[1], face.look[2], face.up);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        sky.Draw(Eye[0], Eye[1], Eye[2]);
        ExpectColour(face.colour, gltest::PixelAt(400, 300), "centre of the view");
        ExpectColour(face.colour, gltest::PixelAt(5, 5), "corner of the view");
    }

    // Looking at the vertical edge x = +30, z = -30 from the centre: the edge
    // runs down the middle of the view, so the cube is centred on the eye.
    const float up[3] = {0, 1, 0};
    LookFromEye(1, 0, -1, up);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    sky.Draw(Eye[0], Eye[1], Eye[2]);
    ExpectColour(0x0000FF, gltest::PixelAt(397, 300), "left of the edge: out face");
    ExpectColour(0x00FFFF, gltest::PixelAt(403, 300), "right of the edge: right face");
}

TEST_F(SkyboxTest, FacesClampAtTheirEdgesInsteadOfRepeating)
{
    InitSky();
    EXPECT_EQ(GL_CLAMP_TO_EDGE, gltest::GetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S));
    EXPECT_EQ(GL_CLAMP_TO_EDGE, gltest::GetTexParameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T));

    // The out face's s = 1 edge meets the right face; its red column is at
    // s = 0, on the far side. Repeat wrapping would blend red in at s = 1.
    const float up[3] = {0, 1, 0};
    LookFromEye(1, 0, -1, up);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    sky.Draw(Eye[0], Eye[1], Eye[2]);
    for (int x = 380; x <= 398; x += 6)
        ExpectColour(0x0000FF, gltest::PixelAt(x, 300), "out face just before its s = 1 edge");
}

TEST_F(SkyboxTest, RestoresDepthLightingFogAndMatrix)
{
    InitSky();
    GLfloat before[16], after[16];
    for (bool on : {true, false}) {
        SCOPED_TRACE(on ? "states on" : "states off");
        if (on) {
            glEnable(GL_DEPTH_TEST);
            glEnable(GL_FOG);
        } else {
            glDisable(GL_DEPTH_TEST);
            glDisable(GL_FOG);
        }
        glGetFloatv(GL_MODELVIEW_MATRIX, before);
        sky.Draw(1, 2, 3);
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        EXPECT_EQ(on, glIsEnabled(GL_DEPTH_TEST) == GL_TRUE);
        EXPECT_EQ(on, glIsEnabled(GL_FOG) == GL_TRUE);
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
        EXPECT_EQ(0, std::memcmp(before, after, sizeof before));
    }
    glDisable(GL_FOG);
}

TEST_F(SkyboxTest, GeometryDrawnAfterwardsCoversItEvenFartherAway)
{
    InitSky();
    const float up[3] = {0, 1, 0};
    LookFromEye(0, 0, -1, up);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    sky.Draw(Eye[0], Eye[1], Eye[2]);

    // A white quad 100 units away, well outside the 30-unit cube.
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3f(1, 1, 1);
    const float z = Eye[2] - 100;
    glBegin(GL_QUADS);
    glVertex3f(Eye[0] - 10, Eye[1] - 10, z);
    glVertex3f(Eye[0] + 10, Eye[1] - 10, z);
    glVertex3f(Eye[0] + 10, Eye[1] + 10, z);
    glVertex3f(Eye[0] - 10, Eye[1] + 10, z);
    glEnd();
    ExpectColour(0xFFFFFF, gltest::PixelAt(400, 300), "the quad");
    ExpectColour(0x0000FF, gltest::PixelAt(5, 5), "the sky around it");
}

TEST_F(SkyboxTest, MissingFaceImageIsDrawnInTheCallersColour)
{
    InitSky(false);
    const float up[3] = {0, 1, 0};
    LookFromEye(0, 0, -1, up);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1, 1, 1);
    sky.Draw(Eye[0], Eye[1], Eye[2]);
    ExpectColour(0xFFFFFF, gltest::PixelAt(400, 300), "untextured out face");
}

TEST_F(SkyboxTest, DrawBeforeInitAndReleaseTwiceAreHarmless)
{
    Skybox empty;
    empty.SetSize(Size);
    empty.Draw(0, 0, 0);
    EXPECT_EQ(0, gltest::GetInteger(GL_TEXTURE_BINDING_2D));
    InitSky();
    sky.Release();
    sky.Release();
}

}  // namespace
