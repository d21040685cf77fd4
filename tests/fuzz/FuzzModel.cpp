// Any bytes as a model file, taken through what the game does with its ship:
// Mesh::Load (the trial import in a child process, then the import, the
// entries with their vertex and index buffers, the material textures), then
// drawing with CPU skinning, the boxes, and every animation evaluated at
// several times. That needs an OpenGL context: with an X display the target
// draws into a small hidden window; without one it runs the same steps on
// the imported scene through the record functions Mesh builds on.
#include "FuzzTarget.h"

#include "math/Matrix4f.h"
#include "mesh/Mesh.h"
#include "mesh/MeshRecords.h"
#include "mesh/SceneImport.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
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

void DisplayNothing() {}

void CreateHiddenContext()
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0')
        return;
    int argc = 1;
    char name[] = "fuzz-model";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(WindowSide, WindowSide);
    glutCreateWindow("fuzz-model");
    glutDisplayFunc(DisplayNothing);
    glutHideWindow();
    haveContext = glewInit() == GLEW_OK;
}

// The loader prints its lines to stdout, the fuzzer its own to stderr: the
// lines of one load go to a scratch file, read back by LoaderLines.
class CapturedStdout {
public:
    explicit CapturedStdout(const std::string& path) : saved(dup(STDOUT_FILENO))
    {
        std::fflush(stdout);
        const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (file >= 0) {
            dup2(file, STDOUT_FILENO);
            close(file);
        }
    }
    ~CapturedStdout()
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

std::string ReadText(const std::string& path)
{
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        std::fclose(file);
    }
    return text;
}

// An input that took the trial import down (crash, time, memory) is kept in
// the folder $CORVANE_FUZZ_CONTAINED names, under a hash of its bytes: the
// game survives it, but it is worth a look and a place in the malformed files.
// reason is the loader's reason for refusing the file, or empty.
void KeepWhenContained(const std::string& reason, const std::uint8_t* data, std::size_t size, const char* suffix)
{
    const char* folder = std::getenv("CORVANE_FUZZ_CONTAINED");
    if (folder == nullptr || reason.rfind("the importer ", 0) != 0)
        return;
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < size; i++)
        hash = (hash ^ data[i]) * 1099511628211ull;
    char name[64];
    std::snprintf(name, sizeof name, "/%016llx", static_cast<unsigned long long>(hash));
    if (FILE* file = std::fopen((folder + std::string(name) + suffix).c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
}

void DrawWithGame(const std::string& path, const std::uint8_t* data, std::size_t size, const char* suffix)
{
    Mesh mesh;
    const std::string linesPath = path + ".out";
    {
        CapturedStdout capture(linesPath);
        mesh.Load(path);
    }
    const std::string lines = ReadText(linesPath);
    const std::string refusal = "Error parsing '" + path + "': '";
    const std::size_t refused = lines.find(refusal);
    if (refused != std::string::npos)
        KeepWhenContained(lines.substr(refused + refusal.size()), data, size, suffix);
    std::remove(linesPath.c_str());
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

void WalkScene(const std::string& path, const std::uint8_t* data, std::size_t size, const char* suffix)
{
    Assimp::Importer importer;
    std::string error;
    const aiScene* scene = SceneImport::FromFile(importer, path, error);
    if (scene == nullptr) {
        KeepWhenContained(error, data, size, suffix);
        return;
    }
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
    CreateHiddenContext();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Text starting with '<' is named for the Collada reader, anything else
    // for OBJ: the two formats the game's ship and its artists use.
    const char* suffix = (size > 0 && data[0] == '<') ? ".dae" : ".obj";
    const std::string path = fuzz::WriteScratchFile(data, size, suffix);
    if (haveContext)
        DrawWithGame(path, data, size, suffix);
    else
        WalkScene(path, data, size, suffix);
    return 0;
}
