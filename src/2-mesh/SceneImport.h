#pragma once

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <string>

// Reads a model through Assimp with the game's post-processing, so that no
// file can take the process down with it. Assimp as packaged keeps its
// internal consistency checks, which abort the whole process on some
// malformed files (a Collada array shorter than its accessor, for one);
// here such a check fails the import like any other unreadable file. Worse
// files crash, hang or exhaust memory inside the importer itself: each file
// is therefore imported first in a throwaway child process (TrialRun), and
// here only when that import came back.
class SceneImport {
public:
    // Tangents, triangles, smooth normals where the file has none, v flipped;
    // no other post-processing (in particular no vertex joining or weight limit).
    static constexpr unsigned int Flags =
        aiProcess_CalcTangentSpace | aiProcess_Triangulate | aiProcess_GenSmoothNormals | aiProcess_FlipUVs;

    // The scene (owned by importer), or null with the reason in error: the
    // importer's own, or how the trial import ended (crashed, past its time
    // or memory limit). The format follows the file's extension, then its content.
    static const aiScene* FromFile(Assimp::Importer& importer, const std::string& fileName, std::string& error);

    // NOTE: for the fuzzer only, which runs each input in a process of its
    // own: false imports without the trial, so that a crash inside the
    // importer shows as the crash it is. The game never turns the trial off.
    static void SetTrialImport(bool enabled);
};

static_assert(SceneImport::Flags == 0x00800049, "import flags");
