#pragma once

#include "Vertex.h"
#include "0-math/BoundingBox.h"
#include "0-math/Matrix4f.h"
#include "0-math/Vector3f.h"

#include <assimp/matrix4x4.h>
#include <assimp/quaternion.h>

#include <memory>
#include <string>
#include <vector>

class Texture;
struct aiMesh;
struct aiNode;
struct aiScene;
namespace Assimp {
class Importer;
}

// A model imported through Assimp: one vertex and one index buffer per
// sub-mesh, a diffuse texture and a normal map per material, drawn through
// the imported node hierarchy with CPU skinning when the scene has
// animations. The Mesh keeps the imported scene for its whole life.
// Needs a current OpenGL context (with GLEW initialised) for Load, drawing
// and destruction. On a context without buffer objects (OpenGL 1.5) the
// entries get no buffers: the model loads, its boxes move, nothing is drawn.
class Mesh {
public:
    // One sub-mesh: owns its two buffer names (deleted with the entry), so it
    // can be moved but never copied.
    struct MeshEntry {
        MeshEntry();
        ~MeshEntry();
        MeshEntry(MeshEntry&& other) noexcept;
        MeshEntry(const MeshEntry&) = delete;
        MeshEntry& operator=(const MeshEntry&) = delete;
        MeshEntry& operator=(MeshEntry&&) = delete;

        unsigned int vertexBuffer;    // OpenGL buffer of Vertex records, one per imported vertex; 0 = none
        unsigned int indexBuffer;     // OpenGL buffer of 32-bit indices, three per triangle; 0 = none
        unsigned int numIndices;      // count in indexBuffer
        unsigned int materialIndex;   // into textures / normalMaps; 0xFFFFFFFF in a new entry
        const aiMesh* sourceMesh;     // the imported mesh inside scene, not owned
        BoundingBox box;              // local: the vertices' box; world: as the last draw moved it
    };

    Mesh();    // loads nothing, no OpenGL calls
    ~Mesh();   // releases textures and buffers, then the scene
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Loading (Mesh.cpp) ------------------------------------------------

    // Imports fileName and builds every entry and material texture, printing
    // the loader's lines on standard output. True when the file imported and
    // every texture a material names loaded; a model with a missing texture
    // is still drawable. A second Load releases everything of the first. A
    // file that crashes, hangs or exhausts the importer loads nothing and is
    // reported like any unreadable one (see SceneImport). Leaves no buffer
    // bound to GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER.
    bool Load(const std::string& fileName);
    // The scene's animation count; 0 without a scene.
    unsigned int GetNumAnimations() const;

    // Drawing and skinning (MeshDraw.cpp) --------------------------------

    // Draws the model under the current modelview matrix through its node
    // hierarchy; matrix only moves the entries' boxes. Re-skins first when
    // the scene has animations. Restores all attribute state; returns at
    // once without a scene.
    void Render(Matrix4f matrix);
    // Draws node and its subtree. Walks the tree without recursion; deeper
    // than the OpenGL matrix stack allows, matrices are saved on the heap.
    // Puts the caller's buffer bindings back.
    void RenderNode(const aiScene* pScene, const aiNode* node, aiMatrix4x4 parentTransform);
    // Euler angles (x, y, z) in degrees; a zero quaternion gives (0, 0, 0).
    static Vector3f QuaternionToEuler(aiQuaternion rotation);
    // Copies of the entries' boxes, in entry order.
    std::vector<BoundingBox> GetBoundingBoxes() const;
    // Draws every entry flat (no hierarchy) through generic attributes 0-3:
    // position, texCoord, normal, tangent. The caller binds a shader. Does
    // nothing on a context without generic attributes (OpenGL 2.0).
    void RenderAttribArrays();

    // Node animation (MeshAnimation.cpp) ---------------------------------

    // Chooses the animation SetAnimationTime evaluates; an index beyond the
    // animations prints "Animation does not exist" and changes nothing.
    void SetAnimation(unsigned int index);
    // Duration in ticks; 0 for an index beyond the animations or without a scene.
    float GetAnimationDuration(unsigned int index) const;
    // SetAnimationTime(duration x fraction); the fraction is not clamped.
    void SetAnimationProgress(float fraction);
    // Evaluates the current animation at time (ticks) unless time equals the
    // last time given. Does nothing without animations.
    void SetAnimationTime(float time);
    // Writes every channel's local transform at time into its node. Does
    // nothing for an invalid index; channels naming no node are skipped.
    void EvaluateAnimation(unsigned int index, float time);

    // Read access for tools and tests.
    const aiScene* GetScene() const { return scene; }
    const std::vector<MeshEntry>& GetEntries() const { return entries; }
    const std::vector<Texture*>& GetTextures() const { return textures; }
    const std::vector<Texture*>& GetNormalMaps() const { return normalMaps; }
    unsigned int GetCurrentAnimation() const { return currentAnimation; }
    float GetAnimationTime() const { return animationTime; }
    float GetEvaluatedTime() const { return evaluatedTime; }

private:
    // Loading steps (Mesh.cpp).
    // Deletes every diffuse texture and normal map (the slots become null).
    void Clear();
    bool BuildFromScene(const aiScene* pScene, const std::string& fileName);
    void BuildEntry(unsigned int index, const aiMesh* mesh);
    // Diffuse images by their path as stored; normal maps (height type)
    // beside the model file. True when every named texture loaded.
    bool LoadMaterials(const aiScene* pScene, const std::string& fileName);
    void ResetAnimationState();

    // Skinning steps (MeshDraw.cpp).
    // Rewrites every entry's vertex buffer from the bones under the current
    // node transforms. An entry whose buffer cannot be mapped is skipped.
    void SkinEntries();
    static Vector3f MatrixToEuler(Matrix4f m);

    const aiScene* scene;            // owned by importer; null until a Load succeeds
    std::unique_ptr<Assimp::Importer> importer;  // owns scene
    float animationTime;             // ticks last accepted by SetAnimationTime (NaN at first)
    float evaluatedTime;             // ticks of the last EvaluateAnimation (NaN at first)
    unsigned int currentAnimation;   // index SetAnimationTime evaluates (0 at first)
    std::vector<MeshEntry> entries;  // one per scene mesh, same index
    std::vector<Texture*> textures;  // diffuse texture per material, owned; null = none
    std::vector<Texture*> normalMaps;  // height-type texture per material, owned; null = none
};
