#include "pedal/Channel.h"

#include "pedal/ChannelGlobal.h"

namespace pedal {

Channel::Channel(int ChannelIndex)
    : ChannelValue(0),
      ChannelValueDeadZone(0),
      ChannelValueCalculated(0),
      guiInfo(ChannelGlobal::GuiInfoFor(ChannelIndex)),
      _ChannelIndex(ChannelIndex) {
    ResetDefault();
}

void Channel::ResetDefault() {
    CalibMin = 0;
    CalibMax = 65535;
    DeadZoneMin = 0;
    DeadZoneMax = 0;
    BreakOutputLimit = 1000;
    CalcType = CALCTYPE::Linear;
    Exponent = 32767;
    OnePointValue = 500;
    OnePointOffset = 500;
    MultiPointArray = DefaultMultiPoints;
    selected = 0;
}

void Channel::SetChannelGUIInfo(const ChannelGUIInfo& ch1, const ChannelGUIInfo& ch2,
                                const ChannelGUIInfo& ch3) {
    ChannelGlobal::Register(ch1, ch2, ch3);
}

void Channel::AssignSettings(const Channel& o) {
    CalibMin = o.CalibMin;
    CalibMax = o.CalibMax;
    DeadZoneMin = o.DeadZoneMin;
    DeadZoneMax = o.DeadZoneMax;
    BreakOutputLimit = o.BreakOutputLimit;
    CalcType = o.CalcType;
    Exponent = o.Exponent;
    OnePointValue = o.OnePointValue;
    OnePointOffset = o.OnePointOffset;
    MultiPointArray = o.MultiPointArray;
}

bool Channel::SameSettings(const Channel& o) const {
    return CalibMin == o.CalibMin && CalibMax == o.CalibMax && DeadZoneMin == o.DeadZoneMin &&
           DeadZoneMax == o.DeadZoneMax && BreakOutputLimit == o.BreakOutputLimit &&
           CalcType == o.CalcType && Exponent == o.Exponent &&
           OnePointValue == o.OnePointValue && OnePointOffset == o.OnePointOffset &&
           MultiPointArray == o.MultiPointArray;
}

}  // namespace pedal
