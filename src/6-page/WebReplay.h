#pragma once

#include "5-replay/ReplayPlayer.h"
#include "5-replay/ReplayScript.h"

#include <memory>
#include <sstream>
#include <string>

class Game;
class GameSounds;

// A replay script, in the form corvane-replay reads, played in the page in
// place of the clock and the player by the same ReplayPlayer: each drawn
// frame has an animation frame of its own, so the canvas shows the flight as
// it plays, and is handed to the page (WebPage::FrameDrawn) under the name
// of its frame command, if any; a tick of dt starts no sooner than dt after
// the one before, so a replay never plays faster than the game would. The
// game's sounds hear every tick, once the player's first gesture has started
// them. The page is told when the script has ended (Module.replay.end).
class WebReplay {
public:
    // Plays the replay script the page holds (Module.replay.bytes, see
    // index.html), if any, on game, heard through sounds. False when it
    // holds none, or one that cannot be played (the page is told why): the
    // caller starts the clock then.
    static bool PlayFromPage(Game& game, GameSounds& sounds);

private:
    // Takes the script's bytes and checks it to its end, as the desktop tool
    // does before it plays; name stands for the script in messages. False
    // with "NAME:LINE: what is wrong" in error.
    bool Load(std::string text, const std::string& name, std::string& error);

    // Starts playing the loaded script on game (initialised, its context
    // current), heard through sounds, with the game's other input and
    // drawing switched off; the browser's animation frames carry it on.
    // Call once, after Load succeeded.
    void Play(Game& game, GameSounds& sounds);
    static int OnAnimationFrame(double now, void* self);

    std::istringstream in;
    std::unique_ptr<ReplayScript> script;
    std::unique_ptr<ReplayPlayer> player;
    double notBefore = 0.0;  // milliseconds: the next frame's earliest start
};
