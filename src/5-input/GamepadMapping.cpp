#include "GamepadMapping.h"

#include <cmath>

namespace {

constexpr float DtPerSecond = 100.0f;  // dt counts hundredths of a second

// One stick's turn rate, degrees a second, added to right and down.
void AddStick(float x, float y, float& right, float& down)
{
    const float length = std::hypot(x, y);
    // NOTE: written so that a stick reading NaN counts as at rest.
    if (!(length > GamepadMapping::DeadZone))
        return;
    const float tilt = std::fmin(length, 1.0f);
    const float beyond = (tilt - GamepadMapping::DeadZone) / (1.0f - GamepadMapping::DeadZone);
    const float rate = GamepadMapping::MaxTurnRate * std::pow(beyond, GamepadMapping::ResponseExponent);
    right += rate * x / length;
    down += rate * y / length;
}

bool Trigger(float pulled, bool held)
{
    return held ? pulled >= GamepadMapping::TriggerRelease : pulled >= GamepadMapping::TriggerPress;
}

// Both sticks' turn rate, degrees a second, no faster than one at full tilt.
void TurnRate(const GamepadState& pad, float& right, float& down)
{
    right = 0.0f;
    down = 0.0f;
    AddStick(pad.leftX, pad.leftY, right, down);
    AddStick(pad.rightX, pad.rightY, right, down);
    const float rate = std::hypot(right, down);
    if (rate > GamepadMapping::MaxTurnRate) {
        right *= GamepadMapping::MaxTurnRate / rate;
        down *= GamepadMapping::MaxTurnRate / rate;
    }
}

}  // namespace

GamepadMapping::Command GamepadMapping::Map(const GamepadState& pad, const Command& held, float dt)
{
    Command command;
    float right = 0.0f, down = 0.0f;
    TurnRate(pad, right, down);
    command.turnRight = right * dt / DtPerSecond;
    command.turnDown = down * dt / DtPerSecond;
    command.fly = Trigger(pad.rightTrigger, held.fly);
    command.front = Trigger(pad.leftTrigger, held.front);
    command.fire = pad.a;
    return command;
}
