// Mesh loading and materials: import, per-entry buffers, material textures.
#include "Mesh.h"

#include "MeshRecords.h"
#include "SceneImport.h"
#include "1-world/Texture.h"

#include <GL/glew.h>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <type_traits>

static_assert(std::is_same<GLuint, unsigned int>::value, "entries hold OpenGL buffer names as unsigned int");

namespace {

constexpr unsigned int NoMaterial = 0xFFFFFFFF;

// The loader's lines must reach a pipe or a log file at once.
void PrintLine(const char* format, const char* a, const char* b = nullptr)
{
    std::printf(format, a, b);
    std::fflush(stdout);
}

// Folder of a model file for its normal maps: text before the last "/",
// "/" when that is the first character, "." when there is none.
std::string ModelFolder(const std::string& fileName)
{
    const size_t slash = fileName.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return fileName.substr(0, slash);
}

// Path of texture 0 of that type, when the material names one.
bool QueryTexture(const aiMaterial* material, aiTextureType type, std::string& path)
{
    if (aiGetMaterialTextureCount(material, type) == 0)
        return false;
    aiString found;
    if (aiGetMaterialTexture(material, type, 0, &found) != AI_SUCCESS)
        return false;
    path = found.C_Str();
    return true;
}

// Fills one material slot with a texture of path and prints how that went;
// on failure the slot is left null. True when the texture loaded.
bool LoadSlot(Texture*& slot, const std::string& path, const char* loaded, const char* failed)
{
    delete slot;
    slot = new Texture(GL_TEXTURE_2D, path);
    if (slot->Load()) {
        PrintLine(loaded, path.c_str());
        return true;
    }
    PrintLine(failed, path.c_str());
    delete slot;
    slot = nullptr;
    return false;
}

// Buffer objects with mapping, which every entry is built in. NOTE: GLEW's
// entry points may be non-null for functions the context lacks, so the
// version decides.
bool HasBufferObjects()
{
    return GLEW_VERSION_1_5 && glGenBuffers && glBindBuffer && glBufferData && glMapBuffer && glUnmapBuffer &&
           glDeleteBuffers;
}

}  // namespace

Mesh::MeshEntry::MeshEntry()
    : vertexBuffer(0), indexBuffer(0), numIndices(0), materialIndex(NoMaterial), sourceMesh(nullptr)
{
}

Mesh::MeshEntry::~MeshEntry()
{
    if (vertexBuffer != 0)
        glDeleteBuffers(1, &vertexBuffer);
    if (indexBuffer != 0)
        glDeleteBuffers(1, &indexBuffer);
}

Mesh::MeshEntry::MeshEntry(MeshEntry&& other) noexcept
    : vertexBuffer(other.vertexBuffer), indexBuffer(other.indexBuffer), numIndices(other.numIndices),
      materialIndex(other.materialIndex), sourceMesh(other.sourceMesh), box(other.box)
{
    other.vertexBuffer = 0;
    other.indexBuffer = 0;
}

Mesh::Mesh() : scene(nullptr), importer(std::make_unique<Assimp::Importer>())
{
    ResetAnimationState();
}

Mesh::~Mesh()
{
    Clear();
    // Members go in reverse order: normalMaps, textures, entries (deleting
    // their buffers), and last the importer with the scene.
}

void Mesh::ResetAnimationState()
{
    // NOTE: NaN compares unequal to every time, so the first
    // SetAnimationTime always evaluates, whatever time it is given.
    animationTime = std::numeric_limits<float>::quiet_NaN();
    evaluatedTime = std::numeric_limits<float>::quiet_NaN();
    currentAnimation = 0;
}

bool Mesh::Load(const std::string& fileName)
{
    // Everything of a previous load goes first: textures, normal maps,
    // buffers, then the scene the entries point into.
    Clear();
    textures.clear();
    normalMaps.clear();
    entries.clear();
    scene = nullptr;
    importer->FreeScene();
    ResetAnimationState();

    std::string error;
    scene = SceneImport::FromFile(*importer, fileName, error);
    if (!scene) {
        PrintLine("Error parsing '%s': '%s'\n", fileName.c_str(), error.c_str());
        return false;
    }

    const bool result = BuildFromScene(scene, fileName);

    if (scene->mNumAnimations != 0 && scene->mAnimations) {
        std::printf("Number of animations: %i \n\n", static_cast<int>(scene->mNumAnimations));
        std::fflush(stdout);
    }
    return result;
}

void Mesh::Clear()
{
    for (Texture*& texture : textures) {
        delete texture;
        texture = nullptr;
    }
    for (Texture*& normalMap : normalMaps) {
        delete normalMap;
        normalMap = nullptr;
    }
}

unsigned int Mesh::GetNumAnimations() const
{
    if (!scene || !scene->mAnimations)
        return 0;
    return scene->mNumAnimations;
}

bool Mesh::BuildFromScene(const aiScene* pScene, const std::string& fileName)
{
    const unsigned int meshCount = pScene->mMeshes ? pScene->mNumMeshes : 0;
    const unsigned int materialCount = pScene->mMaterials ? pScene->mNumMaterials : 0;

    // Sized once, before any entry has buffers; built entries never move.
    entries.clear();
    entries.resize(meshCount);
    Clear();
    textures.resize(materialCount, nullptr);
    normalMaps.resize(materialCount, nullptr);

    for (unsigned int i = 0; i < meshCount; i++) {
        if (pScene->mMeshes[i])
            BuildEntry(i, pScene->mMeshes[i]);
    }
    return LoadMaterials(pScene, fileName);
}

void Mesh::BuildEntry(unsigned int index, const aiMesh* mesh)
{
    if (index >= entries.size() || !mesh)
        return;
    MeshEntry& entry = entries[index];
    entry.materialIndex = mesh->mMaterialIndex;
    entry.sourceMesh = mesh;
    entry.box = MeshRecords::ComputeBox(mesh);
    // Without buffer objects the entry keeps its box and draws nothing.
    if (!HasBufferObjects())
        return;

    const std::vector<std::uint32_t> indices = MeshRecords::BuildIndices(mesh);

    // Skinned models are rewritten every frame; the others never again.
    const GLenum usage = GetNumAnimations() != 0 ? GL_STREAM_DRAW : GL_STATIC_DRAW;
    const GLsizeiptr vertexBytes = static_cast<GLsizeiptr>(sizeof(Vertex)) * mesh->mNumVertices;

    GLuint vhandle = 0;
    glGenBuffers(1, &vhandle);
    glBindBuffer(GL_ARRAY_BUFFER, vhandle);
    glBufferData(GL_ARRAY_BUFFER, vertexBytes, nullptr, usage);
    bool written = true;
    if (mesh->mNumVertices != 0) {
        // Records go straight into the mapped buffer.
        void* mapped = glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY);
        if (mapped) {
            MeshRecords::WriteVertices(mesh, static_cast<Vertex*>(mapped));
            written = glUnmapBuffer(GL_ARRAY_BUFFER) == GL_TRUE;
        } else {
            written = false;
        }
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    if (!written) {
        // No storage (or lost contents): the entry stays empty and draws nothing.
        glDeleteBuffers(1, &vhandle);
        return;
    }
    entry.vertexBuffer = vhandle;
    entry.numIndices = static_cast<unsigned int>(indices.size());

    glGenBuffers(1, &entry.indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, entry.indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(std::uint32_t) * indices.size()),
                 indices.data(), GL_STATIC_DRAW);
    // Nothing stays bound: a buffer left on GL_ELEMENT_ARRAY_BUFFER would turn
    // the index pointers of later client-memory draws (glutSolidSphere) into
    // offsets into this buffer.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

bool Mesh::LoadMaterials(const aiScene* pScene, const std::string& fileName)
{
    const std::string folder = ModelFolder(fileName);
    const unsigned int materialCount = pScene->mMaterials ? pScene->mNumMaterials : 0;
    if (textures.size() < materialCount)
        textures.resize(materialCount, nullptr);
    if (normalMaps.size() < materialCount)
        normalMaps.resize(materialCount, nullptr);

    bool result = true;
    for (unsigned int i = 0; i < materialCount; i++) {
        delete textures[i];
        textures[i] = nullptr;
        const aiMaterial* material = pScene->mMaterials[i];
        if (!material)
            continue;

        std::string path;
        // NOTE: the diffuse path is used as stored, relative to the working
        // directory; the normal map is looked up beside the model file.
        if (QueryTexture(material, aiTextureType_DIFFUSE, path))
            result &= LoadSlot(textures[i], path, "Loaded texture '%s'\n", "Error loading texture '%s'\n");
        if (QueryTexture(material, aiTextureType_HEIGHT, path))
            result &= LoadSlot(normalMaps[i], folder + "/" + path, "Loaded normal map '%s' \n",
                               "Error loading normal map '%s' \n");
    }
    return result;
}
