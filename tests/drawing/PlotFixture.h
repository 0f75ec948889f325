// A channel with the window's drawing geometry, for the paint-operation tests.
#pragma once

#include <memory>

#include "pedal/Channel.h"

namespace drawing::fixture {

// The window's areas: dead-zone bar 376 x 27, input bar 200 x 25, output bar 29 x 199,
// curve plot 210 x 209.
inline const pedal::ChannelGUIInfo WindowGeometry{{376, 27}, {200, 25}, {29, 199}, {210, 209}};

inline pedal::Channel WindowChannel() {
    pedal::Channel ch(pedal::BreakIndex);
    ch.guiInfo = std::make_shared<const pedal::ChannelGUIInfo>(WindowGeometry);
    return ch;
}

}  // namespace drawing::fixture
