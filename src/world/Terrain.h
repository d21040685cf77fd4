#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <vector>

class Texture;

// The ground: a 1024 x 1024 grid of 8-bit height samples read from a raw
// file, drawn as 1023 textured, grey-shaded triangle strips. Sample (row r,
// column c) lies at x = c - 512, z = r - 512, y = sample / heightScale
// (brighter samples lie lower), with grey 0.5 * y / maxHeight + 0.5 and
// texture coordinates (c / 1024 * 8, r / 1024 * 8).
//
// Init builds the grid once into static buffers: one vertex per sample and
// one run of indices for 62 strips, joined by triangles of no area, which
// the strips reuse from their own first rows on. Draw issues the 1023
// strips from there: vertex for vertex what a per-vertex drawing would send,
// at a fraction of the calls and memory. On older contexts the same pixels
// come from what the context has: float vertices without half-float arrays,
// one draw per 62 strips without base vertices, vertices in client memory
// without buffer objects.
class Terrain {
public:
    static constexpr int Size = 1024;                      // samples per row and per column
    static constexpr int SampleCount = Size * Size;        // bytes read from the file
    static constexpr int StripCount = Size - 1;            // one strip per pair of rows
    static constexpr int VerticesPerStrip = 2 * Size;      // row r and row r + 1 for each column

    // One vertex of the buffer, that of sample (r, c) at index r * 1024 + c.
    // Strip r draws, for c = 0..1023, the vertex of (r, c) then of (r + 1, c).
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

    // The file's first SampleCount bytes into samples, the rest of samples 0;
    // false (all samples 0) when the file cannot be opened. No OpenGL.
    static bool ReadHeights(const char* fileName, unsigned char* samples);

    // Binds the ground texture (0 if there is none), sets GL_MODULATE and
    // draws the strips in the current model-view frame. Client array state
    // and the array-buffer binding are the same afterwards.
    // NOTE: the modulate environment stays in force, as later drawing expects.
    void Draw();

    unsigned char GetSample(int row, int column) const { return heights[row * Size + column]; }
    const Texture* GetGroundTexture() const { return groundTexture; }  // null without a heightmap
    GLuint GetVertexBuffer() const { return vertexBuffer; }  // 0 before Init or without buffer objects
    GLuint GetIndexBuffer() const { return indexBuffer; }    // 0 before Init or without buffer objects

private:
    void BuildBuffers();
    void ReleaseBuffers();

    float maxHeight;         // -80: divisor of the grey shade
    float heightScale;       // 256 / (maxHeight / 4) = -12.8: sample / heightScale is the height
    Texture* groundTexture;  // owned; null when the heightmap could not be opened
    unsigned char heights[SampleCount];  // row-major samples
    GLuint vertexBuffer;     // one Vertex per sample, row-major
    GLuint indexBuffer;      // the run of 62 joined strips, relative to its first row
    std::vector<unsigned char> clientVertices;  // the vertices when there are no buffer objects
    bool baseVertex;         // strips offset by base vertex in one call; else one draw per strip
    bool halfFloats;         // vertices are Vertex; else the same values as floats
};
