#include "Terrain.h"

#include "Texture.h"
#include "math/HalfFloat.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr float MaxHeight = -80.0f;
// A sample's height is sample / HeightScale: the 256 sample values span a
// quarter of MaxHeight, brighter samples lower.
constexpr float HeightScale = 256.0f / (MaxHeight / 4.0f);
constexpr float TextureRepeats = 8.0f;  // the ground image tiles this often each way
const char* const GroundFileName = "ground.png";

// The index run of the strips of a chunk of rows, relative to the chunk's
// first row: strip s draws, for c = 0..1023, s * 1024 + c then
// (s + 1) * 1024 + c, and the strips of a chunk are joined by two repeated
// indices (the last of a strip, the first of the next) into triangles of no
// area, which draw nothing. The first VerticesPerStrip indices are one
// strip's own. RunStrips strips keep every index below 0xFFFF, which some
// contexts reserve for restarting strips.
constexpr int RunStrips = 62;
constexpr int RunLength(int strips)
{
    return strips * Terrain::VerticesPerStrip + (strips - 1) * 2;
}

// Per strip: its index count, where its indices start in the index buffer
// and the vertex its index 0 stands for; and the index run.
struct StripRanges {
    GLsizei count[Terrain::StripCount];
    const void* sharedIndices[Terrain::StripCount];  // all strips reuse the run's first strip
    GLint baseVertex[Terrain::StripCount];
    GLushort indices[RunLength(RunStrips)];

    StripRanges()
    {
        for (int r = 0; r < Terrain::StripCount; r++) {
            count[r] = Terrain::VerticesPerStrip;
            sharedIndices[r] = nullptr;
            baseVertex[r] = r * Terrain::Size;
        }
        int i = 0;
        for (int strip = 0; strip < RunStrips; strip++) {
            const int top = strip * Terrain::Size, bottom = top + Terrain::Size;
            if (strip > 0) {
                indices[i] = indices[i - 1];
                i++;
                indices[i++] = static_cast<GLushort>(top);
            }
            for (int c = 0; c < Terrain::Size; c++) {
                indices[i++] = static_cast<GLushort>(top + c);
                indices[i++] = static_cast<GLushort>(bottom + c);
            }
        }
    }
};

const StripRanges strips;

// The same vertex in floats, for contexts without half-float arrays.
struct FloatVertex {
    float r, g, b;
    float s, t;
    float x, y, z;
};

// Writes the vertex of every sample into out, one V per sample, row-major,
// from per-sample and per-row/column values in V's own type.
template <typename V, typename T>
void WriteVertices(V* out, const unsigned char* heights, const T* heightOf, const T* shadeOf, const T* coordinateOf,
                   const T* positionOf)
{
    for (int r = 0; r < Terrain::Size; r++) {
        const unsigned char* row = &heights[r * Terrain::Size];
        V* line = &out[static_cast<size_t>(r) * Terrain::Size];
        for (int c = 0; c < Terrain::Size; c++) {
            V& v = line[c];
            v.r = v.g = v.b = shadeOf[row[c]];
            v.s = coordinateOf[c];
            v.t = coordinateOf[r];
            v.x = positionOf[c];
            v.y = heightOf[row[c]];
            v.z = positionOf[r];
        }
    }
}

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

Terrain::Terrain()
    : maxHeight(MaxHeight), heightScale(HeightScale), groundTexture(nullptr), heights(),
      vertexBuffer(0), indexBuffer(0), baseVertex(false), halfFloats(false)
{
}

Terrain::~Terrain()
{
    delete groundTexture;
    ReleaseBuffers();
}

bool Terrain::ReadHeights(const char* fileName, unsigned char* samples)
{
    std::memset(samples, 0, SampleCount);
    FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr)
        return false;
    // A short read leaves the rest of the samples 0; longer files are cut.
    const size_t read = std::fread(samples, 1, SampleCount, file);
    (void)read;
    std::fclose(file);
    return true;
}

void Terrain::Init(const char* fileName)
{
    maxHeight = MaxHeight;
    heightScale = HeightScale;
    delete groundTexture;
    groundTexture = nullptr;

    // NOTE: without a heightmap there is no ground texture either: the
    // terrain is a flat, untextured square.
    if (ReadHeights(fileName, heights)) {
        groundTexture = new Texture(GL_TEXTURE_2D, GroundFileName);
        groundTexture->Load();
        groundTexture->Bind();
    }

    BuildBuffers();
}

void Terrain::BuildBuffers()
{
    ReleaseBuffers();
    if (!GLEW_VERSION_1_1)
        glewInit();  // a bare context whose entry points nobody fetched yet

    // What the context offers; each missing piece has a fallback that puts
    // the same pixels on screen. NOTE: GLEW's entry points may be non-null
    // for functions the context lacks, so the version or extension decides.
    const bool buffers = GLEW_VERSION_1_5 && glGenBuffers && glBindBuffer && glBufferData && glDeleteBuffers;
    const bool mapping = buffers && glMapBuffer && glUnmapBuffer;
    halfFloats = GLEW_VERSION_3_0 || GLEW_ARB_half_float_vertex;
    baseVertex = buffers && (GLEW_VERSION_3_2 || GLEW_ARB_draw_elements_base_vertex) && glMultiDrawElementsBaseVertex;

    // The caller's bindings are put back afterwards.
    GLint previousVertices = 0, previousIndices = 0;
    if (buffers) {
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &previousVertices);
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &previousIndices);
    }

    // Written in place through a mapping where there is one, so the grid is
    // never held twice; without buffer objects it stays in client memory.
    const size_t bytes = static_cast<size_t>(SampleCount) * (halfFloats ? sizeof(Vertex) : sizeof(FloatVertex));
    std::vector<unsigned char> staging;
    void* vertices = nullptr;
    if (buffers) {
        glGenBuffers(1, &vertexBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STATIC_DRAW);
        if (mapping)
            vertices = glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY);
        if (!vertices) {
            staging.resize(bytes);
            vertices = staging.data();
        }
    } else {
        clientVertices.resize(bytes);
        vertices = clientVertices.data();
    }
    // Height and shade depend on the sample alone, the texture coordinate on
    // the column or row alone: each is computed once, by the same formula.
    float heightOf[256], shadeOf[256], coordinateOf[Size], positionOf[Size];
    for (int sample = 0; sample < 256; sample++) {
        heightOf[sample] = sample / heightScale;
        shadeOf[sample] = 0.5f * heightOf[sample] / maxHeight + 0.5f;
    }
    for (int i = 0; i < Size; i++) {
        coordinateOf[i] = static_cast<float>(i) / Size * TextureRepeats;
        positionOf[i] = static_cast<float>(i - Size / 2);
    }
    if (halfFloats) {
        std::uint16_t halfHeightOf[256], halfShadeOf[256], halfCoordinateOf[Size], halfPositionOf[Size];
        for (int sample = 0; sample < 256; sample++) {
            halfHeightOf[sample] = HalfFloat::FromFloat(heightOf[sample]);
            halfShadeOf[sample] = HalfFloat::FromFloat(shadeOf[sample]);
        }
        for (int i = 0; i < Size; i++) {
            halfCoordinateOf[i] = HalfFloat::FromFloat(coordinateOf[i]);
            halfPositionOf[i] = HalfFloat::FromFloat(positionOf[i]);
        }
        WriteVertices(static_cast<Vertex*>(vertices), heights, halfHeightOf, halfShadeOf, halfCoordinateOf,
                      halfPositionOf);
    } else {
        WriteVertices(static_cast<FloatVertex*>(vertices), heights, heightOf, shadeOf, coordinateOf, positionOf);
    }
    if (!buffers)
        return;
    if (staging.empty())
        glUnmapBuffer(GL_ARRAY_BUFFER);
    else
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), staging.data(), GL_STATIC_DRAW);

    // One index run serves every strip: offset by base vertices, or by
    // pointing the arrays at the first row of each chunk of strips.
    glGenBuffers(1, &indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof strips.indices, strips.indices, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(previousVertices));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLuint>(previousIndices));
}

void Terrain::ReleaseBuffers()
{
    if (glDeleteBuffers) {
        if (vertexBuffer != 0)
            glDeleteBuffers(1, &vertexBuffer);
        if (indexBuffer != 0)
            glDeleteBuffers(1, &indexBuffer);
    }
    vertexBuffer = 0;
    indexBuffer = 0;
    std::vector<unsigned char>().swap(clientVertices);
}

void Terrain::Draw()
{
    if (groundTexture)
        groundTexture->Bind();
    else
        glBindTexture(GL_TEXTURE_2D, 0);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const bool buffers = vertexBuffer != 0;
    if (!buffers && clientVertices.empty())
        return;

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
            glMultiDrawElementsBaseVertex(GL_TRIANGLE_STRIP, strips.count, GL_UNSIGNED_SHORT, strips.sharedIndices,
                                          StripCount, strips.baseVertex);
        } else {
            // Each chunk's arrays start at its first row: one draw per chunk.
            const void* indices = buffers ? nullptr : strips.indices;
            for (int r = 0; r < StripCount; r += RunStrips) {
                pointAt(first + static_cast<std::uintptr_t>(r) * Size * stride);
                glDrawElements(GL_TRIANGLE_STRIP, RunLength(std::min(RunStrips, StripCount - r)), GL_UNSIGNED_SHORT,
                               indices);
            }
        }
    glPopClientAttrib();
}
