// Game costs: one tick with many bullets and explosions, a tick with the
// gamepads read and without, start-up, and a whole frame at the start view.
//
// Frames: run once with GALLIUM_NOOP=1 (the CPU cost of issuing the calls;
// nothing is rasterised) and once on plain llvmpipe. BM_GameFrame is the
// game's own frame; BM_StartFrame draws the start view's visible parts (sky,
// ship, terrain) the same way but lets the terrain be the buffered one or the
// per-vertex reference, for a side-by-side figure.
#include "GlTestContext.h"
#include "TerrainReference.h"

#include "1-world/Skybox.h"
#include "1-world/Terrain.h"
#include "1-world/Texture.h"
#include "3-entities/Particles.h"
#include "3-entities/Ship.h"
#include "4-game/Game.h"
#include "5-input/GamepadControl.h"
#include "5-input/SdlGamepads.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {


std::unique_ptr<Game> NewGame()
{
    gltest::EnterGameAssets();
    auto game = std::make_unique<Game>(gltest::WindowWidth, gltest::WindowHeight);
    game->Init();
    return game;
}

// A tick of dt (range(1), hundredths of a unit: 1, and 1.3, a usual tick of
// the 10 ms timer) among 10,000 bullets climbing away at 45 degrees and
// `explosions` (range(0)) explosions made at most 20 units of game time
// before: whenever 20 units have passed, the timing stops until those
// explosions are spent and as many new ones are made. per_unit: the CPU time
// per unit of game time the ticks bring, all of which the game plays but
// for the fraction of a unit it carries.
void BM_GameUpdate(benchmark::State& state)
{
    const int explosions = static_cast<int>(state.range(0));
    const float dt = static_cast<float>(state.range(1)) / 100.0f;
    constexpr float Fresh = 20.0f;  // units of game time an explosion is timed in
    const auto game = NewGame();
    game->OnPassiveMotion(400, 255);  // 45 degrees up
    for (int i = 0; i < 10000; i++)
        game->OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 400, 255);
    game->OnPassiveMotion(400, 390);  // straight down
    game->Update(1.0f);

    double played = 0.0, sinceBurst = Fresh;  // units of game time
    for (auto _ : state) {
        if (sinceBurst >= Fresh && explosions > 0) {
            state.PauseTiming();
            while (!game->GetExplosions().empty())
                game->Update(Game::MaxTickDt);
            for (int i = 0; i < explosions; i++)
                game->OnMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 400, 390);
            game->Update(10.0f);  // the shots straight down all reach y -40 and explode
            sinceBurst = 0.0;
            state.ResumeTiming();
        }
        game->Update(dt);
        played += dt;
        sinceBurst += dt;
    }
    state.counters["bullets"] = static_cast<double>(game->GetBullets().size());
    state.counters["explosions"] = static_cast<double>(game->GetExplosions().size());
    state.counters["per_unit"] = benchmark::Counter(played, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
// Few enough ticks that the bullets stay in play (they go some 5,000 units
// of game time after they are fired).
BENCHMARK(BM_GameUpdate)
    ->ArgsProduct({{0, 100}, {100, 130}})
    ->Iterations(400)
    ->Unit(benchmark::kMicrosecond);

// A tick of the window's loop with nothing in flight: the update, then the
// gamepads read and played. 0: without SDL (the tick before gamepads); 1:
// SDL's game controllers open, no pad; 2: one pad (SDL's virtual pad, mapped
// as a game controller), its left stick half tilted and RT held, so that
// the view turns and the ship flies every tick.
void BM_GameTickWithGamepads(benchmark::State& state)
{
    const int pads = static_cast<int>(state.range(0));
    const auto game = NewGame();
    game->Update(1.0f);
    SdlGamepads gamepads;
    GamepadControl control;
    SDL_Joystick* pad = nullptr;
    if (pads >= 1)
        gamepads.Open();
    if (pads == 2) {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        pad = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, 16384);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    }
    for (auto _ : state) {
        const float played = game->Update(1.0f);
        if (pads >= 1)
            control.Tick(*game, gamepads.Read(), played);
    }
    state.counters["pads"] = gamepads.GetCount();
    state.counters["thrust"] = game->GetShip()->GetThrust();
    if (pad != nullptr)
        SDL_JoystickClose(pad);
}
BENCHMARK(BM_GameTickWithGamepads)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// Construction and Init, then release: start-up before the first tick.
void BM_GameInit(benchmark::State& state)
{
    gltest::EnterGameAssets();
    for (auto _ : state) {
        Game game(gltest::WindowWidth, gltest::WindowHeight);
        game.Init();
        glFinish();
    }
}
// Each Init leaves its textures in the context (textures live as long as
// it), so the count is kept small.
BENCHMARK(BM_GameInit)->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

// The game's whole frame as the display callback draws it, at the start view,
// with the terrain's detail following the distance (0) or at full detail
// everywhere (1), which draws the triangles of the plain grid.
void BM_GameFrame(benchmark::State& state)
{
    const auto game = NewGame();
    game->GetTerrain()->SetFullDetail(state.range(0) == 1);
    game->Update(1.0f);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game->Render();
        glutSwapBuffers();
        glFinish();
    }
    state.SetLabel(std::to_string(game->GetTerrain()->GetDrawnTriangles()) + " terrain triangles");
}
BENCHMARK(BM_GameFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The start view's visible parts drawn in the game's order and state, with
// the buffered terrain (0) or the per-vertex reference terrain (1).
void BM_StartFrame(benchmark::State& state)
{
    const bool reference = state.range(0) == 1;
    gltest::EnterGameAssets();
    Skybox sky;
    sky.SetSize(30);
    sky.Init("Skybox/up.png", "Skybox/down.png", "Skybox/out.png", "Skybox/in.png", "Skybox/left.png",
             "Skybox/right.png");
    Ship ship(Vector3f(0, 0, 20), Vector3f(0, 0, 1), 1.0f);
    Terrain terrain;
    terrain.Init("heightmap.raw");
    const std::vector<unsigned char> heights = gltest::ReadReferenceHeightmap("heightmap.raw");
    const GLuint ground = terrain.GetGroundTexture() ? terrain.GetGroundTexture()->GetId() : 0;

    // The terrain's view, as the game hands it over.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, -5, 0);
    gluLookAt(0, 0, -10, 0, 0, 20, 0, 1, 0);
    glTranslatef(0, -40, 0);
    const View terrainView = gltest::CurrentView();

    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_TEXTURE_2D);
        glTranslatef(0, -5, 0);
        gluLookAt(0, 0, -10, 0, 0, 20, 0, 1, 0);
        glColor4f(1, 1, 1, 1);
        glBindTexture(GL_TEXTURE_2D, 0);
        glPushMatrix();
        sky.Draw(0, 0, -10);
        glPopMatrix();
        glColor4f(1, 1, 1, 1);
        glBindTexture(GL_TEXTURE_2D, 0);
        glPushMatrix();
        ship.Draw();
        glPopMatrix();
        glColor4f(1, 1, 1, 1);
        glBindTexture(GL_TEXTURE_2D, 0);
        glPushMatrix();
        glTranslatef(0, -40, 0);
        if (reference)
            gltest::DrawReferenceTerrain(heights.data(), ground);
        else
            terrain.Draw(terrainView);
        glPopMatrix();
        glutSwapBuffers();
        glFinish();
    }
    state.SetLabel(reference ? "per-vertex reference terrain" : "buffered terrain");
}
BENCHMARK(BM_StartFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
