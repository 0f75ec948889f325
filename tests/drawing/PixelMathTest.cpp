#include "drawing/PixelMath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using drawing::FromBottom;
using drawing::Single;
using drawing::Trunc;

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();

TEST(PixelMath, TruncCutsTowardZeroAndSaturates) {
    const struct {
        double in;
        std::int32_t out;
    } cases[] = {{2.7, 2}, {-2.7, -2}, {0.0, 0},    {-0.5, 0},   {197.99999, 197},
                 {nan, 0}, {inf, max}, {-inf, min}, {1e12, max}, {-1e12, min}};
    for (const auto& c : cases)
        EXPECT_EQ(Trunc(c.in), c.out) << c.in;
}

TEST(PixelMath, FromBottomSubtractsTheTruncatedDistance) {
    const struct {
        std::int32_t h;
        double v;
        std::int32_t out;
    } cases[] = {{198, 99.5, 99}, {198, 0.0, 198}, {198, -1.5, 199},
                 {198, nan, 198}, {0, -inf, max},  {-5, inf, min}};
    for (const auto& c : cases)
        EXPECT_EQ(FromBottom(c.h, c.v), c.out) << c.h << " " << c.v;
}

TEST(PixelMath, SingleKeepsSinglePrecisionOnly) {
    EXPECT_EQ(Trunc(10 * Single(19.8)), 197) << "19.8 as a float is just below 19.8";
    EXPECT_EQ(Trunc(10 * 19.8), 198);
}

}  // namespace
