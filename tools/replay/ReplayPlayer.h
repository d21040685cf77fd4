#pragma once

#include "ReplayCommand.h"

#include <string>
#include <vector>

class Game;
class ReplayAudio;

// Plays replay commands on a Game the way the window's GLUT loop delivers
// events: a tick runs Update and then draws the frame (clear, Render), input
// goes to the game's handlers with the current pointer position, and the
// redraw that pointer motion and keys ask for is merged into the next drawn
// frame, so they draw nothing themselves. Frames are drawn into the current
// context's back buffer, which is never swapped.
class ReplayPlayer {
public:
    // game: initialised, its context current, in a window of width x height.
    // outDir: an existing folder that receives the saved frames.
    ReplayPlayer(Game& game, int width, int height, std::string outDir);

    // Records the sound of every tick from now on (after its Update, before
    // its frame); null records none.
    void SetAudio(ReplayAudio* recorder) { audio = recorder; }

    // Plays one command. False, with a sentence in error, when a frame or the
    // sound cannot be saved.
    bool Play(const ReplayCommand& command, std::string& error);

    int GetFramesSaved() const { return framesSaved; }

private:
    void Draw();  // the window's display callback without the swap
    bool SaveFrame(const std::string& name, std::string& error);

    Game& game;
    int width;
    int height;
    std::string outDir;
    int pointerX;  // window pixels, origin top left; the camera starts it at the centre
    int pointerY;
    int framesSaved = 0;
    ReplayAudio* audio = nullptr;  // not owned
    std::vector<unsigned char> pixels;  // RGB rows of the last saved frame, bottom row first
};
