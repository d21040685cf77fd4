#pragma once

#include "GamepadState.h"

// The one mapping from a gamepad to the game, the same in the window and the
// page. Either stick turns the view as the pointer does (sideways turns, up
// looks up): not at all within DeadZone of its centre, so a resting stick
// never drifts; beyond it at a rate that grows as the tilt's power
// ResponseExponent, slow near the centre for fine aim, up to MaxTurnRate at
// full tilt (both sticks together turn no faster). RT flies while held, A
// fires, LT shows the ship from the front while held (its press fires, as the
// right button's does). Pure: the same state and dt give the same command.
class GamepadMapping {
public:
    static constexpr float MaxTurnRate = 180.0f;     // degrees a second, at full tilt
    static constexpr float DeadZone = 0.15f;         // tilt (0 to 1) read as a stick at rest
    static constexpr float ResponseExponent = 2.0f;  // rate = max * (share of the tilt beyond the dead zone)^this
    // A trigger is pressed once pulled TriggerPress of its way and let go
    // below TriggerRelease, so that one held near the point does not flicker.
    static constexpr float TriggerPress = 0.5f;
    static constexpr float TriggerRelease = 0.4f;

    // What the pads ask of the game for one tick.
    struct Command {
        float turnRight = 0.0f;  // degrees, as pointer motion of as many pixels
        float turnDown = 0.0f;
        bool fly = false;    // RT held
        bool front = false;  // LT held
        bool fire = false;   // A held
    };

    // The command for pads read as pad, turning for dt of game time
    // (hundredths of a second); held is the previous tick's command (its
    // trigger levels).
    static Command Map(const GamepadState& pad, const Command& held, float dt);
};
