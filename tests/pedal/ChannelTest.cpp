#include "pedal/Channel.h"

#include <gtest/gtest.h>

#include "pedal/ChannelGlobal.h"

using namespace pedal;

namespace {

ChannelGUIInfo Geometry(int k) {
    return {{376 + k, 27}, {200 + k, 25}, {29 + k, 199}, {210 + k, 209}};
}

TEST(Channel, NewChannelHoldsDefaultsAndZeroLiveValues) {
    Channel c(1);
    EXPECT_EQ(c.ChannelIndex(), 1);
    EXPECT_EQ(c.ChannelValue, 0);
    EXPECT_EQ(c.ChannelValueDeadZone, 0);
    EXPECT_EQ(c.ChannelValueCalculated, 0);
    EXPECT_EQ(c.CalibMin, 0);
    EXPECT_EQ(c.CalibMax, 65535);
    EXPECT_EQ(c.DeadZoneMin, 0);
    EXPECT_EQ(c.DeadZoneMax, 0);
    EXPECT_EQ(c.BreakOutputLimit, 1000);
    EXPECT_EQ(c.CalcType, CALCTYPE::Linear);
    EXPECT_EQ(c.Exponent, 32767);
    EXPECT_EQ(c.OnePointValue, 500);
    EXPECT_EQ(c.OnePointOffset, 500);
    EXPECT_EQ(c.MultiPointArray, (std::array<std::int32_t, 9>{100, 200, 300, 400, 500, 600, 700, 800, 900}));
    EXPECT_EQ(c.selected, 0);
}

TEST(Channel, EachPedalTakesItsOwnGeometryOnceAtConstruction) {
    Channel::SetChannelGUIInfo(Geometry(1), Geometry(2), Geometry(3));
    Channel clutch(0), brake(1), throttle(2);
    EXPECT_EQ(*clutch.guiInfo, Geometry(1));
    EXPECT_EQ(*brake.guiInfo, Geometry(2));
    EXPECT_EQ(*throttle.guiInfo, Geometry(3));

    Channel::SetChannelGUIInfo(Geometry(7), Geometry(8), Geometry(9));
    EXPECT_EQ(*brake.guiInfo, Geometry(2)) << "later registrations do not reach existing channels";
    EXPECT_EQ(*Channel(1).guiInfo, Geometry(8));
    EXPECT_EQ(ChannelGlobal::LinePen, (Pen{{255, 54, 182, 227}, 2.0f}));
    EXPECT_EQ(ChannelGlobal::CoverBlack, (Brush{{60, 0, 0, 0}}));
}

TEST(Channel, ResetDefaultRestoresSettingsAndKeepsLiveValues) {
    Channel c(2);
    c.ChannelValue = 111;
    c.ChannelValueDeadZone = 222;
    c.ChannelValueCalculated = 333;
    c.CalibMin = 5;
    c.CalibMax = 6;
    c.DeadZoneMin = 7;
    c.DeadZoneMax = 8;
    c.BreakOutputLimit = 9;
    c.CalcType = CALCTYPE::OnePoint;
    c.Exponent = 10;
    c.OnePointValue = 11;
    c.OnePointOffset = 12;
    c.MultiPointArray.fill(13);
    c.selected = 4;

    c.ResetDefault();

    EXPECT_TRUE(c.SameSettings(Channel(2)));
    EXPECT_EQ(c.selected, 0);
    EXPECT_EQ(c.ChannelValue, 111);
    EXPECT_EQ(c.ChannelValueDeadZone, 222);
    EXPECT_EQ(c.ChannelValueCalculated, 333);
    EXPECT_EQ(c.ChannelIndex(), 2);
}

TEST(Channel, AssignSettingsTakesSettingsOnlyAndKeepsTheAxis) {
    Channel from(0);
    from.ChannelValue = 5;
    from.DeadZoneMax = 77;
    from.CalcType = CALCTYPE::OnePoint;
    from.MultiPointArray.fill(3);
    from.selected = 6;
    Channel to(2);
    to.AssignSettings(from);
    EXPECT_TRUE(to.SameSettings(from));
    EXPECT_EQ(to.ChannelIndex(), 2);
    EXPECT_EQ(to.ChannelValue, 0);
    EXPECT_EQ(to.selected, 0);
}

TEST(Channel, SwitchingCurveTypeKeepsEveryTypesParameters) {
    Channel c(0);
    c.CalcType = CALCTYPE::MultiPoint;
    c.MultiPointArray = {5, 15, 25, 35, 45, 55, 65, 75, 85};
    c.Exponent = 767;
    const Channel before = c;
    c.CalcType = CALCTYPE::Linear;
    c.CalcType = CALCTYPE::MultiPoint;
    EXPECT_TRUE(c.SameSettings(before));
}

}  // namespace
