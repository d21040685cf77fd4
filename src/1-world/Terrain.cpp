// Building the terrain: reading the heights, the index patterns and the
// vertex buffer.
#include "Terrain.h"

#include "TerrainLevels.h"
#include "Texture.h"
#include "0-math/HalfFloat.h"

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

constexpr int Q = Terrain::RegionQuads;
using Coarser = TerrainLevels::Coarser;

// The triangles of a region at a level (every step-th row and column), as
// vertex indices relative to the region's first vertex. Each cell of step x
// step quads is split as a quad of the full grid is. Where a neighbour is one
// level coarser, its edge lacks every other of our edge vertices: each of
// those is moved onto the edge vertex before it, which turns the cells along
// that edge into fans onto the neighbour's edge, and the triangles that
// collapse are left out.
void AppendPattern(int step, int coarser, std::vector<GLushort>& out)
{
    const auto odd = [step](int at) { return (at / step) % 2 == 1; };
    const auto vertex = [&](int r, int c) {
        if (((coarser & Coarser::North) && r == 0 && odd(c)) || ((coarser & Coarser::South) && r == Q && odd(c)))
            c -= step;
        else if (((coarser & Coarser::West) && c == 0 && odd(r)) || ((coarser & Coarser::East) && c == Q && odd(r)))
            r -= step;
        return static_cast<GLushort>(r * Terrain::RegionSide + c);
    };
    const auto triangle = [&out](GLushort a, GLushort b, GLushort c) {
        if (a != b && b != c && a != c)
            out.insert(out.end(), {a, b, c});
    };
    for (int r = 0; r < Q; r += step) {
        for (int c = 0; c < Q; c += step) {
            const GLushort topLeft = vertex(r, c), bottomLeft = vertex(r + step, c);
            const GLushort topRight = vertex(r, c + step), bottomRight = vertex(r + step, c + step);
            triangle(topLeft, bottomLeft, topRight);
            triangle(topRight, bottomLeft, bottomRight);
        }
    }
}

// Writes the vertices of every region, region by region, from per-sample
// and per-row/column values in V's own type.
template <typename V, typename T>
void WriteVertices(V* out, const unsigned char* heights, const T* heightOf, const T* shadeOf, const T* coordinateOf,
                   const T* positionOf)
{
    V* v = out;
    for (int i = 0; i < Terrain::RegionsPerSide; i++) {
        for (int j = 0; j < Terrain::RegionsPerSide; j++) {
            for (int lr = 0; lr < Terrain::RegionSide; lr++) {
                const int r = Terrain::SampleAt(i * Q, lr);
                const unsigned char* row = &heights[r * Terrain::Size];
                for (int lc = 0; lc < Terrain::RegionSide; lc++, v++) {
                    const int c = Terrain::SampleAt(j * Q, lc);
                    v->r = v->g = v->b = shadeOf[row[c]];
                    v->s = coordinateOf[c];
                    v->t = coordinateOf[r];
                    v->x = positionOf[c];
                    v->y = heightOf[row[c]];
                    v->z = positionOf[r];
                }
            }
        }
    }
}

}  // namespace

Terrain::Terrain()
    : maxHeight(MaxHeight), heightScale(HeightScale), groundTexture(nullptr), heights(),
      vertexBuffer(0), indexBuffer(0), baseVertex(false), halfFloats(false), fullDetail(false), drawnRegions(0),
      drawnTriangles(0)
{
}

int Terrain::VertexIndexOf(int row, int column)
{
    const int i = std::min(row / Q, RegionsPerSide - 1), j = std::min(column / Q, RegionsPerSide - 1);
    return (i * RegionsPerSide + j) * VerticesPerRegion + (row - i * Q) * RegionSide + (column - j * Q);
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
    InitSamples(fileName);
    InitLevels();
    InitBuffers();
}

void Terrain::InitSamples(const char* fileName)
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
}

void Terrain::InitLevels()
{
    levels = std::make_unique<TerrainLevels>(heights, heightScale);
}

void Terrain::InitBuffers()
{
    BuildPatterns();
    BuildBuffers();
}

// The indices of every level and choice of coarser neighbours.
void Terrain::BuildPatterns()
{
    constexpr int PerLevel = TerrainLevels::CoarserChoices;
    indices.clear();
    patterns.assign(LevelCount * PerLevel, Pattern{0, 0});
    for (int level = 0; level < LevelCount; level++) {
        for (int coarser = 0; coarser < PerLevel; coarser++) {
            Pattern& pattern = patterns[level * PerLevel + coarser];
            pattern.first = static_cast<GLsizei>(indices.size());
            AppendPattern(1 << level, coarser, indices);
            pattern.count = static_cast<GLsizei>(indices.size()) - pattern.first;
        }
    }
    drawCounts.assign(RegionCount, 0);
    drawIndices.assign(RegionCount, nullptr);
    drawBases.assign(RegionCount, 0);
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
    const size_t bytes = static_cast<size_t>(RegionCount) * VerticesPerRegion * (halfFloats ? sizeof(Vertex) : sizeof(FloatVertex));
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

    // The patterns serve every region: offset by base vertices, or by
    // pointing the arrays at the region's first vertex.
    glGenBuffers(1, &indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLushort)), indices.data(),
                 GL_STATIC_DRAW);
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
