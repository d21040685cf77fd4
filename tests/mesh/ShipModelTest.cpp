// The player's ship as committed in assets/: loads with its image, skinned
// and animated, and drawn at the start of the game it shows from behind.
#include "MeshBuffers.h"

#include "GlTestContext.h"
#include "0-math/Matrix4f.h"
#include "1-world/Texture.h"
#include "2-mesh/Mesh.h"

#include <GL/glu.h>
#include <assimp/scene.h>

#include <set>
#include <string>

using gltest::GlTest;

namespace {

class ShipModel : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        gltest::ScopedWorkingDirectory assets(CORVANE_SOURCE_DIR "/assets");
        testing::internal::CaptureStdout();
        loaded = mesh.Load("Ship2.dae");
        output = testing::internal::GetCapturedStdout();
    }

    Mesh mesh;
    bool loaded = false;
    std::string output;
};

}  // namespace

TEST_F(ShipModel, LoadsWithItsTextureBonesAndAnimation)
{
    EXPECT_TRUE(loaded);
    EXPECT_EQ("Loaded texture 'ship.png'\nNumber of animations: 1 \n\n", output);
    ASSERT_FALSE(mesh.GetTextures().empty());
    EXPECT_NE(nullptr, mesh.GetTextures()[0]);
    EXPECT_GE(mesh.GetNumAnimations(), 1u);
    EXPECT_GT(mesh.GetAnimationDuration(0), 0);

    std::set<std::string> bones;
    unsigned int triangles = 0;
    for (const Mesh::MeshEntry& entry : mesh.GetEntries()) {
        triangles += entry.numIndices / 3;
        EXPECT_EQ(GL_STREAM_DRAW, meshtest::BufferUsage(entry.vertexBuffer));
        for (unsigned int b = 0; b < entry.sourceMesh->mNumBones; b++)
            bones.insert(entry.sourceMesh->mBones[b]->mName.C_Str());
    }
    EXPECT_GE(bones.size(), 3u);
    EXPECT_GT(triangles, 500u);
    EXPECT_LT(triangles, 5000u);
}

TEST_F(ShipModel, AtTheStartTheChaseCameraSeesItUprightFromBehind)
{
    // The game's first frame: eye at (0, 0, -10) looking at the ship at
    // (0, 0, 20), the view shifted 5 down; the ship turned by angleH = 0
    // about y and angleV = 90 about x.
    glLoadIdentity();
    glTranslatef(0, -5, 0);
    gluLookAt(0, 0, -10, 0, 0, 20, 0, 1, 0);
    glPushMatrix();
    glTranslatef(0, 0, 20);
    glRotatef(0, 0, 1, 0);
    glRotatef(90, 1, 0, 0);
    Matrix4f position, rotation;
    position.SetTranslation(0, 0, 20);
    rotation.SetRotation(90, 0, 0);
    mesh.Render(position * rotation);
    glPopMatrix();

    const std::vector<gltest::Rgba> frame = gltest::ReadFrame();
    int covered = 0, left = gltest::WindowWidth, right = 0, bottom = gltest::WindowHeight, top = 0;
    long glowY = 0;
    int glow = 0;
    for (int y = 0; y < gltest::WindowHeight; y++) {
        for (int x = 0; x < gltest::WindowWidth; x++) {
            const gltest::Rgba p = frame[static_cast<size_t>(y) * gltest::WindowWidth + x];
            if (p.r > 245 && p.g > 245 && p.b > 245)
                continue;
            covered++;
            left = std::min(left, x); right = std::max(right, x);
            bottom = std::min(bottom, y); top = std::max(top, y);
            if (p.r > 200 && p.g > 90 && p.b < 120) {  // the engines' glow
                glow++;
                glowY += y;
            }
        }
    }
    const int total = gltest::WindowWidth * gltest::WindowHeight;
    EXPECT_GT(covered, total / 200) << "the ship is too small to see";
    EXPECT_LT(covered, total / 4) << "the ship fills the view";
    EXPECT_NEAR(gltest::WindowWidth / 2, (left + right) / 2, 20) << "centred";
    EXPECT_LT(top, gltest::WindowHeight / 2 + 60) << "below the middle of the screen";
    EXPECT_GT(right - left, 2 * (top - bottom)) << "wings level: wider than tall";
    ASSERT_GT(glow, 50) << "the nozzles face the camera";
    const int glowRow = static_cast<int>(glowY / glow);
    EXPECT_GT(top - glowRow, glowRow - bottom) << "the fins stand above the engines: upright";
    if (HasFailure())
        gltest::SavePng(CORVANE_BINARY_DIR "/ship-start.png", frame, gltest::WindowWidth, gltest::WindowHeight);
}
