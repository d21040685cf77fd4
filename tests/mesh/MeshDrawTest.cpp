// Mesh::Render: the node walk, textures, restored state, boxes and skinning.
#include "MeshBuffers.h"
#include "ModelFiles.h"

#include "GlTestContext.h"
#include "2-mesh/Mesh.h"

#include <GL/glu.h>
#include <assimp/scene.h>

#include <cstring>

using gltest::GlTest;
using namespace meshtest;

namespace {

Matrix4f IdentityMatrix()
{
    Matrix4f m;
    m.SetIdentity();
    return m;
}

void LoadQuietly(Mesh& mesh, const std::string& file)
{
    testing::internal::CaptureStdout();
    mesh.Load(file);
    testing::internal::GetCapturedStdout();
}

// Pixels that differ between two frames.
int Differences(const std::vector<gltest::Rgba>& a, const std::vector<gltest::Rgba>& b)
{
    int count = 0;
    for (size_t i = 0; i < a.size(); i++)
        count += a[i].r != b[i].r || a[i].g != b[i].g || a[i].b != b[i].b;
    return count;
}

int NonWhite(const std::vector<gltest::Rgba>& frame)
{
    int count = 0;
    for (const gltest::Rgba& p : frame)
        count += p.r < 250 || p.g < 250 || p.b < 250;
    return count;
}

GLuint SolidTexture(GLubyte r, GLubyte g, GLubyte b)
{
    const GLubyte pixels[] = {r, g, b, r, g, b, r, g, b, r, g, b};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    return texture;
}

const char* const SquareObj = "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nf 1/1 2/2 3/3 4/4\n";

}  // namespace

TEST(MeshEuler, QuaternionAnglesInDegrees)
{
    const Vector3f zero = Mesh::QuaternionToEuler(aiQuaternion(0, 0, 0, 0));
    EXPECT_EQ(0, zero.x);
    EXPECT_EQ(0, zero.y);
    EXPECT_EQ(0, zero.z);

    const Vector3f aboutZ = Mesh::QuaternionToEuler(aiQuaternion(aiVector3D(0, 0, 1), 3.14159265f / 2));
    EXPECT_NEAR(0, aboutZ.x, 1e-4);
    EXPECT_NEAR(0, aboutZ.y, 1e-4);
    EXPECT_NEAR(90, aboutZ.z, 1e-4);

    const Vector3f aboutY = Mesh::QuaternionToEuler(aiQuaternion(aiVector3D(0, 1, 0), 3.14159265f / 2));
    EXPECT_NEAR(90, aboutY.y, 1e-3);
    EXPECT_NEAR(30, Mesh::QuaternionToEuler(aiQuaternion(aiVector3D(1, 0, 0), 3.14159265f / 6)).x, 1e-4);
}

TEST_F(GlTest, MeshRenderDrawsItsTextureAndRestoresTheCallersState)
{
    gltest::TempDir dir;
    WriteSolidPng(dir.File("red.png"), 255, 0, 0);
    gltest::WriteFile(dir.File("square.mtl"), "newmtl red\nmap_Kd " + dir.File("red.png") + "\n");
    gltest::WriteFile(dir.File("square.obj"), std::string("mtllib square.mtl\nusemtl red\n") + SquareObj);
    Mesh mesh;
    LoadQuietly(mesh, dir.File("square.obj"));
    // No buffer left bound: later draws from client memory (the bullets'
    // spheres) would read from it instead.
    EXPECT_EQ(0, gltest::GetInteger(GL_ARRAY_BUFFER_BINDING));
    EXPECT_EQ(0, gltest::GetInteger(GL_ELEMENT_ARRAY_BUFFER_BINDING));

    const GLuint green = SolidTexture(0, 255, 0);
    glTranslatef(0, 0, -5);
    const GLint depth = gltest::GetInteger(GL_MODELVIEW_STACK_DEPTH);
    mesh.Render(IdentityMatrix());

    const gltest::Rgba centre = gltest::PixelAt(400, 300);
    EXPECT_EQ(255, centre.r);
    EXPECT_EQ(0, centre.g);
    const gltest::Rgba corner = gltest::PixelAt(5, 5);
    EXPECT_EQ(255, corner.g) << "outside the square the clear colour stays";

    EXPECT_EQ(static_cast<GLint>(green), gltest::GetInteger(GL_TEXTURE_BINDING_2D));
    EXPECT_EQ(0, gltest::GetInteger(GL_ARRAY_BUFFER_BINDING));
    EXPECT_EQ(0, gltest::GetInteger(GL_ELEMENT_ARRAY_BUFFER_BINDING));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_EQ(depth, gltest::GetInteger(GL_MODELVIEW_STACK_DEPTH));

    // The node walk on its own puts the buffer bindings back too.
    ASSERT_NE(nullptr, mesh.GetScene());
    mesh.RenderNode(mesh.GetScene(), mesh.GetScene()->mRootNode, aiMatrix4x4());
    EXPECT_EQ(0, gltest::GetInteger(GL_ARRAY_BUFFER_BINDING));
    EXPECT_EQ(0, gltest::GetInteger(GL_ELEMENT_ARRAY_BUFFER_BINDING));
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDeleteTextures(1, &green);
}

TEST_F(GlTest, MeshRenderWithoutATextureUsesTheBoundOne)
{
    gltest::TempDir dir;
    gltest::WriteFile(dir.File("square.obj"), SquareObj);
    Mesh mesh;
    LoadQuietly(mesh, dir.File("square.obj"));
    const GLuint green = SolidTexture(0, 255, 0);
    glTranslatef(0, 0, -5);
    mesh.Render(IdentityMatrix());
    const gltest::Rgba centre = gltest::PixelAt(400, 300);
    EXPECT_EQ(0, centre.r);
    EXPECT_EQ(255, centre.g);
    glDeleteTextures(1, &green);
}

TEST_F(GlTest, MeshRenderTurnsANodeRotatedAboutYTheOtherWay)
{
    // The node turns 90 degrees about y; the draw turns by -90.
    gltest::TempDir dir;
    ColladaScene scene;
    scene.positions = {0, 0, 0, 2, 0, 0, 0, 2, 0};
    scene.triangles = {0, 1, 2};
    scene.meshNode = RotationY(90);
    gltest::WriteFile(dir.File("turned.dae"), Collada(scene));
    Mesh mesh;
    LoadQuietly(mesh, dir.File("turned.dae"));

    glDisable(GL_TEXTURE_2D);
    glColor3f(0, 0, 1);
    auto view = [] {
        glLoadIdentity();
        gluLookAt(8, 1, 0, 0, 1, 0, 0, 1, 0);  // looking at the y-z plane
    };
    auto reference = [](float angle) {
        glPushMatrix();
        glRotatef(angle, 0, 1, 0);
        glBegin(GL_TRIANGLES);
        glVertex3f(0, 0, 0);
        glVertex3f(2, 0, 0);
        glVertex3f(0, 2, 0);
        glEnd();
        glPopMatrix();
    };

    view();
    mesh.Render(IdentityMatrix());
    const std::vector<gltest::Rgba> drawn = gltest::ReadFrame();
    ASSERT_GT(NonWhite(drawn), 1000);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    view();
    reference(-90);
    EXPECT_LT(Differences(drawn, gltest::ReadFrame()), 50);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    view();
    reference(90);
    EXPECT_GT(Differences(drawn, gltest::ReadFrame()), 1000) << "the node's own sense of rotation is not drawn";

    // The box follows the node's true transform: x goes to -z.
    const BoundingBox box = mesh.GetBoundingBoxes()[0];
    EXPECT_NEAR(-2, box.min.z, 1e-5);
    EXPECT_NEAR(0, box.max.z, 1e-5);
}

TEST_F(GlTest, MeshBoundingBoxesComeInEntryOrderMovedByTheMatrix)
{
    gltest::TempDir dir;
    gltest::WriteFile(dir.File("three.obj"),
                      "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 2 0 0\nv 3 0 0\nv 2 1 0\nv 4 0 0\nv 5 0 0\nv 4 1 0\n"
                      "o A\nf 1 2 3\no B\nf 4 5 6\no C\nf 7 8 9\n");
    Mesh mesh;
    LoadQuietly(mesh, dir.File("three.obj"));
    ASSERT_EQ(3u, mesh.GetBoundingBoxes().size());
    EXPECT_EQ(2, mesh.GetBoundingBoxes()[1].min.x) << "before the first draw: the built boxes";

    Matrix4f moved;
    moved.SetTranslation(10, 0, 0);
    mesh.Render(moved);
    const std::vector<BoundingBox> boxes = mesh.GetBoundingBoxes();
    ASSERT_EQ(3u, boxes.size());
    for (int i = 0; i < 3; i++) {
        EXPECT_FLOAT_EQ(10 + 2 * i, boxes[i].min.x);
        EXPECT_FLOAT_EQ(11 + 2 * i, boxes[i].max.x);
        EXPECT_FLOAT_EQ(2 * i, boxes[i].localMin.x);
    }
}

TEST_F(GlTest, MeshRenderLeavesAStaticModelsBuffersAlone)
{
    gltest::TempDir dir;
    gltest::WriteFile(dir.File("square.obj"), SquareObj);
    Mesh mesh;
    LoadQuietly(mesh, dir.File("square.obj"));
    const std::vector<Vertex> before = ReadVertices(mesh.GetEntries()[0].vertexBuffer);
    mesh.Render(IdentityMatrix());
    const std::vector<Vertex> after = ReadVertices(mesh.GetEntries()[0].vertexBuffer);
    ASSERT_EQ(before.size(), after.size());
    EXPECT_EQ(0, std::memcmp(before.data(), after.data(), before.size() * sizeof(Vertex)));
}

namespace {

// Vertices: 0 named by both joints at 0.5, 1 by Root alone at 0.5, 2 by
// none, 3 to 5 by Arm at 1. Arm moves by 10 along x over 10 ticks.
ColladaScene SkinnedScene()
{
    ColladaScene scene;
    scene.positions = {2, 4, 6, 2, 4, 6, 2, 4, 6, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    scene.triangles = {0, 1, 2, 3, 4, 5};
    scene.joints = {{"Root", -1, Identity()}, {"Arm", 0, Identity()}};
    scene.weights = {{{0, 0.5f}, {1, 0.5f}}, {{0, 0.5f}}, {}, {{1, 1}}, {{1, 1}}, {{1, 1}}};
    scene.animations = {{"Move", "Arm", {0, 0.01f}, {Identity(), Translation(10, 0, 0)}}};
    return scene;
}

}  // namespace

TEST_F(GlTest, MeshRenderSkinsEveryFrameFromTheBones)
{
    gltest::TempDir dir;
    gltest::WriteFile(dir.File("skin.dae"), Collada(SkinnedScene()));
    Mesh mesh;
    LoadQuietly(mesh, dir.File("skin.dae"));
    ASSERT_EQ(1u, mesh.GetEntries().size());
    const Mesh::MeshEntry& entry = mesh.GetEntries()[0];
    const aiMesh* source = entry.sourceMesh;
    ASSERT_EQ(2u, source->mNumBones);

    mesh.Render(IdentityMatrix());
    std::vector<Vertex> records = ReadVertices(entry.vertexBuffer);
    // The importer keeps one vertex per face corner, in file order.
    ASSERT_EQ(6u, records.size());
    EXPECT_FLOAT_EQ(2, records[0].position.x);  // two bones at 0.5, identity: unchanged
    EXPECT_FLOAT_EQ(6, records[0].position.z);
    EXPECT_FLOAT_EQ(1, records[1].position.x);  // one bone at 0.5: half way to the origin
    EXPECT_FLOAT_EQ(3, records[1].position.z);
    EXPECT_FLOAT_EQ(2, records[2].position.x);  // no bone: where it was
    EXPECT_FLOAT_EQ(6, records[2].position.z);
    EXPECT_FLOAT_EQ(1, records[3].position.x);

    // A pose evaluated before the draw shows in the buffer; the source stays.
    mesh.SetAnimationTime(5);
    mesh.Render(IdentityMatrix());
    records = ReadVertices(entry.vertexBuffer);
    EXPECT_FLOAT_EQ(6, records[3].position.x);
    EXPECT_FLOAT_EQ(5, records[4].position.x);
    EXPECT_FLOAT_EQ(4.5f, records[0].position.x) << "half of Arm's move";
    EXPECT_FLOAT_EQ(1, source->mVertices[3].x);
}

TEST_F(GlTest, MeshRenderSkipsAnEntryWhoseBufferCannotBeMapped)
{
    gltest::TempDir dir;
    gltest::WriteFile(dir.File("skin.dae"), Collada(SkinnedScene()));
    Mesh mesh;
    LoadQuietly(mesh, dir.File("skin.dae"));
    const GLuint buffer = mesh.GetEntries()[0].vertexBuffer;
    // A buffer mapped already cannot be mapped again.
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    ASSERT_NE(nullptr, glMapBuffer(GL_ARRAY_BUFFER, GL_READ_ONLY));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    mesh.Render(IdentityMatrix());
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glUnmapBuffer(GL_ARRAY_BUFFER);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    gltest::DrainErrors();  // the failed mapping and the draw from a mapped buffer
}

// A context without buffer objects or generic attributes: the model loads
// with its boxes, and drawing it, through the nodes or flat, calls nothing
// missing and draws nothing (the blue square below covers the centre otherwise).
TEST_F(GlTest, MeshOnAContextWithoutBufferObjectsLoadsButDrawsNothing)
{
    using gltest::Hidden;
    gltest::TempDir dir;
    gltest::WriteFile(dir.File("square.obj"), SquareObj);
    Hidden<GLboolean> version15(__GLEW_VERSION_1_5), version20(__GLEW_VERSION_2_0);
    Hidden<PFNGLGENBUFFERSPROC> gen(__glewGenBuffers);
    Hidden<PFNGLBINDBUFFERPROC> bind(__glewBindBuffer);
    Hidden<PFNGLMAPBUFFERPROC> map(__glewMapBuffer);
    Hidden<PFNGLENABLEVERTEXATTRIBARRAYPROC> enable(__glewEnableVertexAttribArray);
    Mesh mesh;
    LoadQuietly(mesh, dir.File("square.obj"));
    ASSERT_EQ(1u, mesh.GetEntries().size());
    EXPECT_EQ(0u, mesh.GetEntries()[0].vertexBuffer);
    EXPECT_EQ(1u, mesh.GetBoundingBoxes().size());
    glTranslatef(0, 0, -5);
    glColor3f(0, 0, 1);
    mesh.Render(IdentityMatrix());
    mesh.RenderAttribArrays();
    EXPECT_EQ(0, NonWhite(gltest::ReadFrame())) << "something was drawn";
}
