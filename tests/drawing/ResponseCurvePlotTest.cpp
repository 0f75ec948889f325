#include "drawing/ResponseCurvePlot.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <vector>

#include "drawing/PlotFixture.h"
#include "drawing/RecordingCanvas.h"
#include "pedal/ChannelGlobal.h"

using namespace drawing;
using drawing::fixture::WindowChannel;
using pedal::CALCTYPE;
using pedal::Channel;
using pedal::ChannelGlobal;

namespace {

using Coords = std::array<int, 4>;

struct Pt {
    int x, y;
};

const pedal::Pen BlackPen{{255, 0, 0, 0}, 1.0f};
constexpr int h = 198;  // plot height at 210 x 209
constexpr int w = 199;  // plot width
const Pt S{0, h};

std::vector<Coords> CoordsOf(const std::vector<Drawn>& calls) {
    std::vector<Coords> out;
    for (const auto& d : calls)
        out.push_back(d.Coords);
    return out;
}

Coords Marker(Pt p) {
    return {p.x - 3, p.y - 3, 6, 6};
}

// The LinePen segments joining the points in order.
std::vector<Coords> Chain(const std::vector<Pt>& points) {
    std::vector<Coords> out;
    for (std::size_t i = 1; i < points.size(); ++i) {
        out.push_back({points[i - 1].x, points[i - 1].y, points[i].x, points[i].y});
    }
    return out;
}

RecordingCanvas Paint(const Channel& ch) {
    RecordingCanvas canvas;
    PaintAdjustment(ch, canvas);
    return canvas;
}

Channel WithCurve(CALCTYPE type, int limit = 1000) {
    Channel ch = WindowChannel();
    ch.CalcType = type;
    ch.BreakOutputLimit = limit;
    return ch;
}

TEST(PaintAdjustment, FrameAndEveryTickAtTheWindowSize) {
    const RecordingCanvas canvas = Paint(WindowChannel());

    const auto frames = canvas.Of(Shape::DrawRectangle);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].Coords, (Coords{10, 0, w, h})) << "edges at x = 10, 209 and y = 0, 198";
    EXPECT_EQ(frames[0].Color, BlackPen.Color);
    EXPECT_EQ(frames[0].PenWidth, 1.0f);

    // The single-precision steps 19.8 and 19.9 put the last ticks one pixel short.
    struct Tick {
        int y, x;
        bool isLong;
    };
    const Tick ticks[] = {{0, 10, true},     {19, 29, false},   {39, 49, false},
                          {59, 69, false},   {79, 89, false},   {98, 109, true},
                          {118, 129, false}, {138, 149, false}, {158, 169, false},
                          {178, 189, false}, {197, 208, true}};
    std::vector<Coords> expected;
    for (const Tick& t : ticks) {
        expected.push_back({t.isLong ? 0 : 5, t.y, 10, t.y});
        expected.push_back({t.x, h, t.x, h + (t.isLong ? 10 : 5)});
    }
    const auto tickLines = canvas.LinesWith(BlackPen);
    EXPECT_EQ(CoordsOf(tickLines), expected);
    for (const auto& d : frames)
        EXPECT_EQ(d.State, CanvasState{}) << "area coordinates, aliased";
    for (const auto& d : tickLines)
        EXPECT_EQ(d.State, CanvasState{});
}

TEST(PaintAdjustment, PlotIsDrawnClippedInsideTheFrameAndStateIsRestored) {
    const CanvasState inside{10, 0, Rect{11, 1, w - 1, h - 1}, true};
    for (int type = 0; type <= 4; ++type) {
        SCOPED_TRACE(type);
        const RecordingCanvas canvas = Paint(WithCurve(static_cast<CALCTYPE>(type)));
        int plotCalls = 0;
        for (const auto& d : canvas.Calls()) {
            if (d.Color == BlackPen.Color) continue;  // frame and ticks, checked above
            EXPECT_EQ(d.State, inside);
            ++plotCalls;
        }
        EXPECT_GE(plotCalls, 2) << "at least the cross-hair";
        EXPECT_EQ(canvas.State(), CanvasState{});
        EXPECT_EQ(canvas.SaveDepth(), 0);
        EXPECT_EQ(canvas.UnmatchedRestores(), 0);
    }
}

TEST(PaintAdjustment, LinearRunsFromNoOutputToTheLimit) {
    const struct {
        int limit;
        Pt E;
    } cases[] = {{1000, {199, 0}}, {500, {199, 99}}, {0, {199, 198}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        const RecordingCanvas canvas = Paint(WithCurve(CALCTYPE::Linear, c.limit));
        EXPECT_EQ(CoordsOf(canvas.LinesWith(ChannelGlobal::LinePen)), Chain({S, c.E}));
        const auto markers = canvas.Of(Shape::FillEllipse);
        EXPECT_EQ(CoordsOf(markers), (std::vector<Coords>{Marker(S), Marker(c.E)}));
        for (const auto& m : markers)
            EXPECT_EQ(m.Color, ChannelGlobal::LightBlue.Color);
    }
}

TEST(PaintAdjustment, DefaultMultipointsAndTheirLastLineToTheLimit) {
    const struct {
        int limit;
        std::vector<Pt> points;
        Pt E;
    } cases[] = {
        {1000,
         {{19, 178},
          {39, 158},
          {59, 138},
          {79, 118},
          {99, 99},
          {119, 79},
          {139, 59},
          {159, 39},
          {179, 19}},
         {199, 0}},
        {500,
         {{19, 188},
          {39, 178},
          {59, 168},
          {79, 158},
          {99, 148},
          {119, 138},
          {139, 128},
          {159, 118},
          {179, 108}},
         {199, 99}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        const RecordingCanvas canvas = Paint(WithCurve(CALCTYPE::MultiPoint, c.limit));

        std::vector<Pt> path{S};
        path.insert(path.end(), c.points.begin(), c.points.end());
        path.push_back(c.E);
        EXPECT_EQ(CoordsOf(canvas.LinesWith(ChannelGlobal::LinePen)), Chain(path));

        std::vector<Coords> markers;
        for (Pt p : c.points)
            markers.push_back(Marker(p));
        markers.push_back(Marker(S));
        markers.push_back(Marker(c.E));
        markers.push_back(Marker(c.points[0]));  // `selected` 0, drawn again in green
        const auto ellipses = canvas.Of(Shape::FillEllipse);
        EXPECT_EQ(CoordsOf(ellipses), markers);
        for (std::size_t i = 0; i + 1 < ellipses.size(); ++i) {
            EXPECT_EQ(ellipses[i].Color, ChannelGlobal::LightBlue.Color) << i;
        }
        EXPECT_EQ(ellipses.back().Color, ChannelGlobal::LightBlueSelect.Color);
    }
}

TEST(PaintAdjustment, SelectedMultipointIsDrawnAgainInGreen) {
    const struct {
        int selected;
        bool highlighted;
        Pt at;
    } cases[] = {{4, true, {99, 99}}, {8, true, {179, 19}}, {9, false, {}}, {-1, false, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selected);
        Channel ch = WithCurve(CALCTYPE::MultiPoint);
        ch.selected = c.selected;
        const RecordingCanvas canvas = Paint(ch);
        std::vector<Coords> green;
        for (const auto& e : canvas.Of(Shape::FillEllipse)) {
            if (e.Color == ChannelGlobal::LightBlueSelect.Color) green.push_back(e.Coords);
        }
        EXPECT_EQ(green, c.highlighted ? std::vector<Coords>{Marker(c.at)} : std::vector<Coords>{})
            << "an index outside 0..8 highlights nothing";
        EXPECT_EQ(canvas.Of(Shape::FillEllipse).size(), c.highlighted ? 12u : 11u);
    }
}

TEST(PaintAdjustment, OnePointSitsOnePixelLowerThanTheMultipointUnderALimit) {
    const struct {
        int limit;
        Pt P, E;
    } cases[] = {{1000, {99, 99}, {199, 0}}, {500, {99, 149}, {199, 99}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        const RecordingCanvas canvas = Paint(WithCurve(CALCTYPE::OnePoint, c.limit));
        EXPECT_EQ(CoordsOf(canvas.LinesWith(ChannelGlobal::LinePen)),
                  (std::vector<Coords>{{c.P.x, c.P.y, S.x, S.y}, {c.P.x, c.P.y, c.E.x, c.E.y}}));
        const auto ellipses = canvas.Of(Shape::FillEllipse);
        EXPECT_EQ(CoordsOf(ellipses), (std::vector<Coords>{Marker(S), Marker(c.E), Marker(c.P)}));
        ASSERT_EQ(ellipses.size(), 3u);
        EXPECT_EQ(ellipses[2].Color, ChannelGlobal::LightBlueSelect.Color);
    }
}

TEST(PaintAdjustment, ExponentialPolylineFromStartToOnePixelShortOfTheEnd) {
    const struct {
        int exponent;
        std::vector<Pt> probes;
    } cases[] = {
        {32767, {{1, 197}, {99, 99}, {198, 0}}},  // e = 0.0, k = 1
        {64767, {{99, 188}}},                     // e = 32.0, k = 4.2
        {767, {{99, 31}}},                        // e = -32.0, k = 1 / 4.2
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exponent);
        Channel ch = WithCurve(CALCTYPE::Exponential);
        ch.Exponent = c.exponent;
        const RecordingCanvas canvas = Paint(ch);

        const auto segments = CoordsOf(canvas.LinesWith(ChannelGlobal::LinePen));
        ASSERT_EQ(segments.size(), 198u) << "S to P1, then P1 .. P198";
        std::vector<Pt> path{S};
        for (const Coords& s : segments) {
            EXPECT_EQ(s[0], path.back().x);
            EXPECT_EQ(s[1], path.back().y) << "the polyline is continuous";
            path.push_back({s[2], s[3]});
        }
        for (std::size_t x = 1; x < path.size(); ++x)
            EXPECT_EQ(path[x].x, static_cast<int>(x));
        for (Pt probe : c.probes)
            EXPECT_EQ(path[probe.x].y, probe.y) << "x = " << probe.x;
        EXPECT_EQ(CoordsOf(canvas.Of(Shape::FillEllipse)),
                  (std::vector<Coords>{Marker(S), Marker({199, 0})}));
    }
}

TEST(PaintAdjustment, UnknownCurveTypeDrawsFrameTicksAndCrossHairOnly) {
    for (int type : {4, 5, -1, INT_MAX}) {
        SCOPED_TRACE(type);
        const RecordingCanvas canvas = Paint(WithCurve(static_cast<CALCTYPE>(type)));
        EXPECT_EQ(canvas.Of(Shape::DrawRectangle).size(), 1u);
        EXPECT_EQ(canvas.LinesWith(BlackPen).size(), 22u);
        EXPECT_EQ(canvas.LinesWith(ChannelGlobal::LinePen2).size(), 2u);
        EXPECT_EQ(canvas.Calls().size(), 25u) << "no curve line, no marker";
    }
}

TEST(PaintAdjustment, CrossHairAtTheLiveValuesOverTheCurve) {
    const struct {
        int input, output;
        int vx, hy;
    } cases[] = {{32768, 32768, 99, 99}, {0, 0, 0, 198}, {65535, 65535, 199, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        Channel ch = WithCurve(CALCTYPE::MultiPoint);
        ch.ChannelValueDeadZone = c.input;
        ch.ChannelValueCalculated = c.output;
        const RecordingCanvas canvas = Paint(ch);
        const std::vector<Coords> crossHair{{c.vx, 0, c.vx, h}, {0, c.hy, w, c.hy}};
        EXPECT_EQ(CoordsOf(canvas.LinesWith(ChannelGlobal::LinePen2)), crossHair);
        const auto& calls = canvas.Calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ((std::vector<Coords>{calls[calls.size() - 2].Coords, calls.back().Coords}),
                  crossHair)
            << "drawn last, over the curve";
    }
}

// Areas too small for a plot make divisions by zero; every coordinate must stay near the
// area instead of becoming an arbitrary integer.
TEST(PaintAdjustment, DegenerateAreasDrawOnlyNearbyCoordinates) {
    for (pedal::Size size : {pedal::Size{0, 0}, pedal::Size{11, 11}, pedal::Size{50, 11},
                             pedal::Size{11, 50}, pedal::Size{5, 30}, pedal::Size{30, 5}}) {
        for (int type = 0; type <= 3; ++type) {
            SCOPED_TRACE(::testing::Message() << size.X << " x " << size.Y << " type " << type);
            Channel ch = WithCurve(static_cast<CALCTYPE>(type));
            ch.Exponent = 32767 + 15000;  // a non-integer power
            ch.ChannelValueDeadZone = 65535;
            ch.ChannelValueCalculated = 65535;
            ch.guiInfo = std::make_shared<const pedal::ChannelGUIInfo>(
                pedal::ChannelGUIInfo{{}, {}, {}, size});
            const RecordingCanvas canvas = Paint(ch);
            for (const auto& d : canvas.Calls()) {
                for (int v : d.Coords)
                    EXPECT_LT(std::abs(v), 100);
            }
            EXPECT_EQ(canvas.SaveDepth(), 0);
        }
    }
}

TEST(PaintAdjustment, ChannelWithoutGeometryDrawsNothing) {
    Channel ch = WindowChannel();
    ch.guiInfo.reset();
    EXPECT_TRUE(Paint(ch).Calls().empty());
}

}  // namespace
