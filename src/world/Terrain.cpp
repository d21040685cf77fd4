#include "Terrain.h"

#include "Texture.h"
#include "math/HalfFloat.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr float MaxHeight = -80.0f;
constexpr float TextureRepeats = 8.0f;  // the ground image tiles this often each way
const char* const GroundFileName = "ground.png";

// Per strip: its index count, where its indices start in the index buffer
// and the vertex its index 0 stands for.
struct StripRanges {
    GLsizei count[Terrain::StripCount];
    const void* sharedIndices[Terrain::StripCount];  // all strips reuse one index run
    const void* ownIndices[Terrain::StripCount];     // each strip its own run (no base vertex)
    GLint baseVertex[Terrain::StripCount];

    StripRanges()
    {
        for (int r = 0; r < Terrain::StripCount; r++) {
            count[r] = Terrain::VerticesPerStrip;
            sharedIndices[r] = nullptr;
            ownIndices[r] =
                reinterpret_cast<const void*>(static_cast<size_t>(r) * Terrain::VerticesPerStrip * sizeof(GLuint));
            baseVertex[r] = r * Terrain::Size;
        }
    }
};

const StripRanges strips;

}  // namespace

Terrain::Terrain()
    : maxHeight(MaxHeight), heightScale(256.0f / (MaxHeight / 4.0f)), groundTexture(nullptr), heights(),
      vertexBuffer(0), indexBuffer(0), baseVertex(false)
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
    heightScale = 256.0f / (maxHeight / 4.0f);
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
    if (!glGenBuffers)
        glewInit();  // a bare context whose entry points nobody fetched yet
    if (!glGenBuffers)
        return;

    // The caller's bindings are put back afterwards.
    GLint previousVertices = 0, previousIndices = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &previousVertices);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &previousIndices);

    // Written in place through a mapping, so the grid is never held twice.
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(SampleCount) * sizeof(Vertex);
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_STATIC_DRAW);
    std::vector<Vertex> staging;
    Vertex* vertices = static_cast<Vertex*>(glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY));
    if (!vertices) {
        staging.resize(SampleCount);
        vertices = staging.data();
    }
    // Height and shade depend on the sample alone, the texture coordinate on
    // the column or row alone: each is computed once, by the same formula.
    std::uint16_t heightOf[256], shadeOf[256], coordinateOf[Size], positionOf[Size];
    for (int sample = 0; sample < 256; sample++) {
        const float y = sample / heightScale;
        heightOf[sample] = HalfFloat::FromFloat(y);
        shadeOf[sample] = HalfFloat::FromFloat(0.5f * y / maxHeight + 0.5f);
    }
    for (int i = 0; i < Size; i++) {
        coordinateOf[i] = HalfFloat::FromFloat(static_cast<float>(i) / Size * TextureRepeats);
        positionOf[i] = HalfFloat::FromFloat(static_cast<float>(i - Size / 2));
    }
    for (int r = 0; r < Size; r++) {
        const unsigned char* row = &heights[r * Size];
        Vertex* out = &vertices[static_cast<size_t>(r) * Size];
        for (int c = 0; c < Size; c++) {
            Vertex& v = out[c];
            v.r = v.g = v.b = shadeOf[row[c]];
            v.s = coordinateOf[c];
            v.t = coordinateOf[r];
            v.x = positionOf[c];
            v.y = heightOf[row[c]];
            v.z = positionOf[r];
        }
    }
    if (staging.empty())
        glUnmapBuffer(GL_ARRAY_BUFFER);
    else
        glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, staging.data());

    // With base vertices one strip's indices serve every strip; without,
    // every strip gets its own.
    baseVertex = glMultiDrawElementsBaseVertex != nullptr;
    glGenBuffers(1, &indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    if (baseVertex) {
        std::vector<GLushort> indices(VerticesPerStrip);
        for (int c = 0; c < Size; c++) {
            indices[2 * c] = static_cast<GLushort>(c);
            indices[2 * c + 1] = static_cast<GLushort>(Size + c);
        }
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLushort)),
                     indices.data(), GL_STATIC_DRAW);
    } else {
        std::vector<GLuint> indices(static_cast<size_t>(StripCount) * VerticesPerStrip);
        for (int r = 0; r < StripCount; r++) {
            for (int c = 0; c < Size; c++) {
                GLuint* pair = &indices[static_cast<size_t>(r) * VerticesPerStrip + 2 * c];
                pair[0] = static_cast<GLuint>(r * Size + c);
                pair[1] = static_cast<GLuint>((r + 1) * Size + c);
            }
        }
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLuint)),
                     indices.data(), GL_STATIC_DRAW);
    }
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
}

void Terrain::Draw()
{
    if (groundTexture)
        groundTexture->Bind();
    else
        glBindTexture(GL_TEXTURE_2D, 0);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (vertexBuffer == 0)
        return;

    // The pop restores the enabled arrays, their pointers and the buffer bindings.
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
        // Arrays someone else left enabled would be drawn (and read) with ours.
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
        glDisableClientState(GL_FOG_COORD_ARRAY);
        glDisableVertexAttribArray(0);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_VERTEX_ARRAY);
        glColorPointer(3, GL_HALF_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, r)));
        glTexCoordPointer(2, GL_HALF_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, s)));
        glVertexPointer(3, GL_HALF_FLOAT, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, x)));
        if (baseVertex)
            glMultiDrawElementsBaseVertex(GL_TRIANGLE_STRIP, strips.count, GL_UNSIGNED_SHORT, strips.sharedIndices,
                                          StripCount, strips.baseVertex);
        else
            glMultiDrawElements(GL_TRIANGLE_STRIP, strips.count, GL_UNSIGNED_INT, strips.ownIndices, StripCount);
    glPopClientAttrib();
}
