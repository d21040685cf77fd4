// The terrain drawn at the detail the eye can tell apart, in the whole
// game's frame, against the same frame with every region at full detail
// (which draws exactly the per-vertex terrain: see TerrainTest), in views
// chosen to stress it. Each view is reached by the player's own input.
#include "GameFixture.h"

#include "1-world/Terrain.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using gltest::Rgba;
using namespace frames;

namespace {

constexpr unsigned char Magenta[] = {255, 0, 255};

struct View {
    const char* name;
    std::function<void(GameTest&, Game&)> reach;
};

// Pointer motion from the window centre, one degree per pixel.
void Turn(Game& game, int right, int down)
{
    game.OnPassiveMotion(W / 2 + right, H / 2 + down);
}

// Flies along the view for `dt` units of game time.
void Fly(Game& game, float dt)
{
    game.OnKeyDown(' ');
    for (; dt > 0; dt -= Game::MaxTickDt)
        game.Update(std::min(dt, Game::MaxTickDt));
    game.OnKeyUp(' ');
}

// Down onto the highest ground (the ship stops there), then level.
void Glide(Game& game)
{
    Turn(game, 0, 10);
    Fly(game, 400);
    game.OnPassiveMotion(W / 2, H / 2);
}

const View Views[] = {
    {"the start", [](GameTest&, Game&) {}},
    {"half a turn", [](GameTest&, Game& g) { Turn(g, 180, 0); }},
    {"30 degrees down", [](GameTest&, Game& g) { Turn(g, 0, 30); }},
    {"straight down", [](GameTest&, Game& g) { Turn(g, 0, 90); }},
    {"a low glide, level", [](GameTest&, Game& g) { Glide(g); }},
    {"a low glide, a little up", [](GameTest&, Game& g) { Glide(g), g.OnPassiveMotion(W / 2, H / 2 - 8); }},
    {"near the edge, looking out", [](GameTest&, Game& g) { Fly(g, 420), Turn(g, 0, 20); }},
    {"turned 45 degrees", [](GameTest&, Game& g) { Turn(g, 45, 5); }},
    {"the front view", [](GameTest&, Game& g) { g.OnMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, W / 2, H / 2); }},
};

// The terrain alone, in the view the frame just drawn left on the stack,
// over a colour it never has.
std::vector<Rgba> TerrainOverMagenta(Terrain& terrain)
{
    glClearColor(Magenta[0] / 255.0f, Magenta[1] / 255.0f, Magenta[2] / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    glTranslatef(0.0f, -40.0f, 0.0f);
    terrain.Draw(gltest::CurrentView());
    glPopMatrix();
    return gltest::ReadFrame();
}

bool IsMagenta(Rgba p) { return p.r == Magenta[0] && p.g == Magenta[1] && p.b == Magenta[2]; }

// Pixels where the detailed terrain leaves a hole: the clear colour shows
// where the full-detail terrain covers the pixel and all eight around it.
int Holes(const std::vector<Rgba>& detailed, const std::vector<Rgba>& full)
{
    int holes = 0;
    for (int y = 1; y < H - 1; y++)
        for (int x = 1; x < W - 1; x++) {
            if (!IsMagenta(At(detailed, x, y)))
                continue;
            bool covered = true;
            for (int dy = -1; dy <= 1 && covered; dy++)
                for (int dx = -1; dx <= 1 && covered; dx++)
                    covered = !IsMagenta(At(full, x + dx, y + dy));
            holes += covered;
        }
    return holes;
}

class TerrainDetailTest : public GameTest {};

TEST_F(TerrainDetailTest, EveryViewLooksAsAtFullDetailWithoutHolesAndDrawsFarLess)
{
    for (const View& view : Views) {
        SCOPED_TRACE(view.name);
        game = std::make_unique<Game>(800, 600);
        game->Init();
        game->Update(1.0f);  // the first tick, as before the game's first frame
        view.reach(*this, *game);
        Terrain& terrain = *game->GetTerrain();

        terrain.SetFullDetail(true);
        const std::vector<Rgba> full = Draw(*game);
        const std::vector<Rgba> fullTerrain = TerrainOverMagenta(terrain);
        const int fullTriangles = terrain.GetDrawnTriangles();
        terrain.SetFullDetail(false);
        const std::vector<Rgba> detailed = Draw(*game);
        const std::vector<Rgba> detailedTerrain = TerrainOverMagenta(terrain);

        double sum = 0;
        int far = 0;
        for (size_t i = 0; i < full.size(); i++) {
            const int d[] = {std::abs(full[i].r - detailed[i].r), std::abs(full[i].g - detailed[i].g),
                             std::abs(full[i].b - detailed[i].b)};
            sum += d[0] + d[1] + d[2];
            far += d[0] > 48 || d[1] > 48 || d[2] > 48;
        }
        const double mean = sum / (3.0 * full.size());
        const double farShare = 100.0 * far / full.size();
        const int holes = Holes(detailedTerrain, fullTerrain);
        EXPECT_LE(mean, 0.5) << "mean difference per channel";
        EXPECT_LE(farShare, 0.2) << "per cent of the pixels off by more than 48";
        EXPECT_EQ(0, holes) << "pixels of the ground missing where the full-detail ground surrounds them";
        EXPECT_LT(terrain.GetDrawnTriangles(), fullTriangles / 4);
        std::printf("%-28s mean %.3f, %.3f %% off by > 48, %d holes, %d of %d triangles, %d regions\n", view.name,
                    mean, farShare, holes, terrain.GetDrawnTriangles(), fullTriangles, terrain.GetDrawnRegions());
        if (HasFailure() || std::getenv("CORVANE_SAVE_VIEWS")) {
            const std::string base = std::string(CORVANE_BINARY_DIR) + "/terrain-detail-" + view.name;
            gltest::SavePng(base + "-full.png", full, W, H);
            gltest::SavePng(base + "-detailed.png", detailed, W, H);
            gltest::SavePng(base + "-terrain.png", detailedTerrain, W, H);
        }
    }
}

}  // namespace
