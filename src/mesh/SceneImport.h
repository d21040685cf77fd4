#pragma once

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cstddef>
#include <string>

// Reads a model through Assimp with the game's post-processing. Assimp as
// packaged keeps its internal consistency checks, which abort the whole
// process on some malformed files (a Collada array shorter than its
// accessor, for one); here such a check fails the import instead, like any
// other unreadable file.
class SceneImport {
public:
    // Tangents, triangles, smooth normals where the file has none, v flipped;
    // no other post-processing (in particular no vertex joining or weight limit).
    static constexpr unsigned int Flags =
        aiProcess_CalcTangentSpace | aiProcess_Triangulate | aiProcess_GenSmoothNormals | aiProcess_FlipUVs;

    // The scene (owned by importer), or null with the reason in error.
    static const aiScene* FromFile(Assimp::Importer& importer, const std::string& fileName, std::string& error);
    // The same from bytes in memory; hint is the format's file extension.
    static const aiScene* FromMemory(Assimp::Importer& importer, const void* data, std::size_t size,
                                     const char* hint, std::string& error);
};

static_assert(SceneImport::Flags == 0x00800049, "import flags");
