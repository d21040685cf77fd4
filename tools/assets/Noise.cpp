#include "Noise.h"

#include <cmath>

namespace noise {

namespace {

std::uint32_t Hash(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// Eight unit-ish gradient directions.
const double GradientX[8] = {1, -1, 1, -1, 0.7071067811865476, -0.7071067811865476, 0.7071067811865476, -0.7071067811865476};
const double GradientY[8] = {0, 0, 1, -1, 0.7071067811865476, 0.7071067811865476, -0.7071067811865476, -0.7071067811865476};

double Fade(double t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

int Wrap(int i, int period)
{
    if (period <= 0)
        return i;
    const int m = i % period;
    return m < 0 ? m + period : m;
}

double Corner(int ix, int iy, double dx, double dy, std::uint32_t seed, int period)
{
    const std::uint32_t h = Hash(Wrap(ix, period), Wrap(iy, period), seed) & 7u;
    return GradientX[h] * dx + GradientY[h] * dy;
}

}  // namespace

double Gradient2(double x, double y, std::uint32_t seed, int period)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const double dx = x - fx;
    const double dy = y - fy;
    const double u = Fade(dx);
    const double v = Fade(dy);
    const double a = Corner(ix, iy, dx, dy, seed, period);
    const double b = Corner(ix + 1, iy, dx - 1, dy, seed, period);
    const double c = Corner(ix, iy + 1, dx, dy - 1, seed, period);
    const double d = Corner(ix + 1, iy + 1, dx - 1, dy - 1, seed, period);
    return 1.4142135623730951 * Mix(Mix(a, b, u), Mix(c, d, u), v);
}

double Fractal2(double x, double y, int octaves, double gain, std::uint32_t seed, int period)
{
    double sum = 0;
    double amplitude = 1;
    double total = 0;
    for (int k = 0; k < octaves; k++) {
        sum += amplitude * Gradient2(x, y, seed + 101u * static_cast<std::uint32_t>(k), period);
        total += amplitude;
        amplitude *= gain;
        x *= 2;
        y *= 2;
        if (period > 0)
            period *= 2;
    }
    return sum / total;
}

double Ridged2(double x, double y, int octaves, std::uint32_t seed)
{
    double sum = 0;
    double amplitude = 1;
    double total = 0;
    double weight = 1;
    for (int k = 0; k < octaves; k++) {
        double n = 1 - std::fabs(Gradient2(x, y, seed + 131u * static_cast<std::uint32_t>(k)));
        n = n * n * weight;
        weight = n < 1 ? n : 1;  // crests carry the finer octaves, valleys stay smooth
        sum += amplitude * n;
        total += amplitude;
        amplitude *= 0.5;
        x *= 2;
        y *= 2;
    }
    return sum / total;
}

double Random(int x, int y, std::uint32_t seed)
{
    return Hash(x, y, seed ^ 0x5BD1E995u) / 4294967296.0;
}

double SmoothStep(double edge0, double edge1, double x)
{
    double t = (x - edge0) / (edge1 - edge0);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return t * t * (3 - 2 * t);
}

double Mix(double a, double b, double t)
{
    return a + (b - a) * t;
}

}  // namespace noise
