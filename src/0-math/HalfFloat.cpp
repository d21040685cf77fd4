#include "HalfFloat.h"

#include <cstring>

namespace {

std::uint32_t BitsOf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float FloatOf(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

std::uint16_t HalfFloat::FromFloat(float value)
{
    const std::uint32_t bits = BitsOf(value);
    const std::uint16_t sign = static_cast<std::uint16_t>((bits >> 16) & 0x8000u);
    const std::uint32_t magnitude = bits & 0x7FFFFFFFu;

    if (magnitude >= 0x7F800000u)  // infinity or NaN
        return static_cast<std::uint16_t>(sign | 0x7C00u | (magnitude > 0x7F800000u ? 0x200u : 0u));
    if (magnitude >= 0x477FF000u)  // rounds beyond the largest half, 65504
        return static_cast<std::uint16_t>(sign | 0x7C00u);

    const int exponent = static_cast<int>(magnitude >> 23) - 127;
    std::uint32_t mantissa = (magnitude & 0x7FFFFFu) | 0x800000u;
    int shift;  // bits of the 24-bit mantissa that the half drops
    std::uint32_t halfExponent;
    if (exponent >= -14) {
        shift = 13;
        halfExponent = static_cast<std::uint32_t>(exponent + 15);
    } else {
        if (exponent < -25)  // below half the smallest subnormal: zero
            return sign;
        shift = 13 + (-14 - exponent);
        halfExponent = 0;
    }
    std::uint32_t result = mantissa >> shift;
    const std::uint32_t rest = mantissa & ((1u << shift) - 1u);
    const std::uint32_t halfway = 1u << (shift - 1);
    if (rest > halfway || (rest == halfway && (result & 1u)))
        result++;  // may carry into the exponent, which is what rounding up means
    if (halfExponent == 0)
        return static_cast<std::uint16_t>(sign | result);
    return static_cast<std::uint16_t>(sign | ((halfExponent << 10) + (result - 0x400u)));
}

float HalfFloat::ToFloat(std::uint16_t half)
{
    const std::uint32_t sign = static_cast<std::uint32_t>(half & 0x8000u) << 16;
    const std::uint32_t exponent = (half >> 10) & 0x1Fu;
    std::uint32_t mantissa = half & 0x3FFu;
    if (exponent == 0x1Fu)
        return FloatOf(sign | 0x7F800000u | (mantissa << 13));
    if (exponent != 0)
        return FloatOf(sign | ((exponent + 112u) << 23) | (mantissa << 13));
    if (mantissa == 0)
        return FloatOf(sign);
    // Subnormal: normalise into a float.
    int e = -1;
    do {
        e++;
        mantissa <<= 1;
    } while ((mantissa & 0x400u) == 0);
    return FloatOf(sign | ((112u - static_cast<std::uint32_t>(e)) << 23) | ((mantissa & 0x3FFu) << 13));
}
