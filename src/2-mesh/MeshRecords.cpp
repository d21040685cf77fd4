#include "MeshRecords.h"

#include <cfloat>
#include <cstring>

namespace {

Vector3f ToVector(const aiVector3D& v)
{
    return Vector3f(v.x, v.y, v.z);
}

const Vector3f Zero(0, 0, 0);

// Record n of mesh with the given position and normal; texture coordinate
// and tangent come from the mesh (zeros where it has none).
Vertex MakeRecord(const aiMesh* mesh, unsigned int n, const Vector3f& position, const Vector3f& normal)
{
    Vertex record;
    record.position = position;
    if (mesh->HasTextureCoords(0)) {
        record.texCoord[0] = mesh->mTextureCoords[0][n].x;
        record.texCoord[1] = mesh->mTextureCoords[0][n].y;
    } else {
        record.texCoord[0] = 0;
        record.texCoord[1] = 0;
    }
    record.normal = normal;
    record.tangent = mesh->mTangents ? ToVector(mesh->mTangents[n]) : Zero;
    return record;
}

// The span of keys around time t: keys frame and next, and how far t lies
// from frame toward next (interpolate is false when the span has no length).
struct KeySpan {
    unsigned int frame;
    unsigned int next;
    bool interpolate;
    float factor;
};

template <typename Key>
KeySpan FindKeys(const Key* keys, unsigned int count, double duration, float t)
{
    KeySpan span = {0, 0, false, 0};
    // NOTE: the search starts at key 0 on every evaluation, and a t at or
    // beyond the last key wraps toward the first key over mDuration.
    while (span.frame < count - 1 && !(t < keys[span.frame + 1].mTime))
        span.frame++;
    span.next = (span.frame + 1) % count;
    double diff = keys[span.next].mTime - keys[span.frame].mTime;
    if (diff < 0)
        diff += duration;
    if (diff > 0) {
        span.interpolate = true;
        span.factor = static_cast<float>((t - keys[span.frame].mTime) / diff);
    }
    return span;
}

}  // namespace

void MeshRecords::WriteVertices(const aiMesh* mesh, Vertex* dst)
{
    for (unsigned int n = 0; n < mesh->mNumVertices; n++) {
        const Vector3f position = mesh->mVertices ? ToVector(mesh->mVertices[n]) : Zero;
        const Vector3f normal = mesh->mNormals ? ToVector(mesh->mNormals[n]) : Zero;
        dst[n] = MakeRecord(mesh, n, position, normal);
    }
}

std::vector<std::uint32_t> MeshRecords::BuildIndices(const aiMesh* mesh)
{
    std::vector<std::uint32_t> indices;
    if (!mesh->mFaces)
        return indices;
    indices.reserve(static_cast<size_t>(mesh->mNumFaces) * 3);
    for (unsigned int f = 0; f < mesh->mNumFaces; f++) {
        const aiFace& face = mesh->mFaces[f];
        // Points and lines survive triangulation; this loader draws triangles only.
        if (face.mNumIndices != 3 || !face.mIndices)
            continue;
        if (face.mIndices[0] >= mesh->mNumVertices || face.mIndices[1] >= mesh->mNumVertices ||
            face.mIndices[2] >= mesh->mNumVertices)
            continue;
        indices.push_back(face.mIndices[0]);
        indices.push_back(face.mIndices[1]);
        indices.push_back(face.mIndices[2]);
    }
    return indices;
}

BoundingBox MeshRecords::ComputeBox(const aiMesh* mesh)
{
    Vector4f min(FLT_MAX, FLT_MAX, FLT_MAX, 1);
    Vector4f max(-FLT_MAX, -FLT_MAX, -FLT_MAX, 1);
    if (mesh->mVertices) {
        for (unsigned int n = 0; n < mesh->mNumVertices; n++) {
            const aiVector3D& p = mesh->mVertices[n];
            if (p.x < min.x) min.x = p.x;
            if (p.y < min.y) min.y = p.y;
            if (p.z < min.z) min.z = p.z;
            if (p.x > max.x) max.x = p.x;
            if (p.y > max.y) max.y = p.y;
            if (p.z > max.z) max.z = p.z;
        }
    }
    BoundingBox box;
    box.SetLocalMin(min);
    box.SetLocalMax(max);
    box.SetMin(min);
    box.SetMax(max);
    return box;
}

void MeshRecords::SkinVertices(const aiScene* scene, const aiMesh* mesh, Vertex* dst)
{
    const unsigned int count = mesh->mNumVertices;
    std::vector<aiVector3D> resultPos(count);   // zero vectors
    std::vector<aiVector3D> resultNorm(count);
    std::vector<unsigned char> weighted(count, 0);
    aiNode* root = scene ? scene->mRootNode : nullptr;

    for (unsigned int b = 0; mesh->mBones && b < mesh->mNumBones; b++) {
        const aiBone* bone = mesh->mBones[b];
        if (!bone || !bone->mWeights)
            continue;
        const aiNode* node = root ? FindNode(root, bone->mName) : nullptr;
        const aiMatrix4x4 boneMatrix = BoneMatrix(node, bone->mOffsetMatrix);
        const aiMatrix3x3 normTrafo(boneMatrix);
        for (unsigned int w = 0; w < bone->mNumWeights; w++) {
            const unsigned int v = bone->mWeights[w].mVertexId;
            const float weight = bone->mWeights[w].mWeight;
            if (v >= count)
                continue;
            weighted[v] = 1;
            if (mesh->mVertices)
                resultPos[v] += weight * (boneMatrix * mesh->mVertices[v]);
            if (mesh->mNormals)
                resultNorm[v] += weight * (normTrafo * mesh->mNormals[v]);
        }
    }

    for (unsigned int n = 0; n < count; n++) {
        Vector3f position, normal;
        if (weighted[n]) {
            position = ToVector(resultPos[n]);
            normal = ToVector(resultNorm[n]);
        } else {
            // NOTE: a vertex no bone names keeps its unskinned place rather
            // than collapsing to the origin.
            position = mesh->mVertices ? ToVector(mesh->mVertices[n]) : Zero;
            normal = mesh->mNormals ? ToVector(mesh->mNormals[n]) : Zero;
        }
        dst[n] = MakeRecord(mesh, n, position, normal);
    }
}

aiMatrix4x4 MeshRecords::BoneMatrix(const aiNode* node, const aiMatrix4x4& offset)
{
    aiMatrix4x4 matrix = offset;
    for (const aiNode* walk = node; walk; walk = walk->mParent)
        matrix = walk->mTransformation * matrix;
    return matrix;
}

aiNode* MeshRecords::FindNode(aiNode* root, const aiString& name)
{
    std::vector<aiNode*> pending;
    if (root)
        pending.push_back(root);
    while (!pending.empty()) {
        aiNode* node = pending.back();
        pending.pop_back();
        if (std::strcmp(node->mName.C_Str(), name.C_Str()) == 0)
            return node;
        if (!node->mChildren)
            continue;
        // Children pushed last to first, so they are visited in order.
        for (unsigned int i = node->mNumChildren; i > 0; i--) {
            if (node->mChildren[i - 1])
                pending.push_back(node->mChildren[i - 1]);
        }
    }
    return nullptr;
}

aiMatrix4x4 MeshRecords::EvaluateChannel(const aiNodeAnim* channel, double duration, float t)
{
    aiVector3D presentPosition(0, 0, 0);
    aiQuaternion presentRotation(1, 0, 0, 0);
    aiVector3D presentScaling(1, 1, 1);

    if (channel->mNumPositionKeys > 0 && channel->mPositionKeys) {
        const aiVectorKey* keys = channel->mPositionKeys;
        const KeySpan span = FindKeys(keys, channel->mNumPositionKeys, duration, t);
        const aiVector3D& from = keys[span.frame].mValue;
        if (span.interpolate)
            presentPosition = from + (keys[span.next].mValue - from) * span.factor;
        else
            presentPosition = from;
    }

    if (channel->mNumRotationKeys > 0 && channel->mRotationKeys) {
        const aiQuatKey* keys = channel->mRotationKeys;
        const KeySpan span = FindKeys(keys, channel->mNumRotationKeys, duration, t);
        if (span.interpolate)
            aiQuaternion::Interpolate(presentRotation, keys[span.frame].mValue, keys[span.next].mValue, span.factor);
        else
            presentRotation = keys[span.frame].mValue;
    }

    if (channel->mNumScalingKeys > 0 && channel->mScalingKeys) {
        const aiVectorKey* keys = channel->mScalingKeys;
        presentScaling = keys[FindKeys(keys, channel->mNumScalingKeys, duration, t).frame].mValue;
    }

    aiMatrix4x4 matrix(presentRotation.GetMatrix());
    matrix.a1 *= presentScaling.x; matrix.a2 *= presentScaling.y; matrix.a3 *= presentScaling.z;
    matrix.b1 *= presentScaling.x; matrix.b2 *= presentScaling.y; matrix.b3 *= presentScaling.z;
    matrix.c1 *= presentScaling.x; matrix.c2 *= presentScaling.y; matrix.c3 *= presentScaling.z;
    matrix.a4 = presentPosition.x;
    matrix.b4 = presentPosition.y;
    matrix.c4 = presentPosition.z;
    return matrix;
}
