#pragma once

class Game;

// The page's gamepads: the browser's Gamepad API, read through Emscripten's
// html5.h once a tick (the loop's tick hook), through the same mapping as
// the window's (GamepadControl). Only pads in the browser's "standard" layout
// are read: another layout's buttons and axes mean whatever their maker
// chose, and a trigger resting at -1 would fly the ship by itself.
//
// While such a pad is connected the page's body has the class "gamepad": the
// page hides its touch buttons (the pad flies and shows the front) and its
// help names the pad's controls; they return when the last pad goes.
class WebGamepad {
public:
    static void Connect(Game& game);  // game is played by the pads from the next tick
    static void Tick(float played);   // the loop's tick hook
};
