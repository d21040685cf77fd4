#pragma once

#include <cmath>

// What a gamepad's controls read, in the standard layout (the browser's
// "standard" Gamepad mapping; SDL's game-controller names): the controls the
// game answers, nothing else. Several pads read as one.
struct GamepadState {
    bool connected = false;  // at least one pad is there
    float leftX = 0.0f;      // left stick, -1 to 1, right positive
    float leftY = 0.0f;      // left stick, -1 to 1, down positive
    float rightX = 0.0f;     // right stick, likewise
    float rightY = 0.0f;
    float leftTrigger = 0.0f;   // LT (standard button 6), 0 at rest to 1 pulled fully
    float rightTrigger = 0.0f;  // RT (standard button 7)
    bool a = false;             // A, the lower face button (standard button 0)

    // Takes in another pad: each control as the pad that pushes it furthest
    // has it, buttons held on either.
    void Add(const GamepadState& other)
    {
        connected = connected || other.connected;
        leftX = Furthest(leftX, other.leftX);
        leftY = Furthest(leftY, other.leftY);
        rightX = Furthest(rightX, other.rightX);
        rightY = Furthest(rightY, other.rightY);
        leftTrigger = Furthest(leftTrigger, other.leftTrigger);
        rightTrigger = Furthest(rightTrigger, other.rightTrigger);
        a = a || other.a;
    }

private:
    static float Furthest(float v, float w) { return std::fabs(w) > std::fabs(v) ? w : v; }
};
