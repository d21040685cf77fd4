#pragma once

#include "GamepadMapping.h"

class Game;

// A game played by gamepads beside the mouse and keys: once a tick, the pads'
// state through GamepadMapping into the game's pad operations (Game::Turn,
// OnPadFire, OnPadThrust, OnPadFront). Presses are edges: A fires once per
// press however long it is held, LT fires once and shows the front while
// held, RT flies while held. A pad that goes (unplugged, or every pad gone)
// lets go of all it held, so the ship never flies on by itself.
class GamepadControl {
public:
    // After a tick's Game::Update, for pads read just now: turns the view for
    // the game time that tick played (what Update returned, so the view
    // turns alike at every frame rate), then presses and lets go, as events
    // between two ticks do. Turns first, so that a shot goes where the view
    // has turned.
    void Tick(Game& game, const GamepadState& pads, float played);

private:
    GamepadMapping::Command held;  // the previous tick's command
};
