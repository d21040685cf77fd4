// What the player sees: the whole game's frame (Init with the real assets,
// ticks, input handlers, Render as the display callback calls it), each
// group of objects proven by comparing with the same game where that group is
// absent or elsewhere. No stored pictures.
#include "GameFixture.h"

#include <GL/glu.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

using gltest::Rgba;
using namespace frames;

namespace {

const std::string Assets = CORVANE_SOURCE_DIR "/assets";
constexpr int Left = GLUT_LEFT_BUTTON, Right = GLUT_RIGHT_BUTTON;

// assets/ linked into a temporary folder, without the named entries: the
// game runs on without them (no model, or an untextured surface).
class AssetsWithout {
public:
    AssetsWithout(std::initializer_list<std::string> missing)
    {
        for (const auto& entry : std::filesystem::directory_iterator(Assets)) {
            const std::string name = entry.path().filename().string();
            if (std::find(missing.begin(), missing.end(), name) == missing.end())
                std::filesystem::create_symlink(entry.path(), dir.File(name));
        }
    }
    const std::string& Path() const { return dir.Path(); }

private:
    gltest::TempDir dir;
};

std::unique_ptr<Game> NewGame(const std::string& folder = Assets)
{
    gltest::ScopedWorkingDirectory in(folder);
    auto game = std::make_unique<Game>(W, H);
    game->Init();
    return game;
}

void Press(Game& game, int button) { game.OnMouse(button, GLUT_DOWN, W / 2, H / 2); }
void Release(Game& game, int button) { game.OnMouse(button, GLUT_UP, W / 2, H / 2); }
void Click(Game& game, int button) { Press(game, button), Release(game, button); }

// Where world points land in the frame just drawn (Render leaves the view on
// the model-view stack).
class Projector {
public:
    Projector()
    {
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
    }
    bool Project(Vector3f p, double& x, double& y) const
    {
        GLdouble z;
        return gluProject(p.x, p.y, p.z, model, projection, viewport, &x, &y, &z) == GL_TRUE && z > 0 && z < 1;
    }

private:
    GLdouble model[16], projection[16];
    GLint viewport[4];
};

// Pixels where two frames differ.
std::vector<bool> DifferenceMask(const std::vector<Rgba>& a, const std::vector<Rgba>& b)
{
    std::vector<bool> mask(a.size());
    for (size_t i = 0; i < a.size(); i++)
        mask[i] = !Same(a[i], b[i]);
    return mask;
}

int DifferencesInRows(const std::vector<Rgba>& a, const std::vector<Rgba>& b, int y0, int y1)
{
    int count = 0;
    for (int y = y0; y < y1; y++)
        for (int x = 0; x < W; x++)
            count += !Same(At(a, x, y), At(b, x, y));
    return count;
}

int MinChannel(Rgba p) { return std::min({p.r, p.g, p.b}); }

std::string Describe(const Region& r)
{
    return std::to_string(r.count) + " pixels in x " + std::to_string(r.x0) + ".." + std::to_string(r.x1) + ", y " +
           std::to_string(r.y0) + ".." + std::to_string(r.y1);
}

class GameFrameTest : public gltest::GlTest {};

}  // namespace

TEST_F(GameFrameTest, SkyAboveTheHorizonTerrainBelowAndTheShipBelowTheCentre)
{
    const AssetsWithout noShip({"Ship2.dae"});
    auto game = NewGame(), shipless = NewGame(noShip.Path());
    game->Update(1.0f);
    shipless->Update(1.0f);
    const std::vector<Rgba> start = Draw(*game);

    // The ship is all that tells the two games apart: one shape around the
    // middle column, wholly below the centre.
    const Region ship = Differences(start, Draw(*shipless));
    SCOPED_TRACE("the ship: " + Describe(ship));
    EXPECT_GT(ship.count, 2000);
    EXPECT_NEAR(W / 2, (ship.x0 + ship.x1) / 2, 20);
    EXPECT_LT(ship.y1, H / 2);
    EXPECT_GT(ship.y0, H / 8);

    // Flown forward, the sky box travels with the eye: the upper half stays
    // as it was. The terrain passes below: the bottom changes.
    game->OnKeyDown(' ');
    game->Update(20.0f);
    game->OnKeyUp(' ');
    const std::vector<Rgba> flown = Draw(*game);
    const int skyChanged = DifferencesInRows(start, flown, H / 2, H);
    const int groundChanged = DifferencesInRows(start, flown, 0, H / 4);
    EXPECT_EQ(0, skyChanged) << "pixels of the upper half changed as the ship flew";
    EXPECT_GT(groundChanged, W * H / 4 / 2) << "pixels of the bottom quarter changed as the ship flew";

    // The sky is the textured box, not the white of the clear.
    int white = 0;
    for (int y = H / 2; y < H; y++)
        for (int x = 0; x < W; x++)
            white += MinChannel(At(start, x, y)) >= 250;
    EXPECT_LT(white, W * H / 2 / 100) << "white pixels in the upper half";
}

TEST_F(GameFrameTest, TheRightButtonHeldShowsTheShipFromTheFrontAndReleasedFromBehind)
{
    const AssetsWithout noShip({"Ship2.dae"});
    auto game = NewGame(), shipless = NewGame(noShip.Path());
    // A little upwards, so the shot the press fires is soon out of play.
    for (Game* g : {game.get(), shipless.get()}) {
        g->OnPassiveMotion(W / 2, H / 2 - 5);
        g->Update(1.0f);
    }
    const std::vector<Rgba> behind = Draw(*game);
    const std::vector<bool> shipBehind = DifferenceMask(behind, Draw(*shipless));

    // Held, after the shot has flown past the eye.
    for (Game* g : {game.get(), shipless.get()}) {
        Press(*g, Right);
        g->Update(10.0f);
    }
    const std::vector<Rgba> front = Draw(*game);
    const std::vector<Rgba> frontShipless = Draw(*shipless);
    const Region ship = Differences(front, frontShipless);
    const std::vector<bool> shipFront = DifferenceMask(front, frontShipless);
    SCOPED_TRACE("the ship from the front: " + Describe(ship));
    EXPECT_GT(ship.count, 2000);
    EXPECT_NEAR(W / 2, (ship.x0 + ship.x1) / 2, 20);
    EXPECT_LT(ship.y1, H / 2);

    // Where the ship covers the frame in both views, its other side shows.
    int covered = 0, otherSide = 0;
    for (size_t i = 0; i < front.size(); i++) {
        if (shipBehind[i] && shipFront[i]) {
            covered++;
            otherSide += !Same(behind[i], front[i], 8);
        }
    }
    // And the sky behind the eye is another part of the sky box.
    const int skyChanged = DifferencesInRows(behind, front, H / 2, H);
    EXPECT_GT(covered, 1000) << "pixels the ship covers in both views";
    EXPECT_GT(otherSide, covered / 2) << "of " << covered << " pixels the ship covers in both views, these changed";
    EXPECT_GT(skyChanged, W * H / 2 / 2) << "pixels of the upper half changed with the eye in front";

    // Released, once the shot is out of play: the frame from behind again.
    Release(*game, Right);
    for (int tick = 0; tick < 1000 && !game->GetBullets().empty(); tick++)
        game->Update(Game::MaxTickDt);
    ASSERT_TRUE(game->GetBullets().empty()) << "the shot upwards was not released";
    const Region again = Differences(Draw(*game), behind);
    EXPECT_EQ(0, again.count) << "released, the frame differs from the first one: " << Describe(again);
}

TEST_F(GameFrameTest, ABulletInFlightIsABrightSphereAlongTheViewThatMovesAway)
{
    auto game = NewGame(), twin = NewGame();
    for (Game* g : {game.get(), twin.get()})
        g->Update(1.0f);
    Click(*game, Left);

    Region previous;
    for (int step = 0; step < 3; step++) {
        for (Game* g : {game.get(), twin.get()})
            for (int i = 0; i < 3; i++)
                g->Update(1.0f);
        const std::vector<Rgba> shown = Draw(*game);
        const std::vector<Rgba> without = Draw(*twin);
        const Region bullet = Differences(shown, without);
        int bright = 0;
        for (int y = bullet.y0; y <= bullet.y1; y++)
            for (int x = bullet.x0; x <= bullet.x1; x++)
                bright += !Same(At(shown, x, y), At(without, x, y)) && MinChannel(At(shown, x, y)) >= 240;
        SCOPED_TRACE("after " + std::to_string(3 * (step + 1)) + " ticks, the bullet: " + Describe(bullet));
        ASSERT_GT(bullet.count, 20) << "no bullet in the frame";
        // White: mostly full white, the rest its blended rim.
        EXPECT_GT(bright, bullet.count / 2) << "white pixels of the bullet";
        // Along the view: on the middle column, between the ship and the centre.
        EXPECT_NEAR(W / 2, (bullet.x0 + bullet.x1) / 2.0, 2);
        EXPECT_LT(bullet.y1, H / 2);
        if (step > 0) {
            // Further away: smaller, and nearer the centre where the view vanishes.
            EXPECT_LT(bullet.count, previous.count);
            EXPECT_GT(bullet.y0 + bullet.y1, previous.y0 + previous.y1);
        }
        previous = bullet;
    }
}

TEST_F(GameFrameTest, TheThreeTowersAreTexturedWhenTheViewTurnsTowardsThem)
{
    const AssetsWithout noTowerImage({"tower.tga"});
    auto game = NewGame(), plain = NewGame(noTowerImage.Path());
    for (Game* g : {game.get(), plain.get()})
        g->Update(1.0f);
    EXPECT_EQ(0, Differences(Draw(*game), Draw(*plain)).count) << "the towers are behind the ship at the start";

    // Turned round and 20 degrees down, with a shot in flight: drawing a
    // bullet switches texturing off before the towers.
    for (Game* g : {game.get(), plain.get()}) {
        g->OnPassiveMotion(W / 2 + 180, H / 2 + 20);
        Click(*g, Left);
        g->Update(1.0f);
    }
    const std::vector<Rgba> shown = Draw(*game);
    const Projector view;
    const std::vector<Rgba> untextured = Draw(*plain);

    // Each tower's screen rectangle, from the corners of its box.
    struct Rect {
        int x0 = W, y0 = H, x1 = -1, y1 = -1;
        bool Holds(int x, int y) const { return x >= x0 - 1 && x <= x1 + 1 && y >= y0 - 1 && y <= y1 + 1; }
    };
    std::vector<Rect> towers;
    for (float towerX : {0.0f, -30.0f, 30.0f}) {
        Rect r;
        for (int corner = 0; corner < 8; corner++) {
            const Vector3f p(towerX - 5.0f * (corner & 1), -40.0f + ((corner & 2) ? 5.0f : -5.0f),
                             -30.0f - 5.0f * ((corner & 4) ? 1 : 0));
            double x, y;
            ASSERT_TRUE(view.Project(p, x, y));
            r.x0 = std::min(r.x0, static_cast<int>(x)), r.x1 = std::max(r.x1, static_cast<int>(x) + 1);
            r.y0 = std::min(r.y0, static_cast<int>(y)), r.y1 = std::max(r.y1, static_cast<int>(y) + 1);
        }
        ASSERT_TRUE(r.x0 > 0 && r.x1 < W && r.y0 > 0 && r.y1 < H) << "tower at x " << towerX << " is not in view";
        towers.push_back(r);
    }

    // The texture is all that differs, and only on the towers: plain white
    // without it, the grey brick with dark joints with it.
    int elsewhere = 0;
    std::vector<int> textured(towers.size()), dark(towers.size()), white(towers.size());
    for (int y = 0; y < H; y++) {
        for (int x = 0; x < W; x++) {
            if (Same(At(shown, x, y), At(untextured, x, y)))
                continue;
            bool onTower = false;
            for (size_t t = 0; t < towers.size(); t++) {
                if (!towers[t].Holds(x, y))
                    continue;
                onTower = true;
                textured[t]++;
                dark[t] += At(shown, x, y).g < 150;
                white[t] += MinChannel(At(untextured, x, y)) >= 250;
            }
            elsewhere += !onTower;
        }
    }
    EXPECT_EQ(0, elsewhere) << "pixels changed away from the towers";
    for (size_t t = 0; t < towers.size(); t++) {
        SCOPED_TRACE("tower " + std::to_string(t) + ": " + std::to_string(textured[t]) + " pixels textured, " +
                     std::to_string(dark[t]) + " of them dark, " + std::to_string(white[t]) +
                     " white without the image");
        EXPECT_GT(textured[t], 200);
        EXPECT_GT(dark[t], textured[t] / 20);
        EXPECT_GT(white[t], textured[t] * 9 / 10);
    }
}

TEST_F(GameFrameTest, AnExplosionRisesRedToOrangeAndDiesAwayLeavingEveryOtherGroupAsItWas)
{
    auto game = NewGame(), twin = NewGame();
    // A shot 20 degrees down, then the level view again: it bursts some 90
    // units ahead, above the ground, in the lower part of the frame.
    for (Game* g : {game.get(), twin.get()})
        g->OnPassiveMotion(W / 2, H / 2 + 20);
    Click(*game, Left);
    for (Game* g : {game.get(), twin.get()})
        g->OnPassiveMotion(W / 2, H / 2);
    for (int tick = 0; game->GetExplosions().empty(); tick++) {
        ASSERT_LT(tick, 100) << "the shot did not burst within 100 ticks";
        game->Update(1.0f);
        twin->Update(1.0f);
    }
    // Nothing changes in the twin from now on.
    const std::vector<Rgba> without = Draw(*twin);

    // Frames through the explosion's life, each drawn after the one before
    // (every sixth tick): colour or state left by the points must not reach
    // the sky, ship, terrain or towers of that frame or the next.
    int tick = 0, frame = 0, badFrames = 0, firstBad = -1, firstTop = -1, highestTop = -1, peak = 0, last = 0;
    for (; !game->GetExplosions().empty(); tick++) {
        ASSERT_LT(tick, 400) << "the explosion was not spent within 400 ticks";
        if (tick % 6 == 0) {
            const std::vector<Rgba> shown = Draw(*game);
            const Projector view;
            const Particles& explosion = *game->GetExplosions()[0];

            // The points' own pixels, and their neighbours that multisampling blends.
            std::vector<bool> near(shown.size());
            for (int i = 0; i < Particles::ParticleCount; i++) {
                double px, py;
                if (explosion.GetColour(i) == Particles::SpentColour ||
                    !view.Project(explosion.GetPosition(i), px, py))
                    continue;
                for (int y = static_cast<int>(py) - 2; y <= static_cast<int>(py) + 2; y++)
                    for (int x = static_cast<int>(px) - 2; x <= static_cast<int>(px) + 2; x++)
                        if (x >= 0 && x < W && y >= 0 && y < H)
                            near[static_cast<size_t>(y) * W + x] = true;
            }

            int elsewhere = 0, notRed = 0;
            Region points;
            for (int y = 0; y < H; y++) {
                for (int x = 0; x < W; x++) {
                    const Rgba p = At(shown, x, y), q = At(without, x, y);
                    if (Same(p, q))
                        continue;
                    points.Add(x, y);
                    elsewhere += !near[static_cast<size_t>(y) * W + x];
                    // Red to orange over what lies behind: red gains, blue loses.
                    const int dr = p.r - q.r, db = p.b - q.b;
                    notRed += !(dr >= -2 && db <= 2 && dr - db > 4);
                }
            }
            if ((elsewhere != 0 || notRed != 0) && badFrames++ == 0)
                firstBad = frame;
            if (frame == 0)
                firstTop = points.y1;
            highestTop = std::max(highestTop, points.y1);
            peak = std::max(peak, points.count);
            last = points.count;
            frame++;
        }
        game->Update(1.0f);
        twin->Update(1.0f);
    }
    EXPECT_EQ(0, badFrames) << "from frame " << firstBad << " on, pixels away from the points changed, or "
                            << "points were not red to orange";
    EXPECT_GT(frame, 5) << "the explosion lived " << tick << " ticks";
    EXPECT_GT(firstTop, 0) << "the explosion is not in the frame";
    EXPECT_GT(highestTop, firstTop + 20) << "the points do not rise";
    EXPECT_LT(last, peak / 4) << "the points do not die away";

    // Spent and released: nothing of it is left on screen.
    const Region left = Differences(Draw(*game), without);
    EXPECT_EQ(0, left.count) << "spent, the frame differs from a game without the explosion: " << Describe(left);
}

TEST_F(GameFrameTest, AfterManyShotsAndExplosionsTheFrameIsAFreshGames)
{
    auto game = NewGame();
    // Shots level, up, down ahead and to the sides, straight down, backwards,
    // and one with the right button; each flown for a few drawn ticks.
    const int aims[][2] = {{400, 300}, {400, 250}, {400, 320}, {400, 360}, {490, 330},
                           {310, 340}, {580, 320}, {400, 390}, {430, 310}};
    for (const auto& aim : aims) {
        game->OnPassiveMotion(aim[0], aim[1]);
        Click(*game, aim[0] == 430 ? Right : Left);
        for (int i = 0; i < 4; i++)
            game->Update(1.5f);
        Draw(*game);
    }
    ASSERT_FALSE(game->GetExplosions().empty()) << "no shot burst";
    game->OnPassiveMotion(W / 2, H / 2);
    for (int tick = 0; !game->GetExplosions().empty(); tick++) {
        ASSERT_LT(tick, 400) << "the explosions were not spent within 400 ticks";
        game->Update(1.5f);
        if (tick % 12 == 0)
            Draw(*game);
    }
    // The shots still in flight, far beyond sight, go out of play.
    for (int tick = 0; !game->GetBullets().empty() || !game->GetExplosions().empty(); tick++) {
        ASSERT_LT(tick, 1000) << "shots were still in play after 1000 long ticks";
        game->Update(Game::MaxTickDt);
    }

    const std::vector<Rgba> after = Draw(*game);
    auto fresh = NewGame();
    fresh->Update(1.0f);
    const Region left = Differences(after, Draw(*fresh));
    EXPECT_EQ(0, left.count) << "the frame differs from a fresh game's: " << Describe(left);
}
