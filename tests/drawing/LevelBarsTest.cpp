#include "drawing/LevelBars.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "drawing/PlotFixture.h"
#include "drawing/RecordingCanvas.h"
#include "pedal/ChannelGlobal.h"

using namespace drawing;
using drawing::fixture::WindowChannel;
using pedal::Channel;
using pedal::ChannelGlobal;

namespace {

using Coords = std::array<int, 4>;

struct Fill {
    pedal::Argb color;
    Coords rect;
    friend bool operator==(const Fill&, const Fill&) = default;
};

void PrintTo(const Fill& f, std::ostream* os) {
    *os << "argb(" << int{f.color.A} << "," << int{f.color.R} << "," << int{f.color.G} << ","
        << int{f.color.B} << ") at " << ::testing::PrintToString(f.rect);
}

std::vector<Fill> Fills(const RecordingCanvas& canvas) {
    std::vector<Fill> out;
    for (const auto& d : canvas.Of(Shape::FillRectangle))
        out.push_back({d.Color, d.Coords});
    return out;
}

TEST(PaintDeadZone, BackgroundRawBarAndBothCoversAtTheWindowSize) {
    const struct {
        const char* name;
        int calibMin, calibMax, deadZoneMin, deadZoneMax, raw;
        int rawWidth, leftCoverWidth, rightCoverLeft;
    } cases[] = {
        {"defaults: no cover", 0, 65535, 0, 0, 0, 0, 0, 376},
        {"full raw bar", 0, 65535, 0, 0, 65535, 376, 0, 376},
        {"half raw bar", 0, 65535, 0, 0, 32768, 188, 0, 376},
        // range 59000, dzMin 5900: trunc(6900 / (65535 / 376))
        {"calibrated with start dead zone", 1000, 60000, 1000, 0, 0, 0, 39, 344},
        // dzMax 13107: trunc(52428 / (65535 / 376))
        {"end dead zone", 0, 65535, 0, 2000, 0, 0, 0, 300},
        {"calibration ends swapped", 60000, 1000, 0, 0, 0, 0, 344, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Channel ch = WindowChannel();
        ch.CalibMin = c.calibMin;
        ch.CalibMax = c.calibMax;
        ch.DeadZoneMin = c.deadZoneMin;
        ch.DeadZoneMax = c.deadZoneMax;
        ch.ChannelValue = c.raw;
        RecordingCanvas canvas;
        PaintDeadZone(ch, canvas);

        const std::vector<Fill> expected{
            {ChannelGlobal::Gray.Color, {0, 0, 376, 27}},
            {ChannelGlobal::LightBlue.Color, {0, 0, c.rawWidth, 27}},
            {ChannelGlobal::CoverBlack.Color, {0, 0, c.leftCoverWidth, 27}},
            {ChannelGlobal::CoverBlack.Color, {c.rightCoverLeft, 0, 376, 27}},
        };
        EXPECT_EQ(Fills(canvas), expected);
        ASSERT_EQ(canvas.Calls().size(), 5u);
        EXPECT_EQ(canvas.Calls().back().shape, Shape::DrawString) << "the label comes last";
    }
}

TEST(PaintDeadZone, LabelInBoldArialCentredNearTheTop) {
    const struct {
        int deadZoned, raw;
        const char* separator;
        const char* text;
    } cases[] = {
        {32768, 40000, ".", "50.00% - 32768 (RAW: 40000)"},
        {65535, 65535, ".", "100.00% - 65535 (RAW: 65535)"},
        {0, 0, ".", "0.00% - 0 (RAW: 0)"},
        {6553, 12, ".", "10.00% - 6553 (RAW: 12)"},  // 9.99924 rounds up
        {32768, 40000, ",", "50,00% - 32768 (RAW: 40000)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Channel ch = WindowChannel();
        ch.ChannelValueDeadZone = c.deadZoned;
        ch.ChannelValue = c.raw;
        RecordingCanvas canvas(c.separator);
        PaintDeadZone(ch, canvas);

        const auto labels = canvas.Of(Shape::DrawString);
        ASSERT_EQ(labels.size(), 1u);
        EXPECT_EQ(labels[0].Text, c.text);
        EXPECT_EQ(labels[0].TextFont, (Font{"Arial", 13.0f, true}));
        EXPECT_EQ(labels[0].Color, (pedal::Argb{255, 0, 0, 0}));
        EXPECT_EQ(labels[0].TextX, 188.0f);
        EXPECT_EQ(labels[0].TextY, 2.0f);
    }
}

TEST(PaintInput, BarWidthFollowsTheDeadZonedInput) {
    const struct { int value, width; } cases[] = {{32768, 100}, {65535, 200}, {0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Channel ch = WindowChannel();
        ch.ChannelValueDeadZone = c.value;
        RecordingCanvas canvas;
        PaintInput(ch, canvas);
        EXPECT_EQ(Fills(canvas),
                  (std::vector<Fill>{{ChannelGlobal::LightBlue.Color, {0, 0, c.width, 25}}}));
        EXPECT_EQ(canvas.Calls().size(), 1u);
    }
}

TEST(PaintOutput, BarTopFollowsTheOutput) {
    const struct { int value, top; } cases[] = {{0, 198}, {65535, -1}, {32768, 99}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        Channel ch = WindowChannel();
        ch.ChannelValueCalculated = c.value;
        RecordingCanvas canvas;
        PaintOutput(ch, canvas);
        EXPECT_EQ(Fills(canvas),
                  (std::vector<Fill>{{ChannelGlobal::LightBlue.Color, {0, c.top, 29, 199}}}));
        EXPECT_EQ(canvas.Calls().size(), 1u);
    }
}

TEST(LevelBars, ChannelWithoutGeometryDrawsNothing) {
    Channel ch = WindowChannel();
    ch.guiInfo.reset();
    RecordingCanvas canvas;
    PaintDeadZone(ch, canvas);
    PaintInput(ch, canvas);
    PaintOutput(ch, canvas);
    EXPECT_TRUE(canvas.Calls().empty());
}

}  // namespace
