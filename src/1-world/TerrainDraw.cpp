// Drawing the terrain: the regions a view sees, each at its level.
#include "Terrain.h"

#include "TerrainLevels.h"
#include "Texture.h"

#include <cstddef>
#include <cstdint>

namespace {

// Points colour, texture coordinate and position arrays at vertices from
// base (a buffer offset, or an address in client memory).
template <typename V>
void SetPointers(GLenum type, std::uintptr_t base)  // type: V's element type
{
    const auto at = [base](size_t offset) { return reinterpret_cast<const void*>(base + offset); };
    glColorPointer(3, type, sizeof(V), at(offsetof(V, r)));
    glTexCoordPointer(2, type, sizeof(V), at(offsetof(V, s)));
    glVertexPointer(3, type, sizeof(V), at(offsetof(V, x)));
}

}  // namespace

void Terrain::Draw(const View& view)
{
    if (groundTexture)
        groundTexture->Bind();
    else
        glBindTexture(GL_TEXTURE_2D, 0);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const bool buffers = vertexBuffer != 0;
    if ((!buffers && clientVertices.empty()) || !levels)
        return;

    if (fullDetail)
        levels->ChooseAll();
    else
        levels->Choose(view);

    // Each region drawn: the pattern of its level and coarser neighbours,
    // from its first vertex on.
    const std::uintptr_t indexBase = buffers ? 0 : reinterpret_cast<std::uintptr_t>(indices.data());
    const TerrainLevels::Drawn* chosen = levels->GetDrawn();
    drawnRegions = levels->GetDrawnCount();
    drawnTriangles = 0;
    for (int n = 0; n < drawnRegions; n++) {
        const Pattern& pattern = patterns[chosen[n].level * TerrainLevels::CoarserChoices + chosen[n].coarser];
        drawCounts[n] = pattern.count;
        drawIndices[n] = reinterpret_cast<const void*>(indexBase + pattern.first * sizeof(GLushort));
        drawBases[n] = chosen[n].region * VerticesPerRegion;
        drawnTriangles += pattern.count / 3;
    }

    // The pop restores the enabled arrays, their pointers and the buffer bindings.
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        // Without buffers of our own, none may be bound: client addresses
        // would be read as offsets into someone else's buffer.
        if (glBindBuffer) {
            glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
        }
        // Arrays someone else left enabled would be drawn (and read) with ours.
        glDisableClientState(GL_NORMAL_ARRAY);
        if (GLEW_VERSION_1_4) {
            glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
            glDisableClientState(GL_FOG_COORD_ARRAY);
        }
        if (GLEW_VERSION_2_0 && glDisableVertexAttribArray)
            glDisableVertexAttribArray(0);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_VERTEX_ARRAY);
        const size_t stride = halfFloats ? sizeof(Vertex) : sizeof(FloatVertex);
        const std::uintptr_t first = buffers ? 0 : reinterpret_cast<std::uintptr_t>(clientVertices.data());
        const auto pointAt = [this](std::uintptr_t base) {
            if (halfFloats)
                SetPointers<Vertex>(GL_HALF_FLOAT, base);
            else
                SetPointers<FloatVertex>(GL_FLOAT, base);
        };
        if (baseVertex) {
            pointAt(first);
            glMultiDrawElementsBaseVertex(GL_TRIANGLES, drawCounts.data(), GL_UNSIGNED_SHORT, drawIndices.data(),
                                          drawnRegions, drawBases.data());
        } else {
            // Each region's arrays start at its first vertex: one draw per region.
            for (int n = 0; n < drawnRegions; n++) {
                pointAt(first + static_cast<std::uintptr_t>(drawBases[n]) * stride);
                glDrawElements(GL_TRIANGLES, drawCounts[n], GL_UNSIGNED_SHORT, drawIndices[n]);
            }
        }
    glPopClientAttrib();
}
