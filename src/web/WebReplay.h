#pragma once

#include "ReplayCommand.h"
#include "ReplayScript.h"

#include <memory>
#include <sstream>
#include <string>

class Game;

// A replay script, in the form corvane-replay reads (ReplayScript), played in
// the page in place of the clock and the player, as the desktop tool plays
// it: a tick runs Update and draws the frame (clear, Render), pointer,
// button and key commands go to the game's handlers and draw nothing, and
// `frame NAME` draws the frame and hands it to the page under NAME
// (WebPage::FrameDrawn). Every draw has an animation frame of its own, so the
// canvas shows the flight as it plays; a tick of dt starts no sooner than dt
// after the one before, so a replay never plays faster than the game would.
// The page is told when the script has ended (Module.replay.end).
class WebReplay {
public:
    // Takes the script's bytes and checks it to its end, as the desktop tool
    // does before it plays; name stands for the script in messages. False
    // with "NAME:LINE: what is wrong" in error.
    bool Load(std::string text, const std::string& name, std::string& error);

    // Starts playing the loaded script on game (initialised, its context
    // current), with the game's other input and drawing switched off; the
    // browser's animation frames carry it on. Call once, after Load succeeded.
    void Play(Game& game);

private:
    static int OnAnimationFrame(double now, void* self);
    // Plays commands up to and including the next that draws; false at the end.
    bool Advance(double now);
    void Draw(const char* name);

    Game* game = nullptr;
    std::string name;
    std::istringstream in;
    std::unique_ptr<ReplayScript> script;
    int pointerX = 0;          // window pixels, origin top left; the camera starts it at the centre
    int pointerY = 0;
    int ticksLeft = 0;         // of the current ticks command
    float tickDt = 0.0f;       // its dt, hundredths of a second
    double notBefore = 0.0;    // milliseconds: the next tick's earliest start
    long ticksPlayed = 0;
};
