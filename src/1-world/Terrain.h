#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <memory>
#include <vector>

class TerrainLevels;
class Texture;
class View;

// The ground: a 1024 x 1024 grid of 8-bit height samples read from a raw
// file, drawn as textured, grey-shaded triangles. Sample (row r, column c)
// lies at x = c - 512, z = r - 512, y = sample / heightScale (brighter
// samples lie lower), with grey 0.5 * y / maxHeight + 0.5 and texture
// coordinates (c / 1024 * 8, r / 1024 * 8). Each quad of four neighbouring
// samples is two triangles split along the diagonal from (r + 1, c) to
// (r, c + 1).
//
// Detail follows the distance (TerrainLevels chooses). The grid is cut into
// 64 x 64 regions of 16 x 16 quads; a region is drawn at level L from every
// 2^L-th row and column of its samples, at the coarsest level whose height
// error (the largest distance, straight up or down, between a sample and the
// surface drawn over it) spans at most half a pixel of the viewport's height
// (MaxScreenError) at the centre of the view, wherever in the region it
// lies: a height error e at horizontal distance h from the eye and height
// difference g subtends e h / (h^2 + g^2) radians, largest where h = g.
// Neighbouring regions differ by at most one level, and the finer one of two
// then leaves out its edge samples that the coarser lacks, so the two meet
// along the same line: no cracks. A region wholly outside the view is not
// drawn. The level depends only on where the eye is, never on where it
// looks: turning the view changes no level, and a region changes level only
// where both levels are within the bound.
//
// Init builds everything once into static buffers (Terrain.cpp): each
// region's vertices (17 x 17, edges shared with the neighbours held twice)
// and one set of 16-bit triangle indices per level and choice of coarser
// neighbours, which every region shares. A frame only chooses and draws
// (TerrainDraw.cpp): one call with base vertices where the context has them,
// else one per drawn region; on older contexts floats without half-float
// arrays and client memory without buffer objects put the same pixels on
// screen.
class Terrain {
public:
    static constexpr int Size = 1024;                      // samples per row and per column
    static constexpr int SampleCount = Size * Size;        // bytes read from the file
    static constexpr int RegionQuads = 16;                 // quads along a region's side
    static constexpr int RegionsPerSide = Size / RegionQuads;
    static constexpr int RegionCount = RegionsPerSide * RegionsPerSide;
    static constexpr int RegionSide = RegionQuads + 1;     // vertices along a region's side
    static constexpr int VerticesPerRegion = RegionSide * RegionSide;
    static constexpr int LevelCount = 5;                   // 1, 2, 4, 8 and 16 quads per step
    static constexpr float MaxScreenError = 0.5f;          // pixels of the viewport's height

    // One vertex of the buffer. Region (i, j) holds, from index
    // (i * RegionsPerSide + j) * VerticesPerRegion on, the vertices of rows
    // 16 i to 16 i + 16 and columns 16 j to 16 j + 16, row by row; the grid's
    // last regions repeat row or column 1023 in place of 1024, which draws
    // quads of no area.
    // NOTE: the attributes are half floats. Every value the terrain uses is a
    // multiple of a power of two that a half holds exactly (heights of
    // sample x 5/64, shades of 0.5 + sample/2048, coordinates of 1/128 and
    // whole units up to 512), so the pipeline reads the very floats a
    // per-vertex drawing would send, from half the memory.
    struct Vertex {
        std::uint16_t r, g, b;  // grey shade
        std::uint16_t s, t;     // ground texture coordinates
        std::uint16_t x, y, z;  // position in the terrain's own frame
    };

    Terrain();   // empty: no samples, no texture, no buffer
    ~Terrain();  // deletes the ground texture and the vertex buffer
    Terrain(const Terrain&) = delete;
    Terrain& operator=(const Terrain&) = delete;

    // Reads the heightmap and loads "ground.png" from the working directory,
    // then builds the vertex buffer. Needs a current OpenGL context, nothing
    // more. Never fails and prints nothing: a missing file gives all samples 0
    // and no ground texture (a flat, untextured 0.5 grey square); a short file
    // leaves the samples past its end 0; bytes past 1,048,576 are ignored.
    void Init(const char* fileName);
    // Init in its three parts, in this order, for a caller that returns to
    // its event loop in between (the page): the samples and the ground
    // texture; the levels' boxes and errors; the index patterns and buffers.
    void InitSamples(const char* fileName);
    void InitLevels();
    void InitBuffers();

    // The file's first SampleCount bytes into samples, the rest of samples 0;
    // false (all samples 0) when the file cannot be opened. No OpenGL.
    static bool ReadHeights(const char* fileName, unsigned char* samples);

    // Binds the ground texture (0 if there is none), sets GL_MODULATE and
    // draws the regions in the current model-view frame, each at the level
    // chosen for view, which must be the view OpenGL draws with, of the
    // terrain's own frame: nothing of it is read back. Client array state
    // and the buffer bindings are the same afterwards.
    // NOTE: the modulate environment stays in force, as later drawing expects.
    void Draw(const View& view);

    // Full detail draws every region whole at level 0, in sight or not: the
    // very triangles of the plain drawing, for comparisons and benchmarks.
    void SetFullDetail(bool on) { fullDetail = on; }

    // The index of a vertex of sample (row, column): in the first region,
    // in row-major order of regions, that holds it.
    static int VertexIndexOf(int row, int column);
    // The sample row (or column) that a region starting at row (or column)
    // start holds at its local row (or column) local.
    static constexpr int SampleAt(int start, int local) { return start + local < Size - 1 ? start + local : Size - 1; }

    // What the last Draw drew: regions, and triangles (those of no area too).
    int GetDrawnRegions() const { return drawnRegions; }
    int GetDrawnTriangles() const { return drawnTriangles; }

    unsigned char GetSample(int row, int column) const { return heights[row * Size + column]; }
    const Texture* GetGroundTexture() const { return groundTexture; }  // null without a heightmap
    GLuint GetVertexBuffer() const { return vertexBuffer; }  // 0 before Init or without buffer objects
    GLuint GetIndexBuffer() const { return indexBuffer; }    // 0 before Init or without buffer objects

private:
    // The same vertex in floats, for contexts without half-float arrays.
    struct FloatVertex {
        float r, g, b;
        float s, t;
        float x, y, z;
    };
    // Where the indices of a level with a choice of coarser neighbours start
    // and how many there are.
    struct Pattern {
        GLsizei first, count;
    };

    void BuildPatterns();
    void BuildBuffers();
    void ReleaseBuffers();

    float maxHeight;         // -80: divisor of the grey shade
    float heightScale;       // 256 / (maxHeight / 4) = -12.8: sample / heightScale is the height
    Texture* groundTexture;  // owned; null when the heightmap could not be opened
    unsigned char heights[SampleCount];  // row-major samples
    GLuint vertexBuffer;     // VerticesPerRegion vertices per region, region by region
    GLuint indexBuffer;      // the patterns' indices, relative to a region's first vertex
    std::vector<unsigned char> clientVertices;  // the vertices when there are no buffer objects
    bool baseVertex;         // regions offset by base vertex in one call; else one draw per region
    bool halfFloats;         // vertices are Vertex; else FloatVertex
    bool fullDetail;         // every region at level 0, in sight or not

    std::unique_ptr<TerrainLevels> levels;  // made by Init
    std::vector<Pattern> patterns;          // level * TerrainLevels::CoarserChoices + coarser bits
    std::vector<GLushort> indices;          // every pattern's indices (kept for client-memory drawing)
    // Per frame, reused: the draws of the regions drawn.
    std::vector<GLsizei> drawCounts;
    std::vector<const void*> drawIndices;
    std::vector<GLint> drawBases;
    int drawnRegions;
    int drawnTriangles;
};
