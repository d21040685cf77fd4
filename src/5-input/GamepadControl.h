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
    // One tick of dt (as the loop measures it: the turn is over the time
    // Game::PlayedDt plays), for pads read just before it; call before the
    // tick's Game::Update. Turns first, so that a shot goes where the view
    // has turned.
    void Tick(Game& game, const GamepadState& pads, float dt);

private:
    GamepadMapping::Command held;  // the previous tick's command
};
