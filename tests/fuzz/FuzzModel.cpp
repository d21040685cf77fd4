// Any bytes as a model: imported through Assimp with the game's flags, then
// turned into our vertex and index records and boxes, skinned, and its
// animation channels evaluated, as Mesh does, without an OpenGL context.
#include "FuzzTarget.h"

#include "mesh/Mesh.h"
#include "mesh/MeshRecords.h"
#include "mesh/SceneImport.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <vector>

namespace {

constexpr unsigned MaxVertices = 1u << 20;  // keep one input's memory modest

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Text starting with '<' goes to the Collada reader, anything else to OBJ:
    // the two formats the game's ship and its artists use.
    const char* hint = (size > 0 && data[0] == '<') ? "dae" : "obj";
    Assimp::Importer importer;
    std::string error;
    const aiScene* scene = SceneImport::FromMemory(importer, data, size, hint, error);
    if (scene == nullptr)
        return 0;

    for (unsigned m = 0; m < scene->mNumMeshes; m++) {
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
            for (float t : {0.0f, duration / 2, duration * 1.5f, -1.0f})
                MeshRecords::EvaluateChannel(animation->mChannels[c], animation->mDuration, t);
        }
    }
    return 0;
}
