// One axis of one pedal unit: its live values and its settings, in the unit's own units.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "pedal/ChannelGUIInfo.h"

namespace pedal {

// The response-curve type in force. A unit may report any 32-bit value; only 0..3 are known.
enum class CALCTYPE : std::int32_t {
    Linear = 0,
    Exponential = 1,
    OnePoint = 2,
    MultiPoint = 3,
};

// Axis numbers as the configuration message names them.
inline constexpr int ClutchIndex = 0;
inline constexpr int BreakIndex = 1;
inline constexpr int ThrottleIndex = 2;

class Channel {
public:
    // Builds the channel of axis `ChannelIndex` (0 clutch, 1 brake, 2 throttle) with the
    // default settings and its pedal's drawing geometry as registered now.
    explicit Channel(int ChannelIndex);

    // Live values, 0..65535 (set only by a values message).
    std::int32_t ChannelValue;            // raw position
    std::int32_t ChannelValueDeadZone;    // after calibration and dead zones
    std::int32_t ChannelValueCalculated;  // after the response curve
    // Settings.
    std::int32_t CalibMin;          // raw position at rest
    std::int32_t CalibMax;          // raw position fully pressed
    std::int32_t DeadZoneMin;       // hundredths of a percent of the calibrated span
    std::int32_t DeadZoneMax;       // hundredths of a percent of the calibrated span
    std::int32_t BreakOutputLimit;  // tenths of a percent of full output
    CALCTYPE CalcType;
    std::int32_t Exponent;        // exponent x 1000 + 32767
    std::int32_t OnePointValue;   // tenths of a percent (output of the bend point)
    std::int32_t OnePointOffset;  // tenths of a percent (input of the bend point)
    std::array<std::int32_t, 9> MultiPointArray;  // output at 10 %, 20 %, ... 90 % of travel
    std::int32_t selected;                         // multipoint shown by the point editor
    std::shared_ptr<const ChannelGUIInfo> guiInfo;  // this pedal's drawing geometry

    int ChannelIndex() const { return _ChannelIndex; }

    // Puts every setting back to its default; live values, index and geometry stay.
    void ResetDefault();

    // Registers the pedals' drawing geometry (clutch, brake, throttle) and recreates the
    // shared brushes and pens; channels made afterwards take it.
    static void SetChannelGUIInfo(const ChannelGUIInfo& ch1, const ChannelGUIInfo& ch2,
                                  const ChannelGUIInfo& ch3);

    // Takes every setting of `other` (not its live values, index, `selected` or geometry).
    void AssignSettings(const Channel& other);

    // True when every setting (not the live values, `selected` or the geometry) is equal.
    bool SameSettings(const Channel& other) const;

private:
    int _ChannelIndex;
};

inline constexpr std::array<std::int32_t, 9> DefaultMultiPoints{100, 200, 300, 400, 500,
                                                                600, 700, 800, 900};

}  // namespace pedal
