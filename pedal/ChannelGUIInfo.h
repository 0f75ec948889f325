// Drawing geometry and shared drawing resources of the pedals, as plain data (no toolkit).
#pragma once

#include <cstdint>

namespace pedal {

// A width (X) and height (Y) in pixels.
struct Size {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Outer pixel sizes of one pedal's four drawing areas.
struct ChannelGUIInfo {
    Size DeadZoneGUISize;    // the dead-zone bar
    Size InputGUISize;       // the input bar
    Size OutputGUISize;      // the output bar
    Size AdjustmentGUISize;  // the curve plot
    friend bool operator==(const ChannelGUIInfo&, const ChannelGUIInfo&) = default;
};

// A colour as alpha, red, green, blue (0..255 each); alpha 255 is opaque.
struct Argb {
    std::uint8_t A = 255, R = 0, G = 0, B = 0;
    friend bool operator==(const Argb&, const Argb&) = default;
};

// A solid brush is just its colour.
struct Brush {
    Argb Color;
    friend bool operator==(const Brush&, const Brush&) = default;
};

// A pen: its brush's colour and its width in pixels.
struct Pen {
    Argb Color;
    float Width = 1.0f;
    friend bool operator==(const Pen&, const Pen&) = default;
};

}  // namespace pedal
