#pragma once

// Angle conversion, single-precision maths wrappers and the game's one
// pseudo-random source. Every function here evaluates in double precision on
// its float argument and rounds the result to float.

constexpr double Pi = 3.141592653589793;

float DegreesToRadians(float degrees);
float RadiansToDegrees(float radians);

float Sqrtf(float v);
float Sinf(float v);
float Cosf(float v);
float Atan2f(float y, float x);
float Fabsf(float v);

// The game's pseudo-random integer generator: 0..RandomMax inclusive, the same
// sequence on every platform (the C standard's sample generator), started from
// 1 and never seeded by the game, so every run draws the same values.
constexpr int RandomMax = 32767;
int RandomInt();
void ResetRandom();  // back to the start of the sequence; for tests and tools

// The next RandomInt() divided by 32767: a value in [0, 1], both ends included.
float RandomFloat();
