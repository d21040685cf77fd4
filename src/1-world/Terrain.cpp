#include "Terrain.h"

#include "Texture.h"
#include "0-math/HalfFloat.h"

#include <algorithm>
#include <cmath>
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
constexpr int Last = Terrain::Size - 1;

// The sample a region's local row or column stands for: the grid's last
// regions repeat row or column 1023 in place of 1024.
constexpr int SampleAt(int regionStart, int local)
{
    return regionStart + local < Last ? regionStart + local : Last;
}

// Bits of a pattern: which neighbours are drawn one level coarser.
enum Coarser { North = 1, South = 2, West = 4, East = 8 };  // rows 0, Q; columns 0, Q
constexpr int PatternsPerLevel = 16;

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
        if (((coarser & North) && r == 0 && odd(c)) || ((coarser & South) && r == Q && odd(c)))
            c -= step;
        else if (((coarser & West) && c == 0 && odd(r)) || ((coarser & East) && c == Q && odd(r)))
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

// The same vertex in floats, for contexts without half-float arrays.
struct FloatVertex {
    float r, g, b;
    float s, t;
    float x, y, z;
};

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
                const int r = SampleAt(i * Q, lr);
                const unsigned char* row = &heights[r * Terrain::Size];
                for (int lc = 0; lc < Terrain::RegionSide; lc++, v++) {
                    const int c = SampleAt(j * Q, lc);
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

// True when a box lies wholly behind one of the planes (a x + b y + c z + d
// < 0 at its corner the furthest in front).
template <typename Box>
bool IsOutside(const Box& box, const float (&planes)[5][4])
{
    for (const auto& plane : planes) {
        if (plane[0] * (plane[0] > 0 ? box.x1 : box.x0) + plane[1] * (plane[1] > 0 ? box.y1 : box.y0) +
                plane[2] * (plane[2] > 0 ? box.z1 : box.z0) + plane[3] <
            0)
            return true;
    }
    return false;
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

    BuildRegions();
    BuildBuffers();
}

void Terrain::BuildRegions()
{
    // The indices of every level and choice of coarser neighbours.
    indices.clear();
    patterns.assign(LevelCount * PatternsPerLevel, Pattern{0, 0});
    for (int level = 0; level < LevelCount; level++) {
        for (int coarser = 0; coarser < PatternsPerLevel; coarser++) {
            Pattern& pattern = patterns[level * PatternsPerLevel + coarser];
            pattern.first = static_cast<GLsizei>(indices.size());
            AppendPattern(1 << level, coarser, indices);
            pattern.count = static_cast<GLsizei>(indices.size()) - pattern.first;
        }
    }

    // Each region's box and its height error at each level: the largest
    // distance between a sample and the triangle drawn over it.
    regions.assign(RegionCount, Region{});
    for (int i = 0; i < RegionsPerSide; i++) {
        for (int j = 0; j < RegionsPerSide; j++) {
            Region& region = regions[i * RegionsPerSide + j];
            const int r0 = i * Q, r1 = SampleAt(r0, Q), c0 = j * Q, c1 = SampleAt(c0, Q);
            int low = 255, high = 0;
            for (int r = r0; r <= r1; r++) {
                for (int c = c0; c <= c1; c++) {
                    low = std::min<int>(low, heights[r * Size + c]);
                    high = std::max<int>(high, heights[r * Size + c]);
                }
            }
            // Brighter samples lie lower: the highest sample is the lowest point.
            region.box = {static_cast<float>(c0 - Size / 2), static_cast<float>(c1 - Size / 2), high / heightScale,
                          low / heightScale, static_cast<float>(r0 - Size / 2), static_cast<float>(r1 - Size / 2)};
            region.error[0] = 0.0f;
            for (int level = 1; level < LevelCount; level++) {
                const int step = 1 << level;
                // In whole numbers: over a cell of w x h samples, the drawn
                // height times w h at each sample, against the sample's.
                float worst = 0.0f;  // in sample values
                for (int lr = 0; lr < Q; lr += step) {
                    const int top = SampleAt(r0, lr), bottom = SampleAt(r0, lr + step);
                    for (int lc = 0; lc < Q; lc += step) {
                        const int left = SampleAt(c0, lc), right = SampleAt(c0, lc + step);
                        const int w = right - left, h = bottom - top;
                        if (w == 0 || h == 0)
                            continue;  // a cell of no area past the grid's end
                        const int a = heights[top * Size + left], b = heights[top * Size + right];
                        const int c = heights[bottom * Size + left], d = heights[bottom * Size + right];
                        int cellWorst = 0;
                        for (int y = 0; y <= h; y++) {
                            const unsigned char* row = &heights[(top + y) * Size + left];
                            // Up to the diagonal (x h + y w <= w h), the triangle
                            // on the top left; past it, the one on the bottom right.
                            const int split = (w * h - y * w) / h;
                            for (int x = 0; x <= split; x++)
                                cellWorst = std::max(cellWorst, std::abs(row[x] * w * h - (a * w * h + (b - a) * x * h +
                                                                                           (c - a) * y * w)));
                            for (int x = split + 1; x <= w; x++)
                                cellWorst = std::max(cellWorst, std::abs(row[x] * w * h - (d * w * h + (c - d) * (w - x) * h +
                                                                                           (b - d) * (h - y) * w)));
                        }
                        worst = std::max(worst, static_cast<float>(cellWorst) / static_cast<float>(w * h));
                    }
                }
                region.error[level] = std::max(region.error[level - 1], worst / std::fabs(heightScale));
            }
        }
    }
    // Blocks of regions, each box around its regions', for culling many at once.
    blocks.clear();
    for (int i = 0; i < RegionsPerSide; i += RegionsPerBlock) {
        for (int j = 0; j < RegionsPerSide; j += RegionsPerBlock) {
            Block block{regions[i * RegionsPerSide + j].box, i, j};
            for (int bi = i; bi < i + RegionsPerBlock; bi++) {
                for (int bj = j; bj < j + RegionsPerBlock; bj++) {
                    const Box& box = regions[bi * RegionsPerSide + bj].box;
                    block.box.x1 = std::max(block.box.x1, box.x1);
                    block.box.z1 = std::max(block.box.z1, box.z1);
                    block.box.y0 = std::min(block.box.y0, box.y0);
                    block.box.y1 = std::max(block.box.y1, box.y1);
                }
            }
            blocks.push_back(block);
        }
    }
    levels.assign(RegionCount, 0);
    sightScratch.assign(RegionCount, 0);
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

void Terrain::ChooseLevels()
{
    drawnRegions = 0;
    drawnTriangles = 0;
    if (fullDetail) {
        std::fill(levels.begin(), levels.end(), 0);
        std::fill(sightScratch.begin(), sightScratch.end(), 1);
        for (int k = 0; k < RegionCount; k++)
            drawBases[drawnRegions++] = k;
        return;
    }

    GLfloat model[16], projection[16];
    GLint viewport[4] = {0, 0, 0, 0};
    glGetFloatv(GL_MODELVIEW_MATRIX, model);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);

    // The eye in the terrain's frame (the model-view is a rotation and a
    // translation t: the eye is at -R^T t).
    const float* t = &model[12];
    const float ex = -(model[0] * t[0] + model[1] * t[1] + model[2] * t[2]);
    const float ey = -(model[4] * t[0] + model[5] * t[1] + model[6] * t[2]);
    const float ez = -(model[8] * t[0] + model[9] * t[1] + model[10] * t[2]);
    // An angle of a radians spans about a * pixelsAtUnit pixels of the
    // viewport's height (exactly so at the centre of the view; up to 1.5
    // times that in the corners of an 800 x 600 view of 45 degrees).
    const float pixelsAtUnit = 0.5f * static_cast<float>(viewport[3]) * projection[5];
    const bool perspective = std::isfinite(pixelsAtUnit) && pixelsAtUnit > 0.0f && projection[15] == 0.0f;

    // The planes of the view in the terrain's frame, from clip = P * M: a
    // point is inside where every plane's a x + b y + c z + d >= 0.
    float clip[16];
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++)
            clip[col * 4 + row] = projection[row] * model[col * 4] + projection[4 + row] * model[col * 4 + 1] +
                                  projection[8 + row] * model[col * 4 + 2] + projection[12 + row] * model[col * 4 + 3];
    float planes[5][4];  // left, right, bottom, top, near; the far plane is past the grid
    for (int p = 0; p < 5; p++) {
        const int axis = p / 2;
        const float sign = p % 2 == 0 ? 1.0f : -1.0f;
        for (int k = 0; k < 4; k++)
            planes[p][k] = clip[k * 4 + 3] + sign * clip[k * 4 + axis];
    }

    // Which side of the planes a block lies on: Outside when it is wholly
    // behind one of them, Inside when it is wholly in front of all; only a
    // block across the view has its regions tested one by one.
    enum Side { Outside, Across, Inside };
    const auto sideOf = [&planes](const Box& box) {
        if (IsOutside(box, planes))
            return Outside;
        for (const auto& plane : planes) {
            const float farthest = plane[0] * (plane[0] > 0 ? box.x0 : box.x1) +
                                   plane[1] * (plane[1] > 0 ? box.y0 : box.y1) +
                                   plane[2] * (plane[2] > 0 ? box.z0 : box.z1) + plane[3];
            if (farthest < 0)
                return Across;
        }
        return Inside;
    };

    // Regions out of sight are not drawn and need no level: they take the
    // coarsest, which holds back no neighbour, and no neighbour meets them.
    std::fill(sightScratch.begin(), sightScratch.end(), 0);
    std::fill(levels.begin(), levels.end(), static_cast<signed char>(LevelCount - 1));
    int top = RegionsPerSide, bottom = -1, left = RegionsPerSide, right = -1;  // around the regions in sight
    for (const Block& block : blocks) {
        const Side blockSide = sideOf(block.box);
        if (blockSide == Outside)
            continue;
        for (int i = block.i0; i < block.i0 + RegionsPerBlock; i++) {
            for (int j = block.j0; j < block.j0 + RegionsPerBlock; j++) {
                const int k = i * RegionsPerSide + j;
                const Region& region = regions[k];
                if (blockSide == Across && IsOutside(region.box, planes))
                    continue;
                sightScratch[k] = 1;
                top = std::min(top, i), bottom = std::max(bottom, i);
                left = std::min(left, j), right = std::max(right, j);
                int level = 0;
                if (perspective) {
                    const Box& box = region.box;
                    const float dx = std::max({box.x0 - ex, 0.0f, ex - box.x1});
                    const float dy = std::max({box.y0 - ey, 0.0f, ey - box.y1});
                    const float dz = std::max({box.z0 - ez, 0.0f, ez - box.z1});
                    // A height error e at horizontal distance h and height
                    // difference g from the eye subtends e h / (h^2 + g^2)
                    // radians, which grows with h up to h = g and then falls:
                    // its largest over the box is at the h nearest to g.
                    float h = std::sqrt(dx * dx + dz * dz);
                    if (h < dy) {
                        const float fx = std::max(std::fabs(ex - box.x0), std::fabs(ex - box.x1));
                        const float fz = std::max(std::fabs(ez - box.z0), std::fabs(ez - box.z1));
                        h = std::min(dy, std::sqrt(fx * fx + fz * fz));
                    }
                    // The eye inside the box allows no error.
                    const float allowed = h > 0.0f ? MaxScreenError * (h * h + dy * dy) / (h * pixelsAtUnit) : 0.0f;
                    level = LevelCount - 1;
                    while (level > 0 && region.error[level] > allowed)
                        level--;
                }
                levels[k] = static_cast<signed char>(level);
            }
        }
    }

    // Neighbours differ by one level at most: a region is made finer where a
    // neighbour is two or more levels finer (never coarser, so every error
    // stays within the bound). Two sweeps give each region the least of its
    // own level and, for every other region, that one's level plus the
    // number of steps between the two.
    // Only pairs of regions in sight matter, all within the rectangle of
    // regions around those in sight.
    const auto at = [this](int i, int j) -> signed char& { return levels[i * RegionsPerSide + j]; };
    for (int i = top; i <= bottom; i++)
        for (int j = left; j <= right; j++) {
            if (i > top)
                at(i, j) = std::min<signed char>(at(i, j), at(i - 1, j) + 1);
            if (j > left)
                at(i, j) = std::min<signed char>(at(i, j), at(i, j - 1) + 1);
        }
    for (int i = bottom; i >= top; i--)
        for (int j = right; j >= left; j--) {
            if (i < bottom)
                at(i, j) = std::min<signed char>(at(i, j), at(i + 1, j) + 1);
            if (j < right)
                at(i, j) = std::min<signed char>(at(i, j), at(i, j + 1) + 1);
        }

    for (int i = top; i <= bottom; i++)
        for (int j = left; j <= right; j++)
            if (sightScratch[i * RegionsPerSide + j])
                drawBases[drawnRegions++] = i * RegionsPerSide + j;
}

void Terrain::Draw()
{
    if (groundTexture)
        groundTexture->Bind();
    else
        glBindTexture(GL_TEXTURE_2D, 0);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const bool buffers = vertexBuffer != 0;
    if ((!buffers && clientVertices.empty()) || regions.empty())
        return;

    ChooseLevels();
    // The pattern of each region drawn: its level and which neighbours are coarser.
    const std::uintptr_t indexBase = buffers ? 0 : reinterpret_cast<std::uintptr_t>(indices.data());
    for (int n = 0; n < drawnRegions; n++) {
        const int k = drawBases[n], i = k / RegionsPerSide, j = k % RegionsPerSide;
        const int level = levels[k];
        // Only a neighbour that is drawn is met: the edge with one out of
        // sight is out of sight too.
        const auto coarserAt = [&](int n) { return sightScratch[n] && levels[n] > level; };
        int coarser = 0;
        if (i > 0 && coarserAt(k - RegionsPerSide))
            coarser |= North;
        if (i < RegionsPerSide - 1 && coarserAt(k + RegionsPerSide))
            coarser |= South;
        if (j > 0 && coarserAt(k - 1))
            coarser |= West;
        if (j < RegionsPerSide - 1 && coarserAt(k + 1))
            coarser |= East;
        const Pattern& pattern = patterns[level * PatternsPerLevel + coarser];
        drawCounts[n] = pattern.count;
        drawIndices[n] = reinterpret_cast<const void*>(indexBase + pattern.first * sizeof(GLushort));
        drawBases[n] = k * VerticesPerRegion;
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
