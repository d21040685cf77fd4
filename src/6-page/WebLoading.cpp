#include "WebLoading.h"

#include "0-webcompat/BufferUploads.h"

#include <emscripten.h>

namespace {

// What one task sends of the buffers a step filled: on a slow machine, some
// 15 ms of the browser's copying.
constexpr std::size_t UploadPiece = 1 * 1024 * 1024;

Game* game = nullptr;
WebLoading::Ready ready = nullptr;
int done = 0;        // steps run so far
bool told = false;   // the page knows the next step is coming

// The page's progress, before each step and once all have run.
EM_JS(void, TellPage, (int stepsDone, int stepCount, const char* what), {
    if (Module.onLoadingStep)
        Module.onLoadingStep(stepsDone, stepCount, what ? UTF8ToString(what) : "");
});

EM_JS(double, Now, (), { return performance.now(); });

EM_JS(void, Measure, (const char* what, double start), {
    if (performance.measure)
        performance.measure("Corvane: " + UTF8ToString(what), { start: start, end: performance.now() });
});

}  // namespace

const char* WebLoading::StepName(Game::InitStep step)
{
    switch (step) {
    case Game::InitShip: return "the ship";
    case Game::InitTowerTexture: return "the towers";
    case Game::InitSkybox:
    case Game::InitSkyUp:
    case Game::InitSkyDown:
    case Game::InitSkyOut:
    case Game::InitSkyIn:
    case Game::InitSkyLeft:
    case Game::InitSkyRight: return "the sky";
    case Game::InitTerrain:
    case Game::InitTerrainLevels:
    case Game::InitTerrainBuffers: return "the terrain";
    case Game::InitTargetRegion: return "the target";
    case Game::InitCamera: return "the camera";
    case Game::InitStepCount: break;
    }
    return "";
}

void WebLoading::Start(Game& started, Ready onReady)
{
    game = &started;
    ready = onReady;
    done = 0;
    told = false;
    emscripten_async_call(Next, nullptr, 0);
}

// A task each: telling the page which step comes, the step, and each piece
// of the buffers a step filled; the next task is queued behind whatever the
// page has to do, painting the progress among it.
void WebLoading::Next(void*)
{
    if (BufferUploads::Waiting()) {
        const double start = Now();
        BufferUploads::Continue(UploadPiece);
        Measure("buffers", start);
    } else if (done == Game::InitStepCount) {
        TellPage(done, Game::InitStepCount, nullptr);
        ready(*game);
        return;
    } else if (!told) {
        TellPage(done, Game::InitStepCount, StepName(static_cast<Game::InitStep>(done)));
        told = true;
    } else {
        const Game::InitStep step = static_cast<Game::InitStep>(done);
        const double start = Now();
        game->Init(step);
        Measure(StepName(step), start);
        done++;
        told = false;
    }
    emscripten_async_call(Next, nullptr, 0);
}
