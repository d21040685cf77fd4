// Mesh::Load of the ship, and Mesh::Render of the ship with its CPU skinning
// (per frame, and per bone weight). Run under a virtual X server from any folder.
#include "GlTestContext.h"
#include "0-math/Matrix4f.h"
#include "2-mesh/Mesh.h"
#include "2-mesh/TrialRun.h"

#include <assimp/scene.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

const char* const AssetsDir = CORVANE_SOURCE_DIR "/assets";

// Loads the ship from the game's working directory with the loader's lines silenced.
bool LoadShip(Mesh& mesh)
{
    if (chdir(AssetsDir) != 0)
        return false;
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0)
        dup2(quiet, STDOUT_FILENO);
    const bool loaded = mesh.Load("Ship2.dae");
    std::fflush(stdout);
    if (saved >= 0) {
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
    if (quiet >= 0)
        close(quiet);
    return loaded;
}

void BM_MeshLoadShip(benchmark::State& state)
{
    gltest::EnsureContext();
    for (auto _ : state) {
        Mesh mesh;
        if (!LoadShip(mesh))
            state.SkipWithError("Ship2.dae did not load");
        glFinish();
    }
}
BENCHMARK(BM_MeshLoadShip)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The fixed cost of a trial run (start the child, let it report, reap it),
// with a job that does nothing, from a process with an OpenGL context.
__attribute__((constructor)) void RunNothing()
{
    std::string unused;
    if (TrialRun::IsTrialOf("nothing", unused))
        TrialRun::Finish(true, "");
}

void BM_TrialRunNothing(benchmark::State& state)
{
    gltest::EnsureContext();
    std::string error;
    for (auto _ : state)
        TrialRun::Survives("nothing", "nothing", "", error);
}
BENCHMARK(BM_TrialRunNothing)->Unit(benchmark::kMillisecond);

void BM_MeshRenderShipSkinned(benchmark::State& state)
{
    gltest::EnsureContext();
    gltest::ResetGameState();
    Mesh mesh;
    if (!LoadShip(mesh)) {
        state.SkipWithError("Ship2.dae did not load");
        return;
    }
    long weights = 0;
    for (const Mesh::MeshEntry& entry : mesh.GetEntries())
        for (unsigned int b = 0; b < entry.sourceMesh->mNumBones; b++)
            weights += entry.sourceMesh->mBones[b]->mNumWeights;

    Matrix4f pose;
    pose.SetRotation(90, 0, 0);
    glTranslatef(0, 0, -30);
    glRotatef(90, 1, 0, 0);
    for (auto _ : state) {
        mesh.Render(pose);
        glFinish();
    }
    state.counters["weights"] = static_cast<double>(weights);
    // Seconds per bone weight: the frame time divided by the weights skinned.
    state.counters["per_weight"] = benchmark::Counter(static_cast<double>(weights),
                                                      benchmark::Counter::kIsIterationInvariantRate |
                                                          benchmark::Counter::kInvert);
}
BENCHMARK(BM_MeshRenderShipSkinned)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
