// Mesh::Load: the loader's lines, entries, vertex and index buffers, materials.
#include "MeshBuffers.h"
#include "ModelFiles.h"

#include "GlTestContext.h"
#include "1-world/Texture.h"
#include "2-mesh/Mesh.h"

#include <assimp/scene.h>
#include <sys/stat.h>

using gltest::GlTest;
using namespace meshtest;

namespace {

const char* const TriangleObj =
    "v 0 0 0\nv 2 0 -1\nv 0 3 0\nv 2 3 1\n"
    "vt 0 0\nvt 1 0\nvt 0 0.25\nvt 1 1\n"
    "f 1/1 2/2 3/3\nf 2/2 4/4 3/3\n";

// Two textured materials and one that never loads, in a models/ sub-folder.
struct MaterialModel {
    gltest::TempDir dir;
    std::string modelDir = dir.File("models");
    std::string red = dir.File("red.png");
    MaterialModel()
    {
        mkdir(modelDir.c_str(), 0755);
        WriteSolidPng(red, 255, 0, 0);
        WriteSolidPng(modelDir + "/bump.png", 128, 128, 255);
        gltest::WriteFile(modelDir + "/ship.mtl", "newmtl a_red\nmap_Kd " + red +
                                                      "\nmap_bump bump.png\nnewmtl b_missing\nmap_Kd missing.png\n");
        gltest::WriteFile(modelDir + "/ship.obj", "mtllib ship.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
                                                  "o A\nusemtl a_red\nf 1/1 2/2 3/3\no B\nusemtl b_missing\nf 3/3 2/2 1/1\n");
    }
};

std::string Load(Mesh& mesh, const std::string& file, bool& result)
{
    testing::internal::CaptureStdout();
    result = mesh.Load(file);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST_F(GlTest, MeshLoadPrintsTextureLinesPerMaterialWithTheNormalMapBesideTheModel)
{
    MaterialModel model;
    Mesh mesh;
    bool result = true;
    const std::string out = Load(mesh, model.modelDir + "/ship.obj", result);
    EXPECT_EQ("Loaded texture '" + model.red + "'\n"
              "Loaded normal map '" + model.modelDir + "/bump.png' \n"
              "Error loading texture 'missing.png'\n", out);
    EXPECT_FALSE(result) << "a texture failed";

    // Material 0 is the importer's default one.
    ASSERT_EQ(3u, mesh.GetTextures().size());
    EXPECT_EQ(nullptr, mesh.GetTextures()[0]);
    ASSERT_NE(nullptr, mesh.GetTextures()[1]);
    EXPECT_NE(0u, mesh.GetTextures()[1]->GetId());
    EXPECT_NE(nullptr, mesh.GetNormalMaps()[1]);
    EXPECT_EQ(nullptr, mesh.GetTextures()[2]);
    EXPECT_EQ(nullptr, mesh.GetNormalMaps()[2]);
    ASSERT_EQ(2u, mesh.GetEntries().size());
    EXPECT_EQ(1u, mesh.GetEntries()[0].materialIndex);
    EXPECT_EQ(2u, mesh.GetEntries()[1].materialIndex);
    EXPECT_NE(0u, mesh.GetEntries()[1].vertexBuffer) << "entries are built even when their texture fails";
}

TEST_F(GlTest, MeshLoadByBareNameLooksForTheNormalMapInDot)
{
    MaterialModel model;
    gltest::ScopedWorkingDirectory cwd(model.modelDir);
    Mesh mesh;
    bool result = true;
    const std::string out = Load(mesh, "ship.obj", result);
    EXPECT_NE(std::string::npos, out.find("Loaded normal map './bump.png' \n")) << out;
}

TEST_F(GlTest, MeshLoadOfAMissingFilePrintsOneParseErrorAndKeepsNoScene)
{
    Mesh mesh;
    bool result = true;
    const std::string out = Load(mesh, "no/such/model.obj", result);
    EXPECT_FALSE(result);
    EXPECT_EQ(0u, out.find("Error parsing 'no/such/model.obj': '")) << out;
    EXPECT_EQ(out.size() - 2, out.find("'\n"));
    EXPECT_EQ(nullptr, mesh.GetScene());
    EXPECT_EQ(0u, mesh.GetNumAnimations());
    mesh.Render(Matrix4f());  // draws nothing, touches nothing
}

TEST_F(GlTest, MeshLoadWritesOneRecordPerVertexAndTheFacesIndices)
{
    gltest::TempDir dir;
    gltest::WriteFile(dir.File("quad.obj"), TriangleObj);
    Mesh mesh;
    bool result = false;
    EXPECT_EQ("", Load(mesh, dir.File("quad.obj"), result)) << "no animations, no textures: silent";
    EXPECT_TRUE(result);
    ASSERT_EQ(1u, mesh.GetEntries().size());
    const Mesh::MeshEntry& entry = mesh.GetEntries()[0];
    const aiMesh* source = entry.sourceMesh;
    ASSERT_NE(nullptr, source);
    EXPECT_EQ(GL_STATIC_DRAW, BufferUsage(entry.vertexBuffer));

    const std::vector<Vertex> records = ReadVertices(entry.vertexBuffer);
    ASSERT_EQ(source->mNumVertices, records.size());
    for (unsigned int n = 0; n < source->mNumVertices; n++) {
        EXPECT_EQ(source->mVertices[n].x, records[n].position.x);
        EXPECT_EQ(source->mVertices[n].z, records[n].position.z);
        EXPECT_EQ(source->mTextureCoords[0][n].y, records[n].texCoord[1]);
        EXPECT_EQ(source->mNormals[n].y, records[n].normal.y);
        EXPECT_EQ(source->mTangents[n].x, records[n].tangent.x);
    }
    // v is flipped on import: the file's 0.25 arrives as 0.75.
    bool flipped = false;
    for (const Vertex& record : records)
        flipped = flipped || record.texCoord[1] == 0.75f;
    EXPECT_TRUE(flipped);

    const std::vector<std::uint32_t> indices = ReadIndices(entry.indexBuffer);
    ASSERT_EQ(3 * source->mNumFaces, entry.numIndices);
    ASSERT_EQ(entry.numIndices, indices.size());
    for (unsigned int k = 0; k < indices.size(); k++)
        EXPECT_EQ(source->mFaces[k / 3].mIndices[k % 3], indices[k]) << "index " << k;

    EXPECT_EQ(0, entry.box.localMin.x); EXPECT_EQ(0, entry.box.min.y); EXPECT_EQ(-1, entry.box.localMin.z);
    EXPECT_EQ(2, entry.box.localMax.x); EXPECT_EQ(3, entry.box.max.y); EXPECT_EQ(1, entry.box.localMax.z);
    EXPECT_EQ(1, entry.box.min.w);
}

TEST_F(GlTest, MeshLoadSkipsPointsAndLinesAndZerosMissingChannels)
{
    gltest::TempDir dir;
    gltest::WriteFile(dir.File("mixed.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nl 1 4\np 2\nf 1 2 3\nl 2 3\n");
    Mesh mesh;
    bool result = false;
    Load(mesh, dir.File("mixed.obj"), result);
    ASSERT_EQ(1u, mesh.GetEntries().size());
    const Mesh::MeshEntry& entry = mesh.GetEntries()[0];
    EXPECT_GT(entry.sourceMesh->mNumFaces, 1u) << "points and lines survive the import";
    EXPECT_EQ(3u, entry.numIndices);
    for (const Vertex& record : ReadVertices(entry.vertexBuffer)) {
        EXPECT_EQ(0, record.texCoord[0]);
        EXPECT_EQ(0, record.texCoord[1]);
        EXPECT_EQ(0, record.tangent.x);
        EXPECT_EQ(0, record.tangent.y);
        EXPECT_EQ(0, record.tangent.z);
    }
}

TEST_F(GlTest, MeshLoadCountsAnimationsAfterTheTextureLinesAndStreamsItsBuffers)
{
    gltest::TempDir dir;
    const std::string red = dir.File("red.png");
    WriteSolidPng(red, 255, 0, 0);
    ColladaScene scene;
    scene.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    scene.triangles = {0, 1, 2};
    scene.diffuseImage = red;
    scene.joints = {{"Root", -1, Identity()}};
    scene.weights = {{{0, 1}}, {{0, 1}}, {{0, 1}}};
    scene.animations = {{"A1", "Root", {0, 1}, {Identity(), Translation(1, 0, 0)}},
                        {"A2", "Root", {0, 2}, {Identity(), Translation(0, 1, 0)}}};
    scene.clips = {{"First", {"A1"}}, {"Second", {"A2"}}};
    gltest::WriteFile(dir.File("anim.dae"), Collada(scene));

    Mesh mesh;
    bool result = false;
    EXPECT_EQ("Loaded texture '" + red + "'\nNumber of animations: 2 \n\n", Load(mesh, dir.File("anim.dae"), result));
    EXPECT_TRUE(result);
    EXPECT_EQ(2u, mesh.GetNumAnimations());
    ASSERT_EQ(1u, mesh.GetEntries().size());
    EXPECT_EQ(GL_STREAM_DRAW, BufferUsage(mesh.GetEntries()[0].vertexBuffer));
}

TEST_F(GlTest, MeshLoadTwiceReleasesTheFirstModelsBuffers)
{
    MaterialModel model;
    gltest::WriteFile(model.dir.File("plain.obj"), TriangleObj);
    Mesh mesh;
    bool result = false;
    Load(mesh, model.modelDir + "/ship.obj", result);
    std::vector<GLuint> buffers;
    for (const Mesh::MeshEntry& entry : mesh.GetEntries()) {
        buffers.push_back(entry.vertexBuffer);
        buffers.push_back(entry.indexBuffer);
    }
    ASSERT_EQ(4u, buffers.size());

    Load(mesh, model.dir.File("plain.obj"), result);
    for (GLuint buffer : buffers)
        EXPECT_FALSE(glIsBuffer(buffer)) << "buffer " << buffer << " of the first model is still alive";
    ASSERT_EQ(1u, mesh.GetEntries().size());
    for (Texture* normalMap : mesh.GetNormalMaps())
        EXPECT_EQ(nullptr, normalMap);

    // A failed third load leaves an empty model.
    Load(mesh, model.dir.File("absent.obj"), result);
    EXPECT_TRUE(mesh.GetEntries().empty());
    EXPECT_TRUE(mesh.GetTextures().empty());
    mesh.Render(Matrix4f());
}

TEST_F(GlTest, MeshLoadOfASceneWithoutMeshesOrFacesDrawsNothing)
{
    gltest::TempDir dir;
    gltest::WriteFile(dir.File("empty.obj"), "# a model file that names a material library and nothing else\nmtllib none.mtl\n");
    gltest::WriteFile(dir.File("cloud.obj"), "v 0 0 0\nv 1 0 0\n");
    Matrix4f identity;
    identity.SetIdentity();

    Mesh mesh;
    bool result = false;
    Load(mesh, dir.File("empty.obj"), result);
    ASSERT_NE(nullptr, mesh.GetScene());
    EXPECT_TRUE(mesh.GetEntries().empty());
    mesh.Render(identity);
    EXPECT_TRUE(mesh.GetBoundingBoxes().empty());

    Load(mesh, dir.File("cloud.obj"), result);
    ASSERT_EQ(1u, mesh.GetEntries().size());
    EXPECT_EQ(0u, mesh.GetEntries()[0].numIndices);
    mesh.Render(identity);
}

TEST_F(GlTest, MeshLoadAndDrawAThousandLevelNodeChain)
{
    gltest::TempDir dir;
    gltest::WriteFile(dir.File("deep.dae"), DeepChainCollada(1000, 0.01f));
    Mesh mesh;
    bool result = false;
    Load(mesh, dir.File("deep.dae"), result);
    ASSERT_TRUE(result);
    ASSERT_EQ(1u, mesh.GetEntries().size());

    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const GLint depth = gltest::GetInteger(GL_MODELVIEW_STACK_DEPTH);
    Matrix4f identity;
    identity.SetIdentity();
    mesh.Render(identity);
    EXPECT_EQ(static_cast<GLenum>(GL_NO_ERROR), glGetError()) << "the matrix stack overflowed";
    EXPECT_EQ(depth, gltest::GetInteger(GL_MODELVIEW_STACK_DEPTH));
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(before[i], after[i]);
    // The innermost node sits 1000 steps of 0.01 along x.
    EXPECT_NEAR(10, mesh.GetBoundingBoxes()[0].min.x, 1e-2);
}
