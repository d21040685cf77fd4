// corvane-replay SCRIPT OUTDIR [--assets DIR] [--audio]
//
// Plays the whole game from a script instead of a person and a clock, in a
// window that is never shown, and saves the frames the script names as PNG
// files in OUTDIR; with --audio also the sound of the whole flight, as
// OUTDIR/audio.wav. The script is checked to its end before anything runs, so
// a bad one writes no frame at all.
#include "ReplayAudio.h"

#include "0-math/MathUtils.h"
#include "4-game/DataDirectory.h"
#include "4-game/Game.h"
#include "4-game/GlWindow.h"
#include "5-replay/ReplayPlayer.h"
#include "5-replay/ReplayScript.h"

#include <GL/glew.h>
#include <stb_image_write.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int WindowWidth = GlWindow::Width;
constexpr int WindowHeight = GlWindow::Height;

const char* Usage = "usage: corvane-replay SCRIPT OUTDIR [--assets DIR] [--audio]\n";

// Installed, the tool plays the installed game's assets; from the build tree,
// this checkout's, which the build names relative to the tool's own folder
// (CORVANE_DEFAULT_ASSETS) so the program holds no path of the machine that
// built it.
std::string DefaultAssets()
{
    const std::string installed = DataDirectory::Find();
    if (!installed.empty())
        return installed;
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return CORVANE_DEFAULT_ASSETS;
    return (executable.parent_path() / CORVANE_DEFAULT_ASSETS).lexically_normal().string();
}

struct Options {
    std::string script;      // as given, for messages
    std::string scriptPath;  // absolute, for reading after the working directory changes
    std::string outDir;
    std::string assets = DefaultAssets();
    bool audio = false;      // record OUTDIR/audio.wav
};

// Bad arguments, script, assets or output folder.
constexpr int BadInput = 2;
// No display or no usable OpenGL (or, for --audio, no OpenAL loopback device).
constexpr int NoOpenGl = 1;

int Fail(int status, const std::string& sentence)
{
    std::fprintf(stderr, "corvane-replay: %s\n", sentence.c_str());
    return status;
}

bool ParseArguments(int argc, char** argv, Options& options, std::string& error)
{
    int positional = 0;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (arg == "--assets") {
            if (i + 1 >= argc) {
                error = "option --assets needs a folder";
                return false;
            }
            options.assets = argv[++i];
        } else if (arg == "--audio") {
            options.audio = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + arg + "'";
            return false;
        } else if (positional == 0) {
            options.script = arg;
            positional++;
        } else if (positional == 1) {
            options.outDir = arg;
            positional++;
        } else {
            error = "unexpected argument '" + arg + "'";
            return false;
        }
    }
    if (positional < 2) {
        error = positional == 0 ? "no script given" : "no output folder given";
        return false;
    }
    return true;
}

// Opens the script for a pass over it; false with a sentence in error.
bool OpenScript(const std::string& path, std::ifstream& in, std::string& error)
{
    std::error_code code;
    if (fs::is_directory(path, code)) {
        error = "cannot read the script '" + path + "': it is a folder";
        return false;
    }
    errno = 0;
    in.open(path, std::ios::binary);
    if (!in) {
        error = "cannot read the script '" + path + "': " +
                (errno != 0 ? std::strerror(errno) : "it does not exist or is not readable");
        return false;
    }
    return true;
}

// Reads the whole script; false with the first fault in error. With audio,
// the sound of the flight must fit in one WAVE file.
bool CheckScript(const std::string& path, bool audio, std::string& error)
{
    std::ifstream in;
    if (!OpenScript(path, in, error))
        return false;
    double played = 0.0;  // units of dt
    if (!ReplayPlayer::Check(in, path, error, played))
        return false;
    const double bytes = (played * ReplayAudio::FramesPerDt + 1.0) * AudioDevice::Channels * 2;
    if (audio && bytes > static_cast<double>(WavWriter::MaxDataBytes)) {
        error = path + ": the script plays " + std::to_string(static_cast<long>(played / 360000.0)) +
                " hours of game time, more sound than one WAVE file holds (6.7 hours)";
        return false;
    }
    return true;
}

// Creates the folder if missing and checks that files can be made in it.
bool PrepareOutDir(const std::string& path, std::string& error)
{
    std::error_code code;
    fs::create_directories(path, code);
    if (code || !fs::is_directory(path, code)) {
        error = "cannot make the output folder '" + path + "': " +
                (code ? code.message() : std::string("a file of that name is in the way"));
        return false;
    }
    if (access(path.c_str(), W_OK | X_OK) != 0) {
        error = "cannot write into the output folder '" + path + "'";
        return false;
    }
    return true;
}

// Saves the frame just drawn into the back buffer as OUTDIR/NAME.png; false
// with a sentence in error.
bool SaveFrame(const std::string& outDir, const std::string& name, std::string& error)
{
    constexpr int stride = WindowWidth * 3;
    static std::vector<unsigned char> pixels(static_cast<size_t>(stride) * WindowHeight);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, WindowWidth, WindowHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());

    // OpenGL rows run bottom to top, PNG rows top to bottom.
    const std::string path = outDir + "/" + name + ".png";
    const unsigned char* last = pixels.data() + static_cast<size_t>(WindowHeight - 1) * stride;
    errno = 0;
    if (stbi_write_png(path.c_str(), WindowWidth, WindowHeight, 3, last, -stride) == 0) {
        error = "could not write the frame to '" + path + "'" + (errno != 0 ? std::string(": ") + std::strerror(errno) : "");
        return false;
    }
    return true;
}

// Everything after the context exists: the game from the assets folder, then
// the script's second pass. The Game is gone when this returns.
int Play(const Options& options)
{
    std::ifstream in;
    std::string error;
    if (!OpenScript(options.scriptPath, in, error))
        return Fail(BadInput, error);

    std::error_code code;
    fs::current_path(options.assets, code);
    if (code)
        return Fail(BadInput, "cannot enter the assets folder '" + options.assets + "': " + code.message());
    ResetRandom();
    Game game(WindowWidth, WindowHeight);
    game.Init();
    std::fflush(stdout);  // the loader's own lines come first

    ReplayScript script(in, options.script, WindowWidth, WindowHeight);
    ReplayPlayer player(game, script);
    ReplayAudio audio;
    const std::string audioPath = options.outDir + "/audio.wav";
    if (options.audio) {
        if (!audio.Open(game, audioPath, error))
            return Fail(NoOpenGl, error);
        player.SetSounds(&audio.GetSounds());
    }
    int framesSaved = 0;
    ReplayPlayer::Drawn drawn;
    while (player.Advance(drawn)) {
        const bool saved = drawn.dt > 0.0f ? !options.audio || audio.AfterTick(drawn.played, error)
                                           : SaveFrame(options.outDir, drawn.name, error);
        if (!saved)
            return Fail(BadInput, options.script + ":" + std::to_string(drawn.line) + ": " + error);
        if (drawn.dt == 0.0f)
            framesSaved++;
    }
    // The file changed since it was checked.
    if (script.Failed())
        return Fail(BadInput, script.GetError());
    if (options.audio && !audio.Close(error))
        return Fail(BadInput, error);
    std::printf("Frames: %d written to %s\n", framesSaved, options.outDir.c_str());
    if (options.audio)
        std::printf("Sound: written to %s\n", audioPath.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string error;
    if (!ParseArguments(argc, argv, options, error)) {
        std::fprintf(stderr, "corvane-replay: %s\n%s", error.c_str(), Usage);
        return BadInput;
    }
    if (!CheckScript(options.script, options.audio, error))
        return Fail(BadInput, error);
    std::error_code code;
    if (!fs::is_directory(options.assets, code))
        return Fail(BadInput, "the assets folder '" + options.assets + "' does not exist");
    if (!PrepareOutDir(options.outDir, error))
        return Fail(BadInput, error);
    // The game reads its assets relative to the working directory, so every
    // other path is made absolute before it changes.
    options.scriptPath = fs::absolute(options.script, code).string();
    options.outDir = fs::absolute(options.outDir, code).string();

    GlWindow window;
    if (!window.OpenHidden("corvane-replay", error))
        return Fail(NoOpenGl, error);
    return Play(options);
}
