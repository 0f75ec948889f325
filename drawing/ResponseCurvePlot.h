// The curve plot of a channel: frame and ticks, its response curve with the control points,
// and a cross-hair at the live input and output.
#pragma once

#include "drawing/Canvas.h"
#include "pedal/Channel.h"

namespace drawing {

// Draws the plot in the area of `guiInfo->AdjustmentGUISize`, in the area's own coordinates.
// Reads the channel only; a channel without geometry draws nothing.
void PaintAdjustment(const pedal::Channel& channel, Canvas& canvas);

}  // namespace drawing
