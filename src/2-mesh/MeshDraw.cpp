// Mesh drawing through the node hierarchy, CPU skinning, boxes.
#include "Mesh.h"

#include "MeshRecords.h"
#include "0-math/MathUtils.h"
#include "1-world/Texture.h"

#include <GL/glew.h>

#include <array>
#include <cstdint>

namespace {

const void* BufferOffset(std::uintptr_t bytes)
{
    return reinterpret_cast<const void*>(bytes);
}

// The matrix stack that glPushMatrix uses in the current matrix mode, with
// the queries that tell how full it is and what its top holds.
struct MatrixStack {
    GLenum depthQuery;
    GLenum maxDepthQuery;
    GLenum matrixQuery;
};

MatrixStack CurrentMatrixStack()
{
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    if (mode == GL_PROJECTION)
        return {GL_PROJECTION_STACK_DEPTH, GL_MAX_PROJECTION_STACK_DEPTH, GL_PROJECTION_MATRIX};
    if (mode == GL_TEXTURE)
        return {GL_TEXTURE_STACK_DEPTH, GL_MAX_TEXTURE_STACK_DEPTH, GL_TEXTURE_MATRIX};
    return {GL_MODELVIEW_STACK_DEPTH, GL_MAX_MODELVIEW_STACK_DEPTH, GL_MODELVIEW_MATRIX};
}

}  // namespace

void Mesh::Render(Matrix4f matrix)
{
    if (!scene || !scene->mRootNode)
        return;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);

    const aiMatrix4x4 transform(matrix.m[0][0], matrix.m[0][1], matrix.m[0][2], matrix.m[0][3],
                                matrix.m[1][0], matrix.m[1][1], matrix.m[1][2], matrix.m[1][3],
                                matrix.m[2][0], matrix.m[2][1], matrix.m[2][2], matrix.m[2][3],
                                matrix.m[3][0], matrix.m[3][1], matrix.m[3][2], matrix.m[3][3]);

    // NOTE: skinning runs on every call while the scene has animations,
    // whether or not the pose changed since the last frame.
    if (GetNumAnimations() != 0)
        SkinEntries();

    RenderNode(scene, scene->mRootNode, transform);

    glPopClientAttrib();
    glPopAttrib();
}

void Mesh::RenderNode(const aiScene* pScene, const aiNode* node, aiMatrix4x4 parentTransform)
{
    (void)pScene;  // the entries already point into the scene
    if (!node)
        return;

    // One frame per node on the way down. The walk keeps its own stack so a
    // deep hierarchy cannot exhaust the call stack; once the OpenGL matrix
    // stack is full, the matrix of a node is saved here instead.
    struct Frame {
        const aiNode* node;
        aiMatrix4x4 transform;   // parent x node, handed to the children
        unsigned int nextChild;
        bool pushedOnGl;         // false: the matrix to restore is in saved
    };
    std::vector<Frame> frames;
    std::vector<std::array<GLfloat, 16>> saved;

    // The caller's buffer bindings are put back once the walk is done.
    // The caller's buffer bindings, put back at the end; a context without
    // buffer objects has none, and no entry has buffers to bind then.
    const bool buffers = GLEW_VERSION_1_5 && glBindBuffer;
    GLint previousVertices = 0, previousIndices = 0;
    if (buffers) {
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &previousVertices);
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &previousIndices);
    }

    const MatrixStack stack = CurrentMatrixStack();
    GLint glDepth = 0;
    GLint glMaxDepth = 0;
    glGetIntegerv(stack.depthQuery, &glDepth);
    glGetIntegerv(stack.maxDepthQuery, &glMaxDepth);

    auto enter = [&](const aiNode* current, const aiMatrix4x4& parent) {
        const aiMatrix4x4& local = current->mTransformation;
        aiVector3D scale, position;
        aiQuaternion rotation;
        local.Decompose(scale, rotation, position);
        const Vector3f rotate = QuaternionToEuler(rotation);

        Frame frame = {current, parent * local, 0, false};
        Matrix4f boxMatrix;
        for (unsigned int r = 0; r < 4; r++)
            for (unsigned int c = 0; c < 4; c++)
                boxMatrix.m[r][c] = frame.transform[r][c];

        if (glDepth < glMaxDepth) {
            glPushMatrix();
            glDepth++;
            frame.pushedOnGl = true;
        } else {
            saved.emplace_back();
            glGetFloatv(stack.matrixQuery, saved.back().data());
        }
        glTranslatef(position.x, position.y, position.z);
        glScalef(scale.x, scale.y, scale.z);
        // NOTE: only the y angle is negated; x and z are used as they are.
        glRotatef(rotate.x, 1, 0, 0);
        glRotatef(-rotate.y, 0, 1, 0);
        glRotatef(rotate.z, 0, 0, 1);

        for (unsigned int i = 0; current->mMeshes && i < current->mNumMeshes; i++) {
            const unsigned int k = current->mMeshes[i];
            if (k >= entries.size())
                continue;
            MeshEntry& entry = entries[k];
            entry.box.Transform(boxMatrix);
            if (entry.vertexBuffer == 0 || entry.indexBuffer == 0)
                continue;  // its buffer could not be built

            glBindBuffer(GL_ARRAY_BUFFER, entry.vertexBuffer);
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(GL_FLOAT, sizeof(Vertex), BufferOffset(offsetof(Vertex, normal)));
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), BufferOffset(offsetof(Vertex, texCoord)));
            glEnableClientState(GL_VERTEX_ARRAY);
            glVertexPointer(3, GL_FLOAT, sizeof(Vertex), BufferOffset(offsetof(Vertex, position)));
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, entry.indexBuffer);
            // NOTE: without a texture of its own the entry takes whatever
            // texture is bound now (the caller's, or an earlier entry's).
            if (entry.materialIndex < textures.size() && textures[entry.materialIndex])
                textures[entry.materialIndex]->Bind();
            glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(entry.numIndices), GL_UNSIGNED_INT, BufferOffset(0));
        }
        frames.push_back(frame);
    };

    enter(node, parentTransform);
    while (!frames.empty()) {
        Frame& top = frames.back();
        if (top.node->mChildren && top.nextChild < top.node->mNumChildren) {
            const aiNode* child = top.node->mChildren[top.nextChild++];
            const aiMatrix4x4 transform = top.transform;  // enter() may grow frames
            if (child)
                enter(child, transform);
            continue;
        }
        if (top.pushedOnGl) {
            glPopMatrix();
            glDepth--;
        } else {
            glLoadMatrixf(saved.back().data());
            saved.pop_back();
        }
        frames.pop_back();
    }
    if (buffers) {
        glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(previousVertices));
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLuint>(previousIndices));
    }
}

void Mesh::SkinEntries()
{
    for (MeshEntry& entry : entries) {
        const aiMesh* mesh = entry.sourceMesh;
        if (!mesh || entry.vertexBuffer == 0 || mesh->mNumVertices == 0)
            continue;
        glBindBuffer(GL_ARRAY_BUFFER, entry.vertexBuffer);
        void* mapped = glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY);
        if (mapped) {
            MeshRecords::SkinVertices(scene, mesh, static_cast<Vertex*>(mapped));
            glUnmapBuffer(GL_ARRAY_BUFFER);
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
}

Vector3f Mesh::QuaternionToEuler(aiQuaternion rotation)
{
    const float w = rotation.w, x = rotation.x, y = rotation.y, z = rotation.z;
    const float n = x * x + y * y + z * z + w * w;
    const float s = n > 0 ? 2 / n : 0;
    const float X = x * s, Y = y * s, Z = z * s;
    const float wX = w * X, wY = w * Y, wZ = w * Z;
    const float xX = x * X, xY = x * Y, xZ = x * Z;
    const float yY = y * Y, yZ = y * Z, zZ = z * Z;

    Matrix4f m;
    m.m[0][0] = 1 - (yY + zZ); m.m[0][1] = xY - wZ;       m.m[0][2] = xZ + wY;       m.m[0][3] = 0;
    m.m[1][0] = xY + wZ;       m.m[1][1] = 1 - (xX + zZ); m.m[1][2] = yZ - wX;       m.m[1][3] = 0;
    m.m[2][0] = xZ - wY;       m.m[2][1] = yZ + wX;       m.m[2][2] = 1 - (xX + yY); m.m[2][3] = 0;
    m.m[3][0] = 0;             m.m[3][1] = 0;             m.m[3][2] = 0;             m.m[3][3] = 1;
    return MatrixToEuler(m);
}

Vector3f Mesh::MatrixToEuler(Matrix4f m)
{
    // NOTE: no special case for sy = 0 (gimbal lock).
    const float sy = Sqrtf(m.m[0][0] * m.m[0][0] + m.m[1][0] * m.m[1][0]);
    const float x = Atan2f(m.m[2][1], m.m[2][2]);
    const float y = Atan2f(-m.m[2][0], sy);
    const float z = Atan2f(m.m[1][0], m.m[0][0]);
    return Vector3f(RadiansToDegrees(x), RadiansToDegrees(y), RadiansToDegrees(z));
}

std::vector<BoundingBox> Mesh::GetBoundingBoxes() const
{
    std::vector<BoundingBox> boxes;
    boxes.reserve(entries.size());
    for (const MeshEntry& entry : entries)
        boxes.push_back(entry.box);
    return boxes;
}

void Mesh::RenderAttribArrays()
{
    // A context without generic attributes or buffer objects draws nothing here.
    if (!GLEW_VERSION_2_0 || !glEnableVertexAttribArray || !glVertexAttribPointer || !glDisableVertexAttribArray ||
        !glBindBuffer)
        return;
    for (GLuint attribute = 0; attribute < 4; attribute++)
        glEnableVertexAttribArray(attribute);

    for (const MeshEntry& entry : entries) {
        if (entry.vertexBuffer == 0 || entry.indexBuffer == 0)
            continue;
        glBindBuffer(GL_ARRAY_BUFFER, entry.vertexBuffer);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), BufferOffset(offsetof(Vertex, position)));
        glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), BufferOffset(offsetof(Vertex, texCoord)));
        glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), BufferOffset(offsetof(Vertex, normal)));
        glVertexAttribPointer(3, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), BufferOffset(offsetof(Vertex, tangent)));
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, entry.indexBuffer);
        if (entry.materialIndex < textures.size() && textures[entry.materialIndex])
            textures[entry.materialIndex]->Bind();
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(entry.numIndices), GL_UNSIGNED_INT, BufferOffset(0));
    }

    for (GLuint attribute = 0; attribute < 4; attribute++)
        glDisableVertexAttribArray(attribute);
    // Leave no buffer bound, so later client-side arrays read plain memory.
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}
