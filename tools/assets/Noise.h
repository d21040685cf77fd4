#pragma once

#include <cstdint>

// Deterministic gradient noise for the asset generator. Only +, -, *, / and
// floor are used, so the same inputs give the same bits on any IEEE machine.
namespace noise {

// Gradient noise in about [-1, 1]; 0 at lattice points. A positive period
// makes it repeat every period units along x and y (for tiling images).
double Gradient2(double x, double y, std::uint32_t seed, int period = 0);

// Fractal sum of octaves of Gradient2, each twice the frequency and gain
// times the amplitude of the previous, normalised to about [-1, 1]. With a
// period, octave k repeats every period * 2^k units, so the sum tiles too.
double Fractal2(double x, double y, int octaves, double gain, std::uint32_t seed, int period = 0);

// Ridged fractal in [0, 1]: sharp crests where the noise crosses zero.
double Ridged2(double x, double y, int octaves, std::uint32_t seed);

// A value in [0, 1) from integer coordinates; the same inputs, the same value.
double Random(int x, int y, std::uint32_t seed);

double SmoothStep(double edge0, double edge1, double x);  // 0 below, 1 above, smooth between
double Mix(double a, double b, double t);                 // a + (b - a) t

}  // namespace noise
