// corvane-model FILE [--png OUT.png] [--view game|front|top|side] [--animation I --time T]
//
// Loads a model through the game's Mesh, printing the loader's own lines,
// then a summary of what the game would get from it; with --png, draws it
// with the game's fixed-function state into a picture.
#include "ModelPicture.h"

#include "1-world/Texture.h"
#include "2-mesh/Mesh.h"
#include "4-game/GlWindow.h"

#include <assimp/scene.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace {

constexpr int PictureWidth = GlWindow::Width;
constexpr int PictureHeight = GlWindow::Height;

const char* Usage =
    "usage: corvane-model FILE [--png OUT.png] [--view game|front|top|side] [--animation I --time T]\n";

struct Options {
    std::string file;
    std::string png;
    ModelView view = ModelView::Game;
    bool animate = false;
    unsigned long animation = 0;
    bool timed = false;
    float time = 0;
};

int Fail(const std::string& sentence)
{
    std::fprintf(stderr, "corvane-model: %s\n", sentence.c_str());
    return 1;
}

bool ParseArguments(int argc, char** argv, Options& options, std::string& error)
{
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--png" || arg == "--view" || arg == "--animation" || arg == "--time") {
            if (!hasValue) {
                error = "option " + arg + " needs a value";
                return false;
            }
            const std::string value = argv[++i];
            char* end = nullptr;
            errno = 0;
            if (arg == "--png") {
                options.png = value;
            } else if (arg == "--view") {
                if (!ParseModelView(value, options.view)) {
                    error = "unknown view '" + value + "' (game, front, top or side)";
                    return false;
                }
            } else if (arg == "--animation") {
                options.animation = std::strtoul(value.c_str(), &end, 10);
                if (value.empty() || *end != '\0' || errno != 0 || value[0] == '-' || options.animation > 0xFFFFFFFFul) {
                    error = "animation index '" + value + "' is not a whole number";
                    return false;
                }
                options.animate = true;
            } else {
                options.time = std::strtof(value.c_str(), &end);
                if (value.empty() || *end != '\0' || errno != 0) {
                    error = "time '" + value + "' is not a number of ticks";
                    return false;
                }
                options.timed = true;
            }
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            error = "unknown option '" + arg + "'";
            return false;
        } else if (options.file.empty()) {
            options.file = arg;
        } else {
            error = "only one model file can be given";
            return false;
        }
    }
    if (options.file.empty()) {
        error = "no model file given";
        return false;
    }
    if (options.animate != options.timed) {
        error = "--animation and --time go together";
        return false;
    }
    return true;
}

void PrintSummary(const Mesh& mesh)
{
    const aiScene* scene = mesh.GetScene();
    unsigned long vertices = 0, triangles = 0;
    std::set<std::string> bones;
    for (const Mesh::MeshEntry& entry : mesh.GetEntries()) {
        const aiMesh* source = entry.sourceMesh;
        if (!source)
            continue;
        vertices += source->mNumVertices;
        triangles += entry.numIndices / 3;
        for (unsigned int b = 0; source->mBones && b < source->mNumBones; b++) {
            if (source->mBones[b])
                bones.insert(source->mBones[b]->mName.C_Str());
        }
    }

    std::printf("Entries: %zu\n", mesh.GetEntries().size());
    for (size_t i = 0; i < mesh.GetEntries().size(); i++) {
        const Mesh::MeshEntry& entry = mesh.GetEntries()[i];
        const aiMesh* source = entry.sourceMesh;
        std::printf("  entry %zu: %u vertices, %u triangles, material %d, %u bones\n", i,
                    source ? source->mNumVertices : 0u, entry.numIndices / 3,
                    entry.materialIndex == 0xFFFFFFFFu ? -1 : static_cast<int>(entry.materialIndex),
                    source && source->mBones ? source->mNumBones : 0u);
    }
    std::printf("Vertices: %lu\n", vertices);
    std::printf("Triangles: %lu\n", triangles);

    const unsigned int materials = scene->mMaterials ? scene->mNumMaterials : 0;
    std::printf("Materials: %u\n", materials);
    for (unsigned int i = 0; i < materials; i++) {
        aiString name;
        if (scene->mMaterials[i])
            scene->mMaterials[i]->Get(AI_MATKEY_NAME, name);
        const Texture* diffuse = i < mesh.GetTextures().size() ? mesh.GetTextures()[i] : nullptr;
        const Texture* normal = i < mesh.GetNormalMaps().size() ? mesh.GetNormalMaps()[i] : nullptr;
        std::printf("  material %u '%s': diffuse %s%s%s, normal map %s%s%s\n", i, name.C_Str(),
                    diffuse ? "'" : "", diffuse ? diffuse->GetFileName().c_str() : "none", diffuse ? "'" : "",
                    normal ? "'" : "", normal ? normal->GetFileName().c_str() : "none", normal ? "'" : "");
    }

    std::printf("Bones: %zu\n", bones.size());
    for (const std::string& bone : bones)
        std::printf("  bone '%s'\n", bone.c_str());

    std::printf("Animations: %u\n", mesh.GetNumAnimations());
    for (unsigned int i = 0; i < mesh.GetNumAnimations(); i++) {
        const aiAnimation* animation = scene->mAnimations[i];
        std::printf("  animation %u '%s': duration %g ticks, %u channels\n", i,
                    animation ? animation->mName.C_Str() : "", mesh.GetAnimationDuration(i),
                    animation ? animation->mNumChannels : 0u);
    }
    std::fflush(stdout);
}

// Everything after the context exists; the Mesh is gone when this returns.
int Inspect(const Options& options)
{
    std::string error;
    Mesh mesh;
    const bool complete = mesh.Load(options.file);
    if (!mesh.GetScene())
        return Fail("could not read '" + options.file + "' as a model");
    PrintSummary(mesh);
    if (!complete)
        std::fprintf(stderr, "corvane-model: warning: some textures of the model did not load\n");

    if (options.animate) {
        if (options.animation >= mesh.GetNumAnimations())
            return Fail("the model has no animation " + std::to_string(options.animation));
        mesh.SetAnimation(static_cast<unsigned int>(options.animation));
        mesh.SetAnimationTime(options.time);
    }

    if (!options.png.empty()) {
        if (!WriteModelPicture(mesh, options.view, PictureWidth, PictureHeight, options.png, error))
            return Fail(error);
        std::printf("Picture: %s\n", options.png.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (!ParseArguments(argc, argv, options, error)) {
        std::fprintf(stderr, "corvane-model: %s\n%s", error.c_str(), Usage);
        return 2;
    }

    // Mesh builds OpenGL buffers, so a context comes first, from a window
    // that is never shown.
    GlWindow window;
    if (!window.OpenHidden("corvane-model", error))
        return Fail(error);
    return Inspect(options);
}
