#pragma once

#include "ReplayCommand.h"

#include <string>
#include <vector>

class Game;

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

    // Plays one command. False, with a sentence in error, when a frame cannot be saved.
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
    std::vector<unsigned char> pixels;  // RGB rows of the last saved frame, bottom row first
};
