#pragma once

#include "Terrain.h"

#include <vector>

class View;

// Which regions of the terrain a view sees, and the level each is drawn at:
// the rule Terrain.h states. Built once from the samples; a choice allocates
// nothing and asks nothing of OpenGL.
class TerrainLevels {
public:
    // Bits of a region's neighbours drawn one level coarser than it: the
    // neighbours across its rows 0 and RegionQuads, columns 0 and RegionQuads.
    enum Coarser { North = 1, South = 2, West = 4, East = 8 };
    static constexpr int CoarserChoices = 16;

    struct Drawn {
        int region;   // row-major index
        int level;    // 0 (every sample) to LevelCount - 1
        int coarser;  // Coarser bits; a neighbour that is not drawn never counts
    };

    // Each region's box and height errors, from Terrain::SampleCount
    // row-major samples, sample / heightScale being a sample's height.
    TerrainLevels(const unsigned char* samples, float heightScale);

    // The regions the view sees (a view of the terrain's own frame), each at
    // the coarsest level whose error the view cannot tell apart, and
    // neighbours at most one level apart.
    void Choose(const View& view);
    // Every region at level 0, in sight or not.
    void ChooseAll();

    // The regions chosen last, in row-major order; none before a choice.
    const Drawn* GetDrawn() const { return drawn.data(); }
    int GetDrawnCount() const { return drawnCount; }

private:
    struct Box {  // in the terrain's own frame
        float x0, x1, y0, y1, z0, z1;
    };
    struct Region {
        Box box;
        float error[Terrain::LevelCount];  // height error at each level, never smaller at a coarser one
    };
    // BlockSide x BlockSide regions from region (i0, j0) on, culled at once.
    static constexpr int BlockSide = 8;
    struct Block {
        Box box;
        int i0, j0;
    };
    // The rectangle of regions, inclusive, around those in sight.
    struct Span {
        int top, bottom, left, right;
    };

    static Region Measure(const unsigned char* samples, float heightScale, int i, int j);
    Span See(const float (&planes)[5][4], const View& view);
    void LimitNeighbourSteps(const Span& span);
    void List(const Span& span);

    std::vector<Region> regions;  // row-major, RegionCount of them
    std::vector<Block> blocks;    // row-major
    // Per choice, reused: each region's level (the coarsest out of sight),
    // whether it is in sight, and the regions drawn.
    std::vector<signed char> levels;
    std::vector<unsigned char> inSight;
    std::vector<Drawn> drawn;  // RegionCount of them, the first drawnCount chosen
    int drawnCount = 0;
};
