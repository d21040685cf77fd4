#pragma once

// The ground of the game's world, in world units, y up: the terrain is drawn
// from this height down (its samples of 0, its highest points, lie on it,
// those of 255 about 20 lower) and the towers stand on it. Nothing collides
// with the terrain itself; the ship's floor and the layer where bullets burst
// are set from this height.
struct Ground {
    static constexpr float Height = -40.0f;
};
