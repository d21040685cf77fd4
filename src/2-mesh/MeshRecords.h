#pragma once

#include "Vertex.h"
#include "0-math/BoundingBox.h"

#include <assimp/anim.h>
#include <assimp/matrix4x4.h>
#include <assimp/mesh.h>
#include <assimp/scene.h>

#include <cstdint>
#include <vector>

// The CPU side of a Mesh: turns imported meshes into vertex and index
// records, skins them, and evaluates animation channels. Nothing here needs
// an OpenGL context; Mesh hands these functions a mapped buffer so records
// go straight into it.
class MeshRecords {
public:
    // Writes mesh->mNumVertices records to dst, vertex n to record n.
    // Missing texture coordinates, normals or tangents give zero vectors.
    static void WriteVertices(const aiMesh* mesh, Vertex* dst);

    // Three indices per triangle face, in face order. Faces with other than
    // three indices, or naming a vertex the mesh does not have, are skipped.
    static std::vector<std::uint32_t> BuildIndices(const aiMesh* mesh);

    // Box of the vertex positions: local and world corners alike, w = 1.
    // A mesh without vertices gives min (FLT_MAX...) above max (-FLT_MAX...).
    static BoundingBox ComputeBox(const aiMesh* mesh);

    // Skins the mesh's own (unskinned) vertices with its bones under the
    // scene's current node transforms and writes mNumVertices records to dst.
    // Every weight counts, nothing is renormalised, normals go through the
    // plain 3x3 of the bone matrix. A bone naming no node keeps its offset
    // matrix alone; vertices no weight names keep their unskinned position
    // and normal; weights naming a vertex the mesh does not have are ignored.
    static void SkinVertices(const aiScene* scene, const aiMesh* mesh, Vertex* dst);

    // root x ... x parent x node x offset for one bone (offset alone when node is null).
    static aiMatrix4x4 BoneMatrix(const aiNode* node, const aiMatrix4x4& offset);

    // The node called name in the tree under root, depth first, without
    // recursion (deep hierarchies must not exhaust the stack); null if none.
    static aiNode* FindNode(aiNode* root, const aiString& name);

    // Local transform of one animation channel at time t (ticks) of an
    // animation lasting duration ticks: key search from key 0, wrap toward the
    // first key, linear position, spherical rotation, stepped scaling.
    static aiMatrix4x4 EvaluateChannel(const aiNodeAnim* channel, double duration, float t);
};
