#pragma once

#include "0-math/Vector3f.h"

// One explosion: ParticleCount coloured points thrown up and outwards from
// origin, rising and falling back, each one spent (no longer drawn) once it
// drops below origin's height. All particles live inside the object (about
// 70 KB), so explosions are created with new.
class Particles {
public:
    static constexpr int ParticleCount = 2000;
    static constexpr int SpentColour = 7;  // a marker only; no colour is looked up for it

    // An explosion already over: every particle spent at (0, 0, 0), at rest,
    // time 0, so the queries answer defined values before Init.
    Particles();

    // Every particle at origin with time 0; each draws four values from the
    // game's random generator, in the order elevation, heading, launch speed,
    // colour (so successive explosions continue the one sequence).
    void Init(Vector3f origin);

    // Advances every particle, spent or not. NOTE: the displacement is speed
    // times the explosion's elapsed time, not times dt, so the first update
    // moves nothing and later steps grow with time.
    void Update(float dt);

    // Every particle not spent as one point in its colour. NOTE: switches 2D
    // texturing off and leaves it off.
    void Draw();

    // True once every particle is spent: Draw then emits nothing, now and later.
    bool IsSpent() const { return liveCount == 0; }
    int GetLiveCount() const { return liveCount; }

    Vector3f GetOrigin() const { return origin; }
    Vector3f GetPosition(int i) const { return positions[i]; }
    float GetTime(int i) const { return times[i]; }
    float GetHorizontalSpeed(int i) const { return speeds[i][0]; }
    float GetVerticalSpeed(int i) const { return speeds[i][1]; }
    float GetHeadingCos(int i) const { return headings[i][0]; }
    float GetHeadingSin(int i) const { return headings[i][1]; }
    int GetColour(int i) const { return colours[i]; }
    float GetClock() const { return clock; }

private:
    Vector3f origin;                      // where the explosion started
    Vector3f positions[ParticleCount];    // current position of each particle
    float times[ParticleCount];           // each particle's elapsed time (all equal clock)
    float speeds[ParticleCount][2];       // horizontal, then vertical launch speed
    float headings[ParticleCount][2];     // cos (applies to x), sin (applies to z) of the heading
    int colours[ParticleCount];           // index into the explosion colours, or SpentColour
    float clock;                          // elapsed time of the whole explosion
    int liveCount;                        // particles not yet spent
};
