#pragma once

#include "ReplayCommand.h"

#include <iosfwd>
#include <string>

class Game;
class GameSounds;
class ReplayScript;

// Plays a replay script on a Game the way the window's loop delivers events,
// for the replay tool and the page alike: a tick runs Update, tells the
// game's sounds what it played and draws the frame (clear, Render); pointer,
// button and key commands go to the game's handlers at the current pointer
// and draw nothing (the redraw they ask for is merged into the next drawn
// frame); `frame NAME` draws the frame. Frames go into the current context's
// back buffer, which the player never swaps: the caller shows or saves them.
// It plays one drawn frame at a time, so that the caller sets the pace.
class ReplayPlayer {
public:
    // What a call to Advance drew.
    struct Drawn {
        long line = 0;        // the script's line that drew it
        float dt = 0.0f;      // a tick's dt, hundredths of a second; 0 for a frame command
        float played = 0.0f;  // the game time the tick played (Game::Update), whole units; 0 for a frame command
        std::string name;     // a frame command's name; empty after a tick
    };

    // Reads a whole script, as a player does before it plays, with the
    // window of the game's size. False with "NAME:LINE: what is wrong" in
    // error. playedDt: the game time its ticks play, counted tick by tick in
    // whole steps by the game's own StepClock.
    static bool Check(std::istream& in, const std::string& name, std::string& error, double& playedDt);

    // game: initialised, its context current, in a window of the game's
    // size. script: read from its start; both outlive the player.
    ReplayPlayer(Game& game, ReplayScript& script);

    // Who hears the ticks (GameSounds::Update after each Update); null, the
    // default: nobody. Not owned.
    void SetSounds(GameSounds* listener) { sounds = listener; }

    // Plays the commands up to and including the next that draws, and draws
    // it. False at the end of the script, or at a fault in it (the script
    // tells which).
    bool Advance(Drawn& drawn);

    long GetTicksPlayed() const { return ticksPlayed; }

private:
    void Draw();

    Game& game;
    ReplayScript& script;
    GameSounds* sounds = nullptr;  // not owned
    int pointerX;            // window pixels, origin top left; the camera starts it at the centre
    int pointerY;
    ReplayCommand command;   // the current command
    int ticksLeft = 0;       // of the current ticks command
    long ticksPlayed = 0;
};
