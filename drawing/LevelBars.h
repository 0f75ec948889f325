// The three live bars of a channel: the dead-zone bar (raw position, calibration and dead
// zones, with a text label), the input bar and the output bar.
#pragma once

#include <string>
#include <string_view>

#include "drawing/Canvas.h"
#include "pedal/Channel.h"

namespace drawing {

// Each draws in its area's own coordinates, with the area's outer size from the channel's
// geometry; the canvas is the inside of the area's 1-pixel border and cuts off what lies
// beyond it. They read the channel only; a channel without geometry draws nothing.
void PaintDeadZone(const pedal::Channel& channel, Canvas& canvas);
void PaintInput(const pedal::Channel& channel, Canvas& canvas);
void PaintOutput(const pedal::Channel& channel, Canvas& canvas);

// The dead-zone bar's label, "50.00% - 32768 (RAW: 40000)" with the given decimal separator.
std::string DeadZoneLabel(const pedal::Channel& channel, std::string_view decimalSeparator);

// The label's font; the surface substitutes a metric-compatible family where it is missing.
Font LabelFont();

}  // namespace drawing
