// The shipped game binary under its own virtual X server, played through
// XTest pointer and key events (xdotool) and checked from its frames, each
// read back as the game presents it (WindowFrames). Nothing waits on the
// clock for what the game does: a check looks at the first frame that shows
// an input, or at the frames that follow it until one shows what it should,
// and a deadline only catches a hang. That holds however slowly the machine
// draws: one tick plays at most a quarter of a second (Game::MaxTickDt)
// before the next frame, so a shot is in sight in the frames just after the
// click, and an explosion is on several frames.

#include "GlTestContext.h"
#include "WindowFrames.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A wait for a frame that lasts this long means the game hangs, however slow the machine.
constexpr int HangSeconds = 120;

const std::string SourceDir = CORVANE_SOURCE_DIR;
const std::string BinaryDir = CORVANE_BINARY_DIR;
const std::string ShotDir = BinaryDir + "/e2e";

// The game under test and the folder it starts in: the build's corvane in
// this checkout's assets/, unless the install tests name an installed game
// and a folder of no relation to it.
std::string FromEnvironment(const char* name, const std::string& otherwise)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : otherwise;
}
std::string GameProgram() { return FromEnvironment("CORVANE_E2E_GAME", BinaryDir + "/corvane"); }
std::string GameFolder() { return FromEnvironment("CORVANE_E2E_WORKDIR", SourceDir + "/assets"); }

// Runs a shell command, returns its standard output (stderr discarded).
std::string Run(const std::string& command)
{
    std::string output;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& workDir, const std::string& stdoutPath,
            int displayFd = -1)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdoutPath.empty())
        posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (displayFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, displayFd, 3);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    const std::string here = std::filesystem::current_path();
    if (!workDir.empty())
        chdir(workDir.c_str());
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    if (!workDir.empty())
        chdir(here.c_str());
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Reaps pid if it has ended; returns true and its status then.
bool Ended(pid_t pid, int& status)
{
    return waitpid(pid, &status, WNOHANG) == pid;
}

using Image = WindowFrames::Image;

// Colour statistics over a rectangle given in fractions of the image.
struct Region {
    double x0, y0, x1, y1;
};

struct Stats {
    double r = 0, g = 0, b = 0;  // means, 0..255
};

bool IsExplosionColour(const unsigned char* p)
{
    // Red 1, green 0 to 0.75, blue 0; one-pixel points are blended with the
    // ground behind them by multisampling, so the test is for a strong shift
    // towards red-orange rather than for the exact colours.
    return p[0] > 170 && p[0] - p[2] > 110 && p[0] - p[1] > 40;
}

Stats Measure(const Image& image, Region region)
{
    Stats s;
    const int x0 = static_cast<int>(region.x0 * image.width), x1 = static_cast<int>(region.x1 * image.width);
    const int y0 = static_cast<int>(region.y0 * image.height), y1 = static_cast<int>(region.y1 * image.height);
    double n = 0;
    for (int y = y0; y < y1; y++) {
        for (int x = x0; x < x1; x++) {
            const unsigned char* p = image.At(x, y);
            s.r += p[0];
            s.g += p[1];
            s.b += p[2];
            n++;
        }
    }
    if (n > 0) {
        s.r /= n;
        s.g /= n;
        s.b /= n;
    }
    return s;
}

// Pixels of a region that pass a colour test.
int CountPixels(const Image& image, Region region, bool (*test)(const unsigned char*))
{
    const int x0 = static_cast<int>(region.x0 * image.width), x1 = static_cast<int>(region.x1 * image.width);
    const int y0 = static_cast<int>(region.y0 * image.height), y1 = static_cast<int>(region.y1 * image.height);
    int count = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
            count += test(image.At(x, y));
    return count;
}

// Mean absolute difference per channel of two captures over a region.
double Difference(const Image& a, const Image& b, Region region)
{
    if (!a.Valid() || a.width != b.width || a.height != b.height)
        return 0;
    const int x0 = static_cast<int>(region.x0 * a.width), x1 = static_cast<int>(region.x1 * a.width);
    const int y0 = static_cast<int>(region.y0 * a.height), y1 = static_cast<int>(region.y1 * a.height);
    double sum = 0, n = 0;
    for (int y = y0; y < y1; y++) {
        for (int x = x0; x < x1; x++) {
            const unsigned char* p = a.At(x, y);
            const unsigned char* q = b.At(x, y);
            for (int c = 0; c < 3; c++)
                sum += std::abs(p[c] - q[c]);
            n += 3;
        }
    }
    return n > 0 ? sum / n : 0;
}

// Pixels of a region that are near white in after but were not in before:
// a bullet's unlit white sphere where there was none.
int NewWhitePixels(const Image& before, const Image& after, Region region)
{
    if (!before.Valid() || !after.Valid() || before.width != after.width || before.height != after.height)
        return 0;
    const int x0 = static_cast<int>(region.x0 * after.width), x1 = static_cast<int>(region.x1 * after.width);
    const int y0 = static_cast<int>(region.y0 * after.height), y1 = static_cast<int>(region.y1 * after.height);
    int count = 0;
    for (int y = y0; y < y1; y++) {
        for (int x = x0; x < x1; x++) {
            const unsigned char* p = after.At(x, y);
            const unsigned char* q = before.At(x, y);
            count += std::min({p[0], p[1], p[2]}) >= 220 && std::min({q[0], q[1], q[2]}) < 200;
        }
    }
    return count;
}

// Pixels that are red-to-orange in after but were not in before: explosion
// points, not the ship's own red-orange parts.
int NewExplosionPixels(const Image& before, const Image& after)
{
    if (!before.Valid() || !after.Valid() || before.width != after.width || before.height != after.height)
        return 0;
    int count = 0;
    for (int y = 0; y < after.height; y++)
        for (int x = 0; x < after.width; x++)
            count += IsExplosionColour(after.At(x, y)) && !IsExplosionColour(before.At(x, y));
    return count;
}

// The model loader's lines for the ship and nothing else: one or more
// "Loaded texture '...'\n", any "Loaded normal map '...' \n", then
// "Number of animations: N \n\n".
bool IsShipLoaderOutput(const std::string& out)
{
    std::istringstream in(out);
    std::string line;
    int textures = 0;
    bool counted = false;
    while (std::getline(in, line)) {
        if (counted)
            return line.empty() && in.peek() == EOF && out.size() >= 2 && out.compare(out.size() - 2, 2, "\n\n") == 0;
        const auto quoted = [&](const std::string& head, const std::string& tail) {
            return line.size() > head.size() + tail.size() && line.compare(0, head.size(), head) == 0 &&
                   line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
        };
        if (quoted("Loaded texture '", "'"))
            textures++;
        else if (textures > 0 && quoted("Loaded normal map '", "' "))
            continue;
        else if (textures > 0 && quoted("Number of animations: ", " ")) {
            const std::string digits = line.substr(22, line.size() - 23);
            if (digits.find_first_not_of("0123456789") != std::string::npos)
                return false;
            counted = true;
        }
        else
            return false;
    }
    return false;
}

const Region Whole{0, 0, 1, 1};
const Region Top{0, 0, 1, 0.25};
const Region Bottom{0, 0.8, 1, 1};
const Region ShipArea{0.4, 0.5, 0.6, 0.7};  // just below the centre
const Region AheadOfShip{0.42, 0.45, 0.58, 0.72};  // from the ship up to the centre, where a shot recedes
const Region ShipWithWings{0.3, 0.6, 0.7, 0.8};  // the ship from behind at the start, wing tip to wing tip

// Sky in the upper part, terrain in the lower: blue above, and the two far apart.
bool SkyAboveTerrain(const Image& image)
{
    const Stats top = Measure(image, Top), bottom = Measure(image, Bottom);
    return top.b > top.r && std::abs(top.b - bottom.b) + std::abs(top.r - bottom.r) > 20;
}

// The red stripes of the ship's texture (wing tips, fin tops), as drawn:
// nothing else in the start view, sky or ground, is this red.
bool IsShipRed(const unsigned char* p)
{
    return p[0] > 150 && p[1] < 90 && p[2] < 90;
}

class GameSession {
public:
    ~GameSession() { Stop(); }

    bool Start(std::string& why, const std::string& workDir = GameFolder())
    {
        std::filesystem::create_directories(ShotDir);
        // A private X server; -displayfd tells which display it took.
        int fds[2];
        if (pipe(fds) != 0) {
            why = "cannot make a pipe";
            return false;
        }
        xvfb = Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"}, "", "/dev/null",
                     fds[1]);
        close(fds[1]);
        std::string number;
        char c;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (xvfb <= 0 || number.empty()) {
            why = "Xvfb did not start";
            return false;
        }
        display = ":" + number;
        setenv("DISPLAY", display.c_str(), 1);

        stdoutPath = ShotDir + "/stdout-" + std::to_string(getpid()) + ".txt";
        game = Spawn({GameProgram()}, workDir, stdoutPath);
        if (game <= 0) {
            why = GameProgram() + " did not start";
            return false;
        }
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (Clock::now() < deadline) {
            std::string found = Run("xdotool search --name '^Corvane$'");
            std::istringstream lines(found);
            if (lines >> window)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        if (window.empty()) {
            why = "no window titled \"Corvane\" appeared within 60 s";
            return false;
        }
        return frames.Watch(display, std::stoul(window), why);
    }

    std::string Geometry() { return Run("xdotool getwindowgeometry " + window); }

    // Keeps a capture as NAME.png, for looking at failures.
    static void Keep(const std::string& name, const Image& image)
    {
        if (!image.Valid())
            return;
        std::vector<gltest::Rgba> rgba(static_cast<size_t>(image.width) * image.height);
        for (int y = 0; y < image.height; y++)
            for (int x = 0; x < image.width; x++) {
                const unsigned char* p = image.At(x, y);
                rgba[static_cast<size_t>(image.height - 1 - y) * image.width + x] = {p[0], p[1], p[2], 255};
            }
        gltest::SavePng(ShotDir + "/" + name + ".png", rgba, image.width, image.height);
    }

    // Frames as the game presents them until one passes test() or the
    // deadline passes (a hang); the last is kept as NAME.png and in last.
    bool WaitFor(const std::string& name, std::function<bool(const Image&)> test, Image& last, int seconds = 120)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(seconds);
        do {
            const Image next = frames.Next(seconds);
            if (next.Valid())
                last = next;
            if (last.Valid() && test(last)) {
                Keep(name, last);
                return true;
            }
        } while (Clock::now() < deadline);
        Keep(name, last);
        return false;
    }

    // The first frame that shows the input just sent, kept as NAME.png.
    Image AfterInput(const std::string& name)
    {
        const Image image = frames.AfterInput(HangSeconds);
        Keep(name, image);
        return image;
    }

    // A number of frames presented after this call: the game runs.
    bool Presents(int count)
    {
        frames.Forget();
        for (int i = 0; i < count; i++) {
            if (!frames.Next(HangSeconds).Valid())
                return false;
        }
        return true;
    }

    WindowFrames frames;

    void Xdo(const std::string& arguments) { Run("xdotool " + arguments); }

    // Pointer motion through XTest, relative to the window's top-left corner.
    void MoveTo(int x, int y) { Xdo("mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y)); }

    std::string Stdout()
    {
        std::ifstream in(stdoutPath, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    bool Running()
    {
        int status;
        if (game > 0 && Ended(game, status)) {
            gameStatus = status;
            game = -1;
        }
        return game > 0;
    }

    // Ends the X server and waits for the game; returns its wait status, or -1 on timeout.
    int EndServerAndWait(int seconds)
    {
        frames.Close();
        if (xvfb > 0) {
            kill(xvfb, SIGTERM);
            waitpid(xvfb, nullptr, 0);
            xvfb = -1;
        }
        const auto deadline = Clock::now() + std::chrono::seconds(seconds);
        while (Clock::now() < deadline) {
            if (!Running())
                return gameStatus;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return -1;
    }

    void Stop()
    {
        frames.Close();
        if (game > 0) {
            kill(game, SIGKILL);
            waitpid(game, nullptr, 0);
            game = -1;
        }
        if (xvfb > 0) {
            kill(xvfb, SIGTERM);
            waitpid(xvfb, nullptr, 0);
            xvfb = -1;
        }
    }

    std::string window;

private:
    pid_t xvfb = -1;
    pid_t game = -1;
    int gameStatus = 0;
    std::string display;
    std::string stdoutPath;
};

}  // namespace

TEST(GameEndToEnd, PlayedThroughTheXServer)
{
    GameSession session;
    std::string why;
    ASSERT_TRUE(session.Start(why)) << why;
    EXPECT_NE(std::string::npos, session.Geometry().find("800x600")) << session.Geometry();

    // The start: sky above, terrain below, the ship just below the centre.
    // The pointer comes to the centre, where the camera put it: the view stays.
    Image start;
    ASSERT_TRUE(session.WaitFor("01-start", SkyAboveTerrain, start))
        << "condition not met: sky in the upper part and terrain in the lower part at the start";
    session.MoveTo(400, 300);
    start = session.AfterInput("01-start");

    // Left click: a bullet in flight, a white sphere ahead of the ship in the
    // first frames after the click (a tick moves it at most 100 units), that
    // recedes towards the centre; the second frame presented after the click
    // is drawn after it. Nothing else changes in the view meanwhile. A frame
    // the test was too busy to read is made up for by another shot.
    int white = 0;
    Image shot;
    for (int attempt = 0; attempt < 3 && white < 6; attempt++) {
        session.frames.Forget();
        session.Xdo("click 1");
        for (int frame = 0; frame < 3 && white < 6; frame++) {
            const Image image = session.frames.Next(HangSeconds);
            const int count = NewWhitePixels(start, image, AheadOfShip);
            if (count > white) {
                white = count;
                shot = image;
            }
        }
    }
    GameSession::Keep("01-bullet", shot);
    EXPECT_GE(white, 6) << "condition not met: a white sphere ahead of the ship just after a left click";

    // Pointer moved right with no button held: the view turns.
    session.MoveTo(440, 300);
    const Image turned = session.AfterInput("02-turned-right");
    EXPECT_GT(Difference(start, turned, Whole), 4) << "condition not met: the view turns when the pointer moves right";

    // Pointer moved down: the view tilts 60 degrees down, more ground, less sky.
    const double topSkyBefore = Measure(turned, Top).b - Measure(turned, Top).r;
    session.MoveTo(440, 360);
    const Image tilted = session.AfterInput("03-tilted-down");
    EXPECT_LT(Measure(tilted, Top).b - Measure(tilted, Top).r, topSkyBefore - 5)
        << "condition not met: moving the pointer down tilts the view towards the ground";

    // Fired this steeply from the ship's height, a shot comes down to the
    // target layer in ten units of dt and bursts in sight (the game moves it
    // in steps of at most one unit, so it cannot pass through the layer
    // between two frames); the explosion lives some sixty units, so it is on
    // two frames at least, however long the ticks. Each shot is watched for
    // 30 frames, more than a fast machine takes to bring it down and spread it.
    int burstPixels = 0;
    Image burst;
    for (int attempt = 0; attempt < 3 && burstPixels < 40; attempt++) {
        session.frames.Forget();
        session.Xdo("click 1");
        for (int frame = 0; frame < 30 && burstPixels < 40; frame++) {
            const Image image = session.frames.Next(HangSeconds);
            const int count = NewExplosionPixels(tilted, image);
            if (count > burstPixels) {
                burstPixels = count;
                burst = image;
            }
        }
    }
    GameSession::Keep("05-explosion", burst);
    EXPECT_GE(burstPixels, 40) << "condition not met: red-to-orange explosion points after left clicks that reach the ground";
    Image after;
    EXPECT_TRUE(session.WaitFor("06-explosion-gone", [&](const Image& image) {
        return NewExplosionPixels(tilted, image) < 10;
    }, after)) << "condition not met: the explosion dies away";

    // Turned round, level, towards the middle of the terrain: ground to the
    // horizon for the ship checks (this view costs the most to draw).
    session.MoveTo(620, 300);
    const Image chase = session.AfterInput("07-chase");

    // Right button held: the ship seen from the front; released: from behind again.
    session.Xdo("mousedown 3");
    const Image front = session.AfterInput("08-look-back");
    EXPECT_GT(Difference(chase, front, ShipArea), 8) << "condition not met: holding the right button shows the ship from the front";
    session.Xdo("mouseup 3");
    const Image behind = session.AfterInput("09-chase-again");
    EXPECT_LT(Difference(chase, behind, ShipArea), Difference(chase, front, ShipArea) / 2)
        << "condition not met: releasing the right button shows the ship from behind again";

    // Space held: the ship moves, so the ground under it shifts.
    session.Xdo("keydown space");
    Image moved;
    EXPECT_TRUE(session.WaitFor("11-thrust", [&](const Image& image) {
        return Difference(behind, image, Bottom) > 6;
    }, moved)) << "condition not met: holding space moves the ship over the ground";
    session.Xdo("keyup space");

    // Standard output: the model loader's lines for the ship, nothing else.
    EXPECT_TRUE(session.Running()) << "the game ended during play";
    const std::string out = session.Stdout();
    EXPECT_TRUE(IsShipLoaderOutput(out)) << "standard output was:\n" << out;

    // Ending the X server ends the game without a crash.
    const int status = session.EndServerAndWait(30);
    ASSERT_NE(-1, status) << "the game did not end after its X server went away";
    EXPECT_FALSE(WIFSIGNALED(status) && (WTERMSIG(status) == SIGSEGV || WTERMSIG(status) == SIGABRT ||
                                         WTERMSIG(status) == SIGBUS || WTERMSIG(status) == SIGFPE))
        << "the game crashed with signal " << WTERMSIG(status);
}

// The first view a player gets, and the loader's lines: sky above, terrain
// below, the textured ship just below the centre. The install tests run this
// on an installed game started from an unrelated folder.
TEST(GameEndToEnd, StartsWithSkyTerrainAndShip)
{
    GameSession session;
    std::string why;
    ASSERT_TRUE(session.Start(why)) << why;

    Image start;
    EXPECT_TRUE(session.WaitFor("30-start", [](const Image& image) {
        return SkyAboveTerrain(image) && CountPixels(image, ShipWithWings, IsShipRed) >= 60;
    }, start)) << "condition not met: sky above, terrain below and the ship's red stripes just below the centre";
    // Still running some frames later.
    EXPECT_TRUE(session.Presents(3)) << "the game stopped drawing at the start";
    EXPECT_TRUE(session.Running()) << "the game ended at the start";
    const std::string out = session.Stdout();
    EXPECT_TRUE(IsShipLoaderOutput(out)) << "standard output was:\n" << out;
}

// Started in an empty folder the game still opens its window, reports the
// missing model with the loader's line, and runs: a white, untextured sky and
// a flat, untextured grey ground, no ship.
TEST(GameEndToEnd, RunsWithEveryAssetMissing)
{
    gltest::TempDir empty;
    GameSession session;
    std::string why;
    ASSERT_TRUE(session.Start(why, empty.Path())) << why;

    Image frame;
    EXPECT_TRUE(session.WaitFor("20-no-assets", [](const Image& image) {
        const Stats top = Measure(image, Top), bottom = Measure(image, Bottom);
        const bool whiteSky = top.r > 240 && top.g > 240 && top.b > 240;
        const bool greyGround = std::abs(bottom.r - 128) < 12 && std::abs(bottom.g - 128) < 12 &&
                                std::abs(bottom.b - 128) < 12;
        return whiteSky && greyGround;
    }, frame)) << "condition not met: white sky above and flat grey ground below without assets";

    // Still running some frames later, after the pointer has steered.
    session.MoveTo(420, 320);
    session.AfterInput("21-no-assets-steered");
    EXPECT_TRUE(session.Presents(3)) << "the game stopped drawing without its assets";
    EXPECT_TRUE(session.Running()) << "the game ended without its assets";

    const std::string out = session.Stdout();
    const std::string start = "Error parsing 'Ship2.dae': '";
    EXPECT_TRUE(out.compare(0, start.size(), start) == 0 && out.size() >= start.size() + 2 &&
                out.compare(out.size() - 2, 2, "'\n") == 0 && std::count(out.begin(), out.end(), '\n') == 1)
        << "standard output was:\n" << out;
}
