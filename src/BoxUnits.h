// How the window's number boxes show channel settings, and how a box value becomes a
// setting again. Every value a box can show converts back to the setting it came from:
// conversions round to the nearest stored unit (truncating after a single-precision step
// would store 52 for a dead zone of 0.53).
#pragma once

#include <cmath>
#include <cstdint>

namespace ui {

inline std::int32_t Nearest(double v) { return static_cast<std::int32_t>(std::lround(v)); }

// Start and end dead zones: percent with three decimals <-> hundredths of a percent.
inline std::int32_t DeadZoneFromBox(double percent) { return Nearest(percent * 100.0); }
inline double DeadZoneToBox(std::int32_t field) { return field / 100.0; }
// The brake's end dead zone is shown as the maximum force that remains.
inline std::int32_t BreakForceFromBox(double percent) { return Nearest(10000.0 - percent * 100.0); }
inline double BreakForceToBox(std::int32_t field) { return 100.0 - field / 100.0; }
// Output limit and multipoint values: percent with one decimal <-> tenths of a percent.
inline std::int32_t TenthsFromBox(double percent) { return Nearest(percent * 10.0); }
inline double TenthsToBox(std::int32_t field) { return field / 10.0; }
// Exponent: -32.0..32.0 <-> exponent x 1000 + 32767.
inline std::int32_t ExponentFromBox(double e) { return Nearest(e * 1000.0 + 32767.0); }
inline double ExponentToBox(std::int32_t field) { return (field - 32767) / 1000.0; }
// One-point value and offset: percent above or below the middle <-> 500 + tenths.
inline std::int32_t OnePointFromBox(double v) { return 500 + Nearest(v * 10.0); }
inline double OnePointToBox(std::int32_t field) { return field / 10.0 - 50.0; }

}  // namespace ui
