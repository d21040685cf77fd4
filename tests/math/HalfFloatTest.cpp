// Half floats: exact for every value a half holds, rounded otherwise.
#include "0-math/HalfFloat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(HalfFloat, EveryHalfSurvivesTheRoundTripThroughFloat)
{
    for (unsigned bits = 0; bits <= 0xFFFF; bits++) {
        const auto half = static_cast<std::uint16_t>(bits);
        const float value = HalfFloat::ToFloat(half);
        if (std::isnan(value))
            continue;
        ASSERT_EQ(half, HalfFloat::FromFloat(value)) << "half 0x" << std::hex << bits << " = " << value;
    }
}

TEST(HalfFloat, KnownValuesAndRounding)
{
    EXPECT_EQ(0x3C00u, HalfFloat::FromFloat(1.0f));
    EXPECT_EQ(0xC000u, HalfFloat::FromFloat(-2.0f));
    EXPECT_EQ(0x7BFFu, HalfFloat::FromFloat(65504.0f));     // the largest half
    EXPECT_EQ(0x7C00u, HalfFloat::FromFloat(65520.0f));     // rounds up to infinity
    EXPECT_EQ(0x0001u, HalfFloat::FromFloat(5.9604645e-8f));  // the smallest subnormal
    EXPECT_EQ(0x0000u, HalfFloat::FromFloat(1e-9f));
    EXPECT_EQ(0x3C00u, HalfFloat::FromFloat(1.0f + 1.0f / 4096));  // a tie rounds to even
    EXPECT_EQ(0x3C01u, HalfFloat::FromFloat(1.0f + 3.0f / 4096));
    EXPECT_FLOAT_EQ(0.33325195f, HalfFloat::ToFloat(HalfFloat::FromFloat(1.0f / 3)));
    EXPECT_TRUE(std::isinf(HalfFloat::ToFloat(HalfFloat::FromFloat(std::numeric_limits<float>::infinity()))));
    EXPECT_TRUE(std::isnan(HalfFloat::ToFloat(HalfFloat::FromFloat(std::numeric_limits<float>::quiet_NaN()))));
}

// The terrain relies on these being exact: heights and shades of every
// sample, texture coordinates and positions of every row and column.
TEST(HalfFloat, TerrainValuesAreExact)
{
    const float heightScale = 256.0f / (-80.0f / 4.0f);
    for (int sample = 0; sample < 256; sample++) {
        const float y = sample / heightScale;
        EXPECT_TRUE(HalfFloat::IsExact(y)) << sample;
        EXPECT_TRUE(HalfFloat::IsExact(0.5f * y / -80.0f + 0.5f)) << sample;
    }
    for (int i = 0; i < 1024; i++) {
        EXPECT_TRUE(HalfFloat::IsExact(static_cast<float>(i) / 1024 * 8)) << i;
        EXPECT_TRUE(HalfFloat::IsExact(static_cast<float>(i - 512))) << i;
    }
}
