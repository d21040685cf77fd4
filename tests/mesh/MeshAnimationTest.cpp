// Mesh node animation: choosing an animation, times, progress, node transforms.
#include "ModelFiles.h"

#include "GlTestContext.h"
#include "2-mesh/Mesh.h"

#include <assimp/scene.h>

#include <cmath>

using gltest::GlTest;
using namespace meshtest;

namespace {

// Two animations: "Slide" moves Arm to x = 10 over 10 ticks, "Lift" moves
// Root to y = 4 over 2000 ticks.
std::string TwoAnimations()
{
    ColladaScene scene;
    scene.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    scene.triangles = {0, 1, 2};
    scene.joints = {{"Root", -1, Identity()}, {"Arm", 0, Identity()}};
    scene.weights = {{{1, 1}}, {{1, 1}}, {{0, 1}}};
    scene.animations = {{"SlideArm", "Arm", {0, 0.01f}, {Identity(), Translation(10, 0, 0)}},
                        {"LiftRoot", "Root", {0, 2}, {Identity(), Translation(0, 4, 0)}}};
    scene.clips = {{"Slide", {"SlideArm"}}, {"Lift", {"LiftRoot"}}};
    return Collada(scene);
}

class MeshAnimation : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        gltest::WriteFile(dir.File("two.dae"), TwoAnimations());
        testing::internal::CaptureStdout();
        mesh.Load(dir.File("two.dae"));
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(2u, mesh.GetNumAnimations());
    }

    aiNode* Node(const char* name) { return mesh.GetScene()->mRootNode->FindNode(name); }

    gltest::TempDir dir;
    Mesh mesh;
};

}  // namespace

TEST_F(MeshAnimation, SetAnimationRefusesAnIndexBeyondTheAnimations)
{
    EXPECT_EQ(0u, mesh.GetCurrentAnimation());
    mesh.SetAnimation(1);
    EXPECT_EQ(1u, mesh.GetCurrentAnimation());
    testing::internal::CaptureStdout();
    mesh.SetAnimation(2);
    EXPECT_EQ("Animation does not exist \n\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(1u, mesh.GetCurrentAnimation());
    EXPECT_TRUE(std::isnan(mesh.GetEvaluatedTime())) << "choosing evaluates nothing";
}

TEST_F(MeshAnimation, SetAnimationTimeWritesTheChannelsNodes)
{
    EXPECT_FLOAT_EQ(10, mesh.GetAnimationDuration(0));
    EXPECT_FLOAT_EQ(2000, mesh.GetAnimationDuration(1));
    mesh.SetAnimationTime(5);
    EXPECT_FLOAT_EQ(5, mesh.GetEvaluatedTime());
    EXPECT_FLOAT_EQ(5, Node("Arm")->mTransformation.a4);
    EXPECT_FLOAT_EQ(0, Node("Root")->mTransformation.b4) << "a node of another animation keeps its transform";

    mesh.SetAnimation(1);
    mesh.SetAnimationTime(1000);
    EXPECT_FLOAT_EQ(2, Node("Root")->mTransformation.b4);
    EXPECT_FLOAT_EQ(5, Node("Arm")->mTransformation.a4) << "written by the earlier evaluation, kept";
}

TEST_F(MeshAnimation, AnEqualTimeIsEvaluatedOnce)
{
    mesh.SetAnimationTime(5);
    aiNode* arm = Node("Arm");
    arm->mTransformation = aiMatrix4x4();  // a pose the next evaluation would overwrite
    mesh.SetAnimationTime(5);
    EXPECT_FLOAT_EQ(0, arm->mTransformation.a4);
    mesh.SetAnimationTime(6);
    EXPECT_FLOAT_EQ(6, arm->mTransformation.a4);
    EXPECT_FLOAT_EQ(6, mesh.GetAnimationTime());
}

TEST_F(MeshAnimation, ProgressIsAFractionOfTheCurrentDuration)
{
    mesh.SetAnimation(1);
    mesh.SetAnimationProgress(0.5f);
    EXPECT_FLOAT_EQ(1000, mesh.GetEvaluatedTime());
    EXPECT_FLOAT_EQ(2, Node("Root")->mTransformation.b4);
    mesh.SetAnimationProgress(1.5f);  // not clamped
    EXPECT_FLOAT_EQ(3000, mesh.GetEvaluatedTime());
}

TEST_F(MeshAnimation, InvalidIndicesEvaluateNothing)
{
    mesh.EvaluateAnimation(7, 5);
    EXPECT_TRUE(std::isnan(mesh.GetEvaluatedTime()));
    EXPECT_EQ(0, mesh.GetAnimationDuration(7));
}

TEST_F(GlTest, AnimationCallsWithoutAModelDoNothing)
{
    Mesh mesh;
    testing::internal::CaptureStdout();
    mesh.SetAnimationTime(3);
    mesh.SetAnimationProgress(0.5f);
    mesh.EvaluateAnimation(0, 3);
    mesh.SetAnimation(0);
    EXPECT_EQ("Animation does not exist \n\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(0, mesh.GetAnimationDuration(0));
    EXPECT_TRUE(std::isnan(mesh.GetEvaluatedTime()));
    EXPECT_TRUE(std::isnan(mesh.GetAnimationTime()));
}
