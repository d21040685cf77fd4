// Terrain drawing cost: Terrain::Draw (with and without base-vertex
// drawing; at the detail the eye tells apart and at full detail) against the
// per-vertex reference, all from the game's start view, and Terrain::Init.
//
// Run it twice: GALLIUM_NOOP=1 measures the CPU cost of issuing the calls
// (nothing is rasterised); plain llvmpipe measures the whole frame.
#include "GlTestContext.h"
#include "TerrainReference.h"
#include "1-world/Terrain.h"
#include "1-world/Texture.h"

#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <unistd.h>

namespace {

const std::string AssetsDir = std::string(CORVANE_SOURCE_DIR) + "/assets";

// The game's start view: eye at (0, 0, -10) looking at the ship at
// (0, 0, 20), shifted 5 down in eye space, terrain drawn 40 units down.
void StartView()
{
    gltest::ResetGameState();
    glTranslatef(0, -5, 0);
    gluLookAt(0, 0, -10, 0, 0, 20, 0, 1, 0);
    glTranslatef(0, -40, 0);
}

// That view, as the game hands it to the terrain.
View StartViewOfTerrain()
{
    StartView();
    return gltest::CurrentView();
}

std::unique_ptr<Terrain> LoadGameTerrain()
{
    gltest::EnsureContext();
    if (chdir(AssetsDir.c_str()) != 0)
        return nullptr;
    auto terrain = std::make_unique<Terrain>();
    terrain->Init("heightmap.raw");
    return terrain;
}

// Detail following the distance (0) or full detail everywhere (1).
void BM_TerrainDraw(benchmark::State& state)
{
    const auto terrain = LoadGameTerrain();
    terrain->SetFullDetail(state.range(0) == 1);
    const View view = StartViewOfTerrain();
    for (auto _ : state) {
        StartView();
        terrain->Draw(view);
        glFinish();
    }
    state.SetLabel(std::to_string(terrain->GetDrawnTriangles()) + " triangles");
}

// The same on a context without base-vertex drawing (older desktops, the
// page), where the terrain draws from the strips' own first rows.
void BM_TerrainDrawWithoutBaseVertex(benchmark::State& state)
{
    gltest::EnsureContext();
    const gltest::Hidden<GLboolean> version(__GLEW_VERSION_3_2);
    const gltest::Hidden<GLboolean> extension(__GLEW_ARB_draw_elements_base_vertex);
    const auto terrain = LoadGameTerrain();
    const View view = StartViewOfTerrain();
    for (auto _ : state) {
        StartView();
        terrain->Draw(view);
        glFinish();
    }
}

void BM_ReferenceDraw(benchmark::State& state)
{
    const auto terrain = LoadGameTerrain();
    const std::vector<unsigned char> heights = gltest::ReadReferenceHeightmap("heightmap.raw");
    const GLuint ground = terrain->GetGroundTexture() ? terrain->GetGroundTexture()->GetId() : 0;
    for (auto _ : state) {
        StartView();
        gltest::DrawReferenceTerrain(heights.data(), ground);
        glFinish();
    }
}

void BM_TerrainInit(benchmark::State& state)
{
    gltest::EnsureContext();
    if (chdir(AssetsDir.c_str()) != 0) {
        state.SkipWithError("no assets folder");
        return;
    }
    for (auto _ : state) {
        auto terrain = std::make_unique<Terrain>();
        terrain->Init("heightmap.raw");
        glFinish();
    }
}

// The part of Init that is the ground image's decoding and upload.
void BM_GroundTextureLoad(benchmark::State& state)
{
    gltest::EnsureContext();
    if (chdir(AssetsDir.c_str()) != 0) {
        state.SkipWithError("no assets folder");
        return;
    }
    for (auto _ : state) {
        Texture ground(GL_TEXTURE_2D, "ground.png");
        ground.Load();
        glFinish();
    }
}

}  // namespace

// Five repetitions each; the medians are the figures to compare.
BENCHMARK(BM_TerrainDraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TerrainDrawWithoutBaseVertex)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReferenceDraw)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TerrainInit)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_GroundTextureLoad)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
