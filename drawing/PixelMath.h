// The number conversions the paint operations are defined with: truncation toward zero to a
// pixel coordinate, and rounding a quantity to single precision where it is formed.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace drawing {

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);

// Cuts toward zero. Degenerate areas can produce NaN or infinities (0 / 0, x / 0); those
// become 0 or the nearest representable coordinate instead of an undefined conversion.
inline std::int32_t Trunc(double v) {
    constexpr double max = std::numeric_limits<std::int32_t>::max();
    constexpr double min = std::numeric_limits<std::int32_t>::min();
    if (std::isnan(v)) return 0;
    if (v >= max) return std::numeric_limits<std::int32_t>::max();
    if (v <= min) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

// h - trunc(v): a distance `v` measured up from the bottom edge `h`, as a coordinate that
// grows downwards. Saturates like Trunc.
inline std::int32_t FromBottom(std::int32_t h, double v) {
    const std::int64_t y = std::int64_t{h} - Trunc(v);
    if (y > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (y < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(y);
}

// The value as single precision holds it, widened back for further double arithmetic.
inline double Single(double v) {
    return static_cast<double>(static_cast<float>(v));
}

}  // namespace drawing
