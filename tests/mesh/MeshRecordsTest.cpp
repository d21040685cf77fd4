// The CPU side of Mesh, without an OpenGL context: vertex and index records,
// boxes, skinning into a record array, channel evaluation.
#include "2-mesh/MeshRecords.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <vector>

namespace {

aiMesh* MakeMesh(const std::vector<aiVector3D>& positions)
{
    aiMesh* mesh = new aiMesh();
    mesh->mNumVertices = static_cast<unsigned int>(positions.size());
    mesh->mVertices = new aiVector3D[positions.size()];
    for (size_t i = 0; i < positions.size(); i++)
        mesh->mVertices[i] = positions[i];
    return mesh;
}

void SetFaces(aiMesh* mesh, const std::vector<std::vector<unsigned int>>& faces)
{
    mesh->mNumFaces = static_cast<unsigned int>(faces.size());
    mesh->mFaces = new aiFace[faces.size()];
    for (size_t f = 0; f < faces.size(); f++) {
        mesh->mFaces[f].mNumIndices = static_cast<unsigned int>(faces[f].size());
        mesh->mFaces[f].mIndices = new unsigned int[faces[f].size()];
        for (size_t i = 0; i < faces[f].size(); i++)
            mesh->mFaces[f].mIndices[i] = faces[f][i];
    }
}

aiBone* AddBone(aiMesh* mesh, const char* name, const std::vector<aiVertexWeight>& weights)
{
    aiBone** bones = new aiBone*[mesh->mNumBones + 1];
    for (unsigned int b = 0; b < mesh->mNumBones; b++)
        bones[b] = mesh->mBones[b];
    delete[] mesh->mBones;
    aiBone* bone = new aiBone();
    bone->mName = aiString(name);
    bone->mNumWeights = static_cast<unsigned int>(weights.size());
    bone->mWeights = new aiVertexWeight[weights.size()];
    for (size_t w = 0; w < weights.size(); w++)
        bone->mWeights[w] = weights[w];
    bones[mesh->mNumBones] = bone;
    mesh->mBones = bones;
    mesh->mNumBones++;
    return bone;
}

// A scene whose root has the given children (each with its own transform).
void SetChildren(aiNode* parent, const std::vector<aiNode*>& children)
{
    parent->mNumChildren = static_cast<unsigned int>(children.size());
    parent->mChildren = new aiNode*[children.size()];
    for (size_t i = 0; i < children.size(); i++) {
        parent->mChildren[i] = children[i];
        children[i]->mParent = parent;
    }
}

aiNode* NamedNode(const char* name, const aiMatrix4x4& transform)
{
    aiNode* node = new aiNode(name);
    node->mTransformation = transform;
    return node;
}

aiMatrix4x4 Translation(float x, float y, float z)
{
    aiMatrix4x4 m;
    aiMatrix4x4::Translation(aiVector3D(x, y, z), m);
    return m;
}

void ExpectVector(const Vector3f& v, float x, float y, float z)
{
    EXPECT_NEAR(x, v.x, 1e-5f);
    EXPECT_NEAR(y, v.y, 1e-5f);
    EXPECT_NEAR(z, v.z, 1e-5f);
}

}  // namespace

TEST(MeshRecords, VerticesCopyEveryFieldInRecordOrder)
{
    aiMesh* mesh = MakeMesh({{1, 2, 3}, {4, 5, 6}});
    mesh->mNormals = new aiVector3D[2]{{0, 1, 0}, {0, 0, 1}};
    mesh->mTangents = new aiVector3D[2]{{1, 0, 0}, {0, 1, 0}};
    mesh->mTextureCoords[0] = new aiVector3D[2]{{0.25f, 0.75f, 9}, {0.5f, 0.125f, 9}};
    mesh->mNumUVComponents[0] = 2;

    std::vector<Vertex> records(2);
    MeshRecords::WriteVertices(mesh, records.data());
    ExpectVector(records[1].position, 4, 5, 6);
    EXPECT_EQ(0.5f, records[1].texCoord[0]);
    EXPECT_EQ(0.125f, records[1].texCoord[1]);
    ExpectVector(records[1].normal, 0, 0, 1);
    ExpectVector(records[1].tangent, 0, 1, 0);
    ExpectVector(records[0].position, 1, 2, 3);
    delete mesh;
}

TEST(MeshRecords, MissingTexCoordsNormalsAndTangentsBecomeZeros)
{
    aiMesh* mesh = MakeMesh({{1, 2, 3}});
    Vertex record;
    record.texCoord[0] = record.texCoord[1] = 7;
    record.normal = record.tangent = Vector3f(7, 7, 7);
    MeshRecords::WriteVertices(mesh, &record);
    EXPECT_EQ(0.0f, record.texCoord[0]);
    EXPECT_EQ(0.0f, record.texCoord[1]);
    ExpectVector(record.normal, 0, 0, 0);
    ExpectVector(record.tangent, 0, 0, 0);
    delete mesh;
}

TEST(MeshRecords, IndicesKeepTrianglesInFaceOrderAndSkipTheRest)
{
    aiMesh* mesh = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}});
    // A point, a line, a triangle naming a vertex the mesh lacks, a quad.
    SetFaces(mesh, {{2, 1, 0}, {0}, {1, 3}, {0, 1, 9}, {0, 1, 2, 3}, {3, 2, 1}});
    const std::vector<std::uint32_t> indices = MeshRecords::BuildIndices(mesh);
    EXPECT_EQ((std::vector<std::uint32_t>{2, 1, 0, 3, 2, 1}), indices);
    delete mesh;
}

TEST(MeshRecords, BoxIsTheComponentwiseExtentWithWOne)
{
    aiMesh* mesh = MakeMesh({{1, -2, 3}, {-4, 5, 0}, {2, 0, -6}});
    const BoundingBox box = MeshRecords::ComputeBox(mesh);
    EXPECT_EQ(-4, box.localMin.x); EXPECT_EQ(-2, box.localMin.y); EXPECT_EQ(-6, box.localMin.z);
    EXPECT_EQ(2, box.localMax.x);  EXPECT_EQ(5, box.localMax.y);  EXPECT_EQ(3, box.localMax.z);
    EXPECT_EQ(1, box.localMin.w);
    EXPECT_EQ(1, box.localMax.w);
    EXPECT_EQ(box.localMin.x, box.min.x); EXPECT_EQ(box.localMax.z, box.max.z);

    aiMesh* empty = MakeMesh({});
    const BoundingBox none = MeshRecords::ComputeBox(empty);
    EXPECT_EQ(FLT_MAX, none.min.x);
    EXPECT_EQ(-FLT_MAX, none.max.x);
    delete mesh;
    delete empty;
}

TEST(MeshRecordsSkin, HalfWeightsOfTwoIdentityBonesKeepTheVertex)
{
    aiScene scene;
    scene.mRootNode = new aiNode("root");
    SetChildren(scene.mRootNode, {NamedNode("a", aiMatrix4x4()), NamedNode("b", aiMatrix4x4())});
    aiMesh* mesh = MakeMesh({{2, 4, 6}, {2, 4, 6}, {2, 4, 6}});
    mesh->mNormals = new aiVector3D[3]{{0, 2, 0}, {0, 2, 0}, {0, 2, 0}};
    AddBone(mesh, "a", {{0, 0.5f}, {1, 0.5f}});
    AddBone(mesh, "b", {{0, 0.5f}});

    std::vector<Vertex> records(3);
    MeshRecords::SkinVertices(&scene, mesh, records.data());
    ExpectVector(records[0].position, 2, 4, 6);   // two bones, 0.5 each
    ExpectVector(records[1].position, 1, 2, 3);   // one bone, 0.5: half way to the origin
    ExpectVector(records[1].normal, 0, 1, 0);     // not renormalised
    ExpectVector(records[2].position, 2, 4, 6);   // no bone names it: left where it was
    ExpectVector(records[2].normal, 0, 2, 0);
    delete mesh;
}

TEST(MeshRecordsSkin, BoneMatrixIsTheNodeChainTimesTheOffset)
{
    aiScene scene;
    scene.mRootNode = NamedNode("root", Translation(100, 0, 0));
    aiNode* arm = NamedNode("arm", Translation(0, 10, 0));
    SetChildren(scene.mRootNode, {arm});
    aiMesh* mesh = MakeMesh({{1, 1, 1}, {1, 1, 1}});
    mesh->mNormals = new aiVector3D[2]{{1, 0, 0}, {1, 0, 0}};
    aiBone* bone = AddBone(mesh, "arm", {{0, 1}});
    aiMatrix4x4::RotationZ(3.14159265f / 2, bone->mOffsetMatrix);
    bone->mOffsetMatrix.a4 = 1;  // offset: turn 90 degrees about z, then move 1 along x
    aiBone* lost = AddBone(mesh, "no such node", {{1, 1}});
    lost->mOffsetMatrix = Translation(0, 0, 5);

    std::vector<Vertex> records(2);
    MeshRecords::SkinVertices(&scene, mesh, records.data());
    ExpectVector(records[0].position, 100 + 1 - 1, 10 + 1, 1);  // root x arm x offset
    ExpectVector(records[0].normal, 0, 1, 0);                   // the 3x3 only: no translation
    ExpectVector(records[1].position, 1, 1, 6);                 // offset alone
    delete mesh;
}

TEST(MeshRecordsSkin, WeightsNamingMissingVerticesAreIgnored)
{
    aiScene scene;
    scene.mRootNode = new aiNode("a");
    aiMesh* mesh = MakeMesh({{3, 3, 3}});
    AddBone(mesh, "a", {{0, 1}, {1, 1}, {4000000000u, 1}});
    Vertex record;
    MeshRecords::SkinVertices(&scene, mesh, &record);
    ExpectVector(record.position, 3, 3, 3);
    delete mesh;
}

TEST(MeshRecords, FindNodeSearchesADeepChainInOrder)
{
    aiNode* root = new aiNode("n0");
    aiNode* tail = root;
    for (int i = 1; i < 3000; i++) {
        aiNode* next = new aiNode("n" + std::to_string(i));
        SetChildren(tail, {next});
        tail = next;
    }
    SetChildren(tail, {new aiNode("twin"), new aiNode("twin")});
    EXPECT_EQ(tail, MeshRecords::FindNode(root, aiString("n2999")));
    EXPECT_EQ(tail->mChildren[0], MeshRecords::FindNode(root, aiString("twin")));
    EXPECT_EQ(nullptr, MeshRecords::FindNode(root, aiString("absent")));
    delete root;
}

namespace {

aiNodeAnim* Channel()
{
    aiNodeAnim* channel = new aiNodeAnim();
    channel->mNodeName = aiString("node");
    return channel;
}

void SetPositions(aiNodeAnim* channel, const std::vector<aiVectorKey>& keys)
{
    channel->mNumPositionKeys = static_cast<unsigned int>(keys.size());
    channel->mPositionKeys = new aiVectorKey[keys.size()];
    for (size_t i = 0; i < keys.size(); i++)
        channel->mPositionKeys[i] = keys[i];
}

}  // namespace

TEST(MeshRecordsChannel, PositionsInterpolateWrapTowardTheFirstKeyAndExtrapolate)
{
    aiNodeAnim* channel = Channel();
    SetPositions(channel, {{0.0, aiVector3D(0, 0, 0)}, {10.0, aiVector3D(10, 0, 0)}});
    const double duration = 20;
    EXPECT_FLOAT_EQ(5, MeshRecords::EvaluateChannel(channel, duration, 5).a4);
    EXPECT_FLOAT_EQ(10, MeshRecords::EvaluateChannel(channel, duration, 10).a4);   // last key, factor 0
    EXPECT_FLOAT_EQ(5, MeshRecords::EvaluateChannel(channel, duration, 15).a4);    // back toward key 0
    EXPECT_FLOAT_EQ(-10, MeshRecords::EvaluateChannel(channel, duration, 30).a4);  // factor 2
    EXPECT_FLOAT_EQ(-5, MeshRecords::EvaluateChannel(channel, duration, -5).a4);   // before key 0
    // Without wrap time (duration = last key) the last key holds.
    EXPECT_FLOAT_EQ(10, MeshRecords::EvaluateChannel(channel, 10, 12).a4);
    delete channel;
}

TEST(MeshRecordsChannel, ScalingStepsRotationSlerpsAndTheyComposeWithPosition)
{
    aiNodeAnim* channel = Channel();
    SetPositions(channel, {{0.0, aiVector3D(1, 2, 3)}});  // one key: used as it is
    channel->mNumScalingKeys = 2;
    channel->mScalingKeys = new aiVectorKey[2]{{0.0, aiVector3D(1, 1, 1)}, {10.0, aiVector3D(2, 2, 2)}};
    channel->mNumRotationKeys = 2;
    channel->mRotationKeys = new aiQuatKey[2]{{0.0, aiQuaternion(1, 0, 0, 0)},
                                              {10.0, aiQuaternion(aiVector3D(0, 0, 1), 3.14159265f / 2)}};

    // The z column is untouched by a turn about z: it shows the scaling alone.
    EXPECT_FLOAT_EQ(1, MeshRecords::EvaluateChannel(channel, 20, 9.9f).c3);
    const aiMatrix4x4 atTen = MeshRecords::EvaluateChannel(channel, 20, 10);
    // Rotation by 90 degrees about z, scaled by 2 per column.
    EXPECT_NEAR(0, atTen.a1, 1e-5);
    EXPECT_NEAR(2, atTen.b1, 1e-5);
    EXPECT_NEAR(-2, atTen.a2, 1e-5);
    EXPECT_NEAR(2, atTen.c3, 1e-5);
    EXPECT_FLOAT_EQ(1, atTen.a4);
    EXPECT_FLOAT_EQ(2, atTen.b4);
    EXPECT_FLOAT_EQ(3, atTen.c4);
    EXPECT_FLOAT_EQ(0, atTen.d1);
    EXPECT_FLOAT_EQ(1, atTen.d4);

    const aiMatrix4x4 halfway = MeshRecords::EvaluateChannel(channel, 20, 5);
    EXPECT_NEAR(std::cos(3.14159265f / 4), halfway.a1, 1e-5);  // 45 degrees, scaling still 1
    EXPECT_NEAR(std::sin(3.14159265f / 4), halfway.b1, 1e-5);
    delete channel;
}

TEST(MeshRecordsChannel, AChannelWithoutKeysIsTheIdentity)
{
    aiNodeAnim* channel = Channel();
    EXPECT_TRUE(MeshRecords::EvaluateChannel(channel, 10, 3).IsIdentity());
    delete channel;
}
