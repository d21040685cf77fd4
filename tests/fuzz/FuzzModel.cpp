// Any bytes as a model file, taken through what the game does with its ship:
// Mesh::Load (the trial import in a child process, then the import, the
// entries with their vertex and index buffers, the material textures), then
// drawing with CPU skinning, the boxes, and every animation evaluated at
// several times (the first four animations). That needs an OpenGL context: with an X display the target
// draws into a small hidden window; without one it runs the same steps on
// the imported scene through the record functions Mesh builds on.
#include "FuzzTarget.h"

#include "0-math/Matrix4f.h"
#include "2-mesh/Mesh.h"
#include "2-mesh/MeshRecords.h"
#include "2-mesh/SceneImport.h"

#include <GL/glew.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr unsigned MaxVertices = 1u << 20;  // keep one input's memory modest without a context
constexpr int WindowSide = 64;
const float AnimationFractions[] = {0.0f, 0.5f, 1.5f, -1.0f};

bool haveContext = false;


// The loader prints its lines to stdout, the fuzzer its own to stderr.
class QuietStdout {
public:
    QuietStdout() : saved(dup(STDOUT_FILENO))
    {
        std::fflush(stdout);
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, STDOUT_FILENO);
            close(quiet);
        }
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        if (saved >= 0) {
            dup2(saved, STDOUT_FILENO);
            close(saved);
        }
    }

private:
    int saved;
};

void DrawWithGame(const std::string& path)
{
    QuietStdout quiet;
    Mesh mesh;
    mesh.Load(path);
    Matrix4f pose;
    pose.SetRotation(90, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    mesh.Render(pose);
    mesh.GetBoundingBoxes();
    for (unsigned a = 0; a < mesh.GetNumAnimations() && a < 4; a++) {
        mesh.SetAnimation(a);
        for (float fraction : AnimationFractions) {
            mesh.SetAnimationProgress(fraction);
            mesh.Render(pose);
        }
    }
    mesh.SetAnimation(1000);
    mesh.Render(pose);
    glFinish();
    while (glGetError() != GL_NO_ERROR) {
    }
}

void VisitNodes(const aiNode* root)
{
    std::vector<const aiNode*> pending{root};
    while (!pending.empty()) {
        const aiNode* node = pending.back();
        pending.pop_back();
        if (node == nullptr)
            continue;
        aiVector3D scale, position;
        aiQuaternion rotation;
        node->mTransformation.Decompose(scale, rotation, position);
        Mesh::QuaternionToEuler(rotation);
        for (unsigned i = 0; i < node->mNumChildren; i++)
            pending.push_back(node->mChildren[i]);
    }
}

void WalkScene(const std::string& path)
{
    Assimp::Importer importer;
    std::string error;
    const aiScene* scene = SceneImport::FromFile(importer, path, error);
    if (scene == nullptr)
        return;
    for (unsigned m = 0; m < scene->mNumMeshes && scene->mMeshes != nullptr; m++) {
        const aiMesh* mesh = scene->mMeshes[m];
        if (mesh == nullptr || mesh->mNumVertices > MaxVertices)
            continue;
        std::vector<Vertex> records(mesh->mNumVertices);
        MeshRecords::WriteVertices(mesh, records.data());
        MeshRecords::BuildIndices(mesh);
        MeshRecords::ComputeBox(mesh);
        MeshRecords::SkinVertices(scene, mesh, records.data());
    }
    if (scene->mRootNode != nullptr)
        VisitNodes(scene->mRootNode);
    for (unsigned a = 0; a < scene->mNumAnimations && scene->mAnimations != nullptr; a++) {
        const aiAnimation* animation = scene->mAnimations[a];
        for (unsigned c = 0; c < animation->mNumChannels; c++) {
            const float duration = static_cast<float>(animation->mDuration);
            for (float fraction : AnimationFractions)
                MeshRecords::EvaluateChannel(animation->mChannels[c], animation->mDuration, duration * fraction);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    haveContext = fuzz::CreateHiddenContext("fuzz-model", WindowSide);
    // scripts/fuzz runs the targets in libFuzzer's fork mode, where a crash
    // costs one job: there the import runs directly, and each crash found is
    // checked afterwards against the game's contained path.
    if (std::getenv("CORVANE_FUZZ_DIRECT_IMPORT") != nullptr)
        SceneImport::SetTrialImport(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Text starting with '<' is named for the Collada reader, anything else
    // for OBJ: the two formats the game's ship and its artists use.
    const char* suffix = (size > 0 && data[0] == '<') ? ".dae" : ".obj";
    const std::string path = fuzz::WriteScratchFile(data, size, suffix);
    if (haveContext)
        DrawWithGame(path);
    else
        WalkScene(path);
    return 0;
}
