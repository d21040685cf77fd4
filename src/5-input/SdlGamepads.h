#pragma once

#include "GamepadState.h"

#include <SDL.h>

#include <vector>

// The desktop's gamepads, through SDL2's game-controller subsystem with SDL's
// own database of pad mappings (common pads work unconfigured), opened for
// input only: GLUT keeps the window and the loop. SDL stays silent: it logs
// nothing and leaves the process's signals alone (Ctrl-C still ends the
// game). Only pads that SDL maps as game controllers are read.
//
// NOTE: the game's window is GLUT's, not SDL's, so SDL cannot tell whether
// it has the focus: pads are read whichever window has it.
class SdlGamepads {
public:
    SdlGamepads() = default;
    ~SdlGamepads();  // closes the pads and the subsystem, if open
    SdlGamepads(const SdlGamepads&) = delete;
    SdlGamepads& operator=(const SdlGamepads&) = delete;

    // Opens the subsystem. False when SDL cannot (no input devices to read):
    // Read then finds no pad, ever. Pads already plugged in are picked up by
    // the first Read.
    bool Open();

    // Picks up the pads plugged in and drops those unplugged since the last
    // call, then reads those there as one (connected false when none is).
    GamepadState Read();

    int GetCount() const { return static_cast<int>(pads.size()); }  // pads open now

private:
    void Add(int deviceIndex);
    void Remove(SDL_JoystickID instance);

    bool open = false;
    std::vector<SDL_GameController*> pads;  // owned: open until unplugged or closed
};
