#include "Particles.h"

#include "0-math/MathUtils.h"

#include <GL/gl.h>

namespace {

constexpr float Gravity = 2.5f;
constexpr float TimeStep = 0.025f;  // explosion time per unit of dt: 40 ticks per unit
constexpr float MinElevation = 30.0f, ElevationRange = 40.0f;  // degrees above the horizontal
constexpr float HeadingRange = 360.0f;                         // degrees
constexpr float SpeedRange = 1.8f, SpeedOffset = -0.8f, SpeedBase = 3.0f;  // 2.2 to 4.0
constexpr int ColourCount = 6;

// Red to orange, opaque.
constexpr float ExplosionColours[ColourCount][4] = {
    {1.0f, 0.0f, 0.0f, 1.0f},
    {1.0f, 0.25f, 0.0f, 1.0f},
    {1.0f, 0.35f, 0.0f, 1.0f},
    {1.0f, 0.5f, 0.0f, 1.0f},
    {1.0f, 0.6f, 0.0f, 1.0f},
    {1.0f, 0.75f, 0.0f, 1.0f},
};

}  // namespace

Particles::Particles() : origin(0.0f, 0.0f, 0.0f), clock(0.0f), liveCount(0)
{
    for (int i = 0; i < ParticleCount; i++) {
        positions[i] = origin;
        times[i] = 0.0f;
        speeds[i][0] = speeds[i][1] = 0.0f;
        headings[i][0] = headings[i][1] = 0.0f;
        colours[i] = SpentColour;
    }
}

void Particles::Init(Vector3f origin)
{
    this->origin = origin;
    for (int i = 0; i < ParticleCount; i++) {
        positions[i] = origin;
        times[i] = 0.0f;

        const float elevation = DegreesToRadians(RandomFloat() * ElevationRange + MinElevation);
        const float heading = DegreesToRadians(RandomFloat() * HeadingRange);
        headings[i][0] = Cosf(heading);
        headings[i][1] = Sinf(heading);

        const float launchSpeed = RandomFloat() * SpeedRange + SpeedOffset + SpeedBase;
        speeds[i][0] = Cosf(elevation) * launchSpeed;
        speeds[i][1] = Sinf(elevation) * launchSpeed;

        colours[i] = RandomInt() % ColourCount;
    }
    clock = 0.0f;
    liveCount = ParticleCount;
}

void Particles::Update(float dt)
{
    for (int i = 0; i < ParticleCount; i++) {
        const float d = speeds[i][0] * clock;
        positions[i].x += headings[i][0] * d;
        positions[i].z += headings[i][1] * d;
        positions[i].y += (speeds[i][1] - times[i] * Gravity) * times[i];

        // Exactly at the origin's height is not spent; once spent, always spent.
        if (origin.y > positions[i].y && colours[i] != SpentColour) {
            colours[i] = SpentColour;
            liveCount--;
        }
        times[i] += dt * TimeStep;
    }
    clock += dt * TimeStep;
}

void Particles::Draw()
{
    // NOTE: texturing stays off afterwards, like the bullets.
    glDisable(GL_TEXTURE_2D);
    glPushMatrix();
        glBegin(GL_POINTS);
        for (int i = 0; i < ParticleCount; i++) {
            if (colours[i] == SpentColour)
                continue;
            glColor4fv(ExplosionColours[colours[i]]);
            glVertex3f(positions[i].x, positions[i].y, positions[i].z);
        }
        glEnd();
    glPopMatrix();
}
