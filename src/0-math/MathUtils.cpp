#include "MathUtils.h"

#include <cmath>

float DegreesToRadians(float degrees) { return static_cast<float>(degrees * Pi / 180.0); }
float RadiansToDegrees(float radians) { return static_cast<float>(radians * 180.0 / Pi); }

float Sqrtf(float v) { return static_cast<float>(std::sqrt(static_cast<double>(v))); }
float Sinf(float v) { return static_cast<float>(std::sin(static_cast<double>(v))); }
float Cosf(float v) { return static_cast<float>(std::cos(static_cast<double>(v))); }
float Atan2f(float y, float x) { return static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x))); }
float Fabsf(float v) { return static_cast<float>(std::fabs(static_cast<double>(v))); }

namespace {
unsigned long randomState = 1;
}

int RandomInt()
{
    randomState = (randomState * 1103515245ul + 12345ul) & 0xFFFFFFFFul;
    return static_cast<int>((randomState / 65536ul) % 32768ul);
}

void ResetRandom()
{
    randomState = 1;
}

float RandomFloat()
{
    return static_cast<float>(RandomInt() / 32767.0);
}
