// Choosing the terrain's levels: each region's box and errors, measured once,
// and the steps of a choice.
#include "TerrainLevels.h"

#include "0-math/View.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int Size = Terrain::Size;
constexpr int Q = Terrain::RegionQuads;
constexpr int PerSide = Terrain::RegionsPerSide;
constexpr int Coarsest = Terrain::LevelCount - 1;

// The planes of the view (left, right, bottom, top, near; the far plane lies
// past the grid), from its clip coordinates: a point is inside where every
// plane's a x + b y + c z + d >= 0.
void ClipPlanes(const Matrix4f& viewProjection, float (&planes)[5][4])
{
    const auto& clip = viewProjection.m;
    for (int p = 0; p < 5; p++) {
        const int axis = p / 2;
        const float sign = p % 2 == 0 ? 1.0f : -1.0f;
        for (int k = 0; k < 4; k++)
            planes[p][k] = clip[3][k] + sign * clip[axis][k];
    }
}

// The helpers below take any box with x0 x1 y0 y1 z0 z1, TerrainLevels's
// own among them.

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

// Where a box lies: wholly behind one of the planes, across the view, or
// wholly in front of all of them (in front even at its corner the furthest
// behind each).
enum Side { Outside, Across, Inside };

template <typename Box>
Side SideOf(const Box& box, const float (&planes)[5][4])
{
    if (IsOutside(box, planes))
        return Outside;
    for (const auto& plane : planes) {
        if (plane[0] * (plane[0] > 0 ? box.x0 : box.x1) + plane[1] * (plane[1] > 0 ? box.y0 : box.y1) +
                plane[2] * (plane[2] > 0 ? box.z0 : box.z1) + plane[3] <
            0)
            return Across;
    }
    return Inside;
}

// The largest height error that spans at most MaxScreenError pixels
// wherever in the box it lies, where an angle of one radian spans pixels
// pixels; none (0) with the eye inside the box. A height error e at horizontal distance h and height difference
// g from the eye subtends e h / (h^2 + g^2) radians, which grows with h up to
// h = g and then falls: its largest over the box is at the h nearest to g.
template <typename Box>
float AllowedError(const Box& box, const Vector3f& eye, float pixels)
{
    const float dx = std::max({box.x0 - eye.x, 0.0f, eye.x - box.x1});
    const float dy = std::max({box.y0 - eye.y, 0.0f, eye.y - box.y1});
    const float dz = std::max({box.z0 - eye.z, 0.0f, eye.z - box.z1});
    float h = std::sqrt(dx * dx + dz * dz);
    if (h < dy) {
        const float fx = std::max(std::fabs(eye.x - box.x0), std::fabs(eye.x - box.x1));
        const float fz = std::max(std::fabs(eye.z - box.z0), std::fabs(eye.z - box.z1));
        h = std::min(dy, std::sqrt(fx * fx + fz * fz));
    }
    return h > 0.0f ? Terrain::MaxScreenError * (h * h + dy * dy) / (h * pixels) : 0.0f;
}

}  // namespace

TerrainLevels::TerrainLevels(const unsigned char* samples, float heightScale)
    : levels(Terrain::RegionCount, 0), inSight(Terrain::RegionCount, 0), drawn(Terrain::RegionCount)
{
    regions.reserve(Terrain::RegionCount);
    for (int i = 0; i < PerSide; i++)
        for (int j = 0; j < PerSide; j++)
            regions.push_back(Measure(samples, heightScale, i, j));

    // Each block's box is the one around its regions'.
    for (int i = 0; i < PerSide; i += BlockSide) {
        for (int j = 0; j < PerSide; j += BlockSide) {
            Block block{regions[i * PerSide + j].box, i, j};
            for (int bi = i; bi < i + BlockSide; bi++) {
                for (int bj = j; bj < j + BlockSide; bj++) {
                    const Box& box = regions[bi * PerSide + bj].box;
                    block.box.x1 = std::max(block.box.x1, box.x1);
                    block.box.z1 = std::max(block.box.z1, box.z1);
                    block.box.y0 = std::min(block.box.y0, box.y0);
                    block.box.y1 = std::max(block.box.y1, box.y1);
                }
            }
            blocks.push_back(block);
        }
    }
}

// Region (i, j)'s box and its height error at each level: the largest
// distance between a sample and the triangle drawn over it.
TerrainLevels::Region TerrainLevels::Measure(const unsigned char* samples, float heightScale, int i, int j)
{
    Region region{};
    const int r0 = i * Q, r1 = Terrain::SampleAt(r0, Q), c0 = j * Q, c1 = Terrain::SampleAt(c0, Q);
    int low = 255, high = 0;
    for (int r = r0; r <= r1; r++) {
        for (int c = c0; c <= c1; c++) {
            low = std::min<int>(low, samples[r * Size + c]);
            high = std::max<int>(high, samples[r * Size + c]);
        }
    }
    // Brighter samples lie lower: the highest sample is the lowest point.
    region.box = {static_cast<float>(c0 - Size / 2), static_cast<float>(c1 - Size / 2), high / heightScale,
                  low / heightScale, static_cast<float>(r0 - Size / 2), static_cast<float>(r1 - Size / 2)};
    region.error[0] = 0.0f;
    for (int level = 1; level < Terrain::LevelCount; level++) {
        const int step = 1 << level;
        // In whole numbers: over a cell of w x h samples, the drawn height
        // times w h at each sample, against the sample's.
        float worst = 0.0f;  // in sample values
        for (int lr = 0; lr < Q; lr += step) {
            const int top = Terrain::SampleAt(r0, lr), bottom = Terrain::SampleAt(r0, lr + step);
            for (int lc = 0; lc < Q; lc += step) {
                const int left = Terrain::SampleAt(c0, lc), right = Terrain::SampleAt(c0, lc + step);
                const int w = right - left, h = bottom - top;
                if (w == 0 || h == 0)
                    continue;  // a cell of no area past the grid's end
                const int a = samples[top * Size + left], b = samples[top * Size + right];
                const int c = samples[bottom * Size + left], d = samples[bottom * Size + right];
                int cellWorst = 0;
                for (int y = 0; y <= h; y++) {
                    const unsigned char* row = &samples[(top + y) * Size + left];
                    // Up to the diagonal (x h + y w <= w h), the triangle on
                    // the top left; past it, the one on the bottom right.
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
    return region;
}

void TerrainLevels::Choose(const View& view)
{
    float planes[5][4];
    ClipPlanes(view.viewProjection, planes);
    const Span span = See(planes, view);
    LimitNeighbourSteps(span);
    List(span);
}

void TerrainLevels::ChooseAll()
{
    for (int k = 0; k < Terrain::RegionCount; k++)
        drawn[k] = Drawn{k, 0, 0};  // all at one level: none coarser
    drawnCount = Terrain::RegionCount;
}

// Marks the regions in sight and gives each the coarsest level within the
// bound at its distance; without perspective, level 0. Regions out of sight
// are not drawn and need no level: they take the coarsest, which holds back
// no neighbour, and no neighbour meets them.
TerrainLevels::Span TerrainLevels::See(const float (&planes)[5][4], const View& view)
{
    // An angle of a radians spans about a * pixels pixels of the viewport's
    // height (exactly so at the centre of the view; up to 1.5 times that in
    // the corners of an 800 x 600 view of 45 degrees).
    const float pixels = view.PixelsPerRadian();
    const bool perspective = std::isfinite(pixels) && pixels > 0.0f;

    std::fill(inSight.begin(), inSight.end(), 0);
    std::fill(levels.begin(), levels.end(), static_cast<signed char>(Coarsest));
    Span span{PerSide, -1, PerSide, -1};
    for (const Block& block : blocks) {
        // Only a block across the view has its regions tested one by one.
        const Side blockSide = SideOf(block.box, planes);
        if (blockSide == Outside)
            continue;
        for (int i = block.i0; i < block.i0 + BlockSide; i++) {
            for (int j = block.j0; j < block.j0 + BlockSide; j++) {
                const int k = i * PerSide + j;
                const Region& region = regions[k];
                if (blockSide == Across && IsOutside(region.box, planes))
                    continue;
                inSight[k] = 1;
                span.top = std::min(span.top, i), span.bottom = std::max(span.bottom, i);
                span.left = std::min(span.left, j), span.right = std::max(span.right, j);
                int level = 0;
                if (perspective) {
                    const float allowed = AllowedError(region.box, view.eye, pixels);
                    level = Coarsest;
                    while (level > 0 && region.error[level] > allowed)
                        level--;
                }
                levels[k] = static_cast<signed char>(level);
            }
        }
    }
    return span;
}

// Neighbours differ by one level at most: a region is made finer where a
// neighbour is two or more levels finer (never coarser, so every error stays
// within the bound). Two sweeps give each region the least of its own level
// and, for every other region, that one's level plus the number of steps
// between the two. Only pairs of regions in sight matter, all within the span.
void TerrainLevels::LimitNeighbourSteps(const Span& span)
{
    const auto at = [this](int i, int j) -> signed char& { return levels[i * PerSide + j]; };
    for (int i = span.top; i <= span.bottom; i++)
        for (int j = span.left; j <= span.right; j++) {
            if (i > span.top)
                at(i, j) = std::min<signed char>(at(i, j), at(i - 1, j) + 1);
            if (j > span.left)
                at(i, j) = std::min<signed char>(at(i, j), at(i, j - 1) + 1);
        }
    for (int i = span.bottom; i >= span.top; i--)
        for (int j = span.right; j >= span.left; j--) {
            if (i < span.bottom)
                at(i, j) = std::min<signed char>(at(i, j), at(i + 1, j) + 1);
            if (j < span.right)
                at(i, j) = std::min<signed char>(at(i, j), at(i, j + 1) + 1);
        }
}

// The regions in sight, row by row, with the neighbours they meet coarser.
// Only a neighbour in sight is met: the edge with one out of sight is out of
// sight too.
void TerrainLevels::List(const Span& span)
{
    drawnCount = 0;
    for (int i = span.top; i <= span.bottom; i++) {
        for (int j = span.left; j <= span.right; j++) {
            const int k = i * PerSide + j;
            if (!inSight[k])
                continue;
            const int level = levels[k];
            const auto coarserAt = [&](int n) { return inSight[n] && levels[n] > level; };
            int coarser = 0;
            if (i > 0 && coarserAt(k - PerSide))
                coarser |= North;
            if (i < PerSide - 1 && coarserAt(k + PerSide))
                coarser |= South;
            if (j > 0 && coarserAt(k - 1))
                coarser |= West;
            if (j < PerSide - 1 && coarserAt(k + 1))
                coarser |= East;
            drawn[drawnCount++] = Drawn{k, level, coarser};
        }
    }
}
