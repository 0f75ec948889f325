// Drawing state shared by every channel of every unit: each pedal's geometry, brushes, pens.
#pragma once

#include <memory>

#include "pedal/ChannelGUIInfo.h"

namespace pedal {

class ChannelGlobal {
public:
    // Geometry registered for channel `index` (0 clutch -> ch1, 1 brake -> ch2, 2 throttle ->
    // ch3); an index outside 0..2 gets the clutch's. Never null: an empty geometry before
    // the window registers one. Safe to call from any thread.
    static std::shared_ptr<const ChannelGUIInfo> GuiInfoFor(int index);

    // Replaces the three geometries and recreates the brushes and pens. Existing channels
    // keep the geometry they took when they were made.
    static void Register(const ChannelGUIInfo& ch1, const ChannelGUIInfo& ch2,
                         const ChannelGUIInfo& ch3);

    // The shared brushes and pens (read on the window's thread only).
    static inline Brush Gray{{255, 230, 230, 230}};
    static inline Brush LightBlue{{255, 54, 182, 227}};
    static inline Brush CoverBlack{{60, 0, 0, 0}};
    static inline Brush LightBlueSelect{{255, 54, 220, 120}};
    static inline Pen LinePen{LightBlue.Color, 2.0f};
    static inline Pen LinePen2{Gray.Color, 2.0f};
};

}  // namespace pedal
