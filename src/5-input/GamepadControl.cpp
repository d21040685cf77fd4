#include "GamepadControl.h"

#include "4-game/Game.h"

void GamepadControl::Tick(Game& game, const GamepadState& pads, float played)
{
    const GamepadMapping::Command now = GamepadMapping::Map(pads, held, played);
    // A stick at rest leaves the view alone, and with it everything the
    // pointer sees.
    if (now.turnRight != 0.0f || now.turnDown != 0.0f)
        game.Turn(now.turnRight, now.turnDown);
    if (now.fly != held.fly)
        game.OnPadThrust(now.fly);
    if (now.front != held.front)
        game.OnPadFront(now.front);
    if (now.fire && !held.fire)
        game.OnPadFire();
    held = now;
}
