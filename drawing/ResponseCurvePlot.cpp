#include "drawing/ResponseCurvePlot.h"

#include <cmath>

#include "drawing/PixelMath.h"
#include "pedal/ChannelGlobal.h"

namespace drawing {
namespace {

using pedal::CALCTYPE;
using pedal::ChannelGlobal;

struct Point {
    int X, Y;
};

// The plot inside the frame, in the frame's coordinates: x = 0 no input, x = w full input,
// y = h no output, y = 0 full output.
struct Plot {
    int w, h;
    double stepX;  // single
    double limit;  // output limit as a share, single
    Point S, E;    // start (no input) and end (full input, limited output) of every curve
};

void Line(Canvas& canvas, Point a, Point b) {
    canvas.DrawLine(ChannelGlobal::LinePen, a.X, a.Y, b.X, b.Y);
}

// A 6-pixel dot centred on the point.
void Marker(Canvas& canvas, Point p, const pedal::Brush& brush = ChannelGlobal::LightBlue) {
    canvas.FillEllipse(brush, p.X - 3, p.Y - 3, 6, 6);
}

void FrameAndTicks(Canvas& canvas, int w, int h, double stepX, double stepY) {
    const pedal::Pen black{{255, 0, 0, 0}, 1.0f};
    canvas.DrawRectangle(black, 10, 0, w, h);
    for (int i = 0; i <= 10; ++i) {
        const int yi = Trunc(i * stepY);
        const int xi = 10 + Trunc(i * stepX);
        const bool isLong = i == 0 || i == 5 || i == 10;
        canvas.DrawLine(black, isLong ? 0 : 5, yi, 10, yi);
        canvas.DrawLine(black, xi, h, xi, h + (isLong ? 10 : 5));
    }
}

void Linear(Canvas& canvas, const Plot& p) {
    Line(canvas, p.S, p.E);
    Marker(canvas, p.S);
    Marker(canvas, p.E);
}

// y = x^k scaled to the plot. Both x and h enter as integers widened to double; the
// polyline stops one pixel short of E.
void Exponential(Canvas& canvas, const pedal::Channel& ch, const Plot& p) {
    const double e = Single((Single(ch.Exponent) - 32767) / 1000);
    const double k = e < 0 ? Single(1 / (1 - e / 10)) : Single(e / 10 + 1);
    const double scale = std::pow(static_cast<double>(p.h), k) / p.h;
    Point previous = p.S;
    for (int x = 1; x <= p.w - 1; ++x) {
        const Point next{x, FromBottom(p.h, std::pow(static_cast<double>(x), k) / scale * p.limit)};
        Line(canvas, previous, next);
        previous = next;
    }
    Marker(canvas, p.S);
    Marker(canvas, p.E);
}

void OnePoint(Canvas& canvas, const pedal::Channel& ch, const Plot& p) {
    const Point bend{Trunc(Single(ch.OnePointOffset) / 1000 * p.w),
                     FromBottom(p.h, Single(ch.OnePointValue) / 1000 * p.h * p.limit)};
    Line(canvas, bend, p.S);
    Line(canvas, bend, p.E);
    Marker(canvas, p.S);
    Marker(canvas, p.E);
    Marker(canvas, bend, ChannelGlobal::LightBlueSelect);
}

void MultiPoint(Canvas& canvas, const pedal::Channel& ch, const Plot& p) {
    Point points[9];
    Point previous = p.S;
    for (int i = 0; i < 9; ++i) {
        const double f = Single(1 - Single(ch.MultiPointArray[i]) * p.limit / 1000);
        points[i] = {Trunc((i + 1) * p.stepX), Trunc(p.h * f)};
        Line(canvas, previous, points[i]);
        Marker(canvas, points[i]);
        previous = points[i];
    }
    Line(canvas, previous, p.E);
    Marker(canvas, p.S);
    Marker(canvas, p.E);
    // `selected` is only an index of the point editor; one out of range highlights nothing.
    if (ch.selected >= 0 && ch.selected < 9) {
        Marker(canvas, points[ch.selected], ChannelGlobal::LightBlueSelect);
    }
}

void CrossHair(Canvas& canvas, const pedal::Channel& ch, const Plot& p) {
    const int vx = Trunc(Single(ch.ChannelValueDeadZone) / (65535.0 / p.w));
    const int hy = FromBottom(p.h, Single(ch.ChannelValueCalculated) / (65535.0 / p.h));
    canvas.DrawLine(ChannelGlobal::LinePen2, vx, 0, vx, p.h);
    canvas.DrawLine(ChannelGlobal::LinePen2, 0, hy, p.w, hy);
}

}  // namespace

void PaintAdjustment(const pedal::Channel& ch, Canvas& canvas) {
    if (!ch.guiInfo) return;
    const pedal::Size area = ch.guiInfo->AdjustmentGUISize;
    const int w = area.X - 11;
    const int h = area.Y - 11;
    const double stepY = Single(h / 10.0);
    const double stepX = Single(w / 10.0);
    FrameAndTicks(canvas, w, h, stepX, stepY);

    SavedState saved(canvas);
    canvas.ClipRectangle(11, 1, w - 1, h - 1);
    canvas.Translate(10, 0);
    canvas.SetAntiAlias(true);

    const double limitShare = Single(ch.BreakOutputLimit);
    const Plot plot{
        w, h, stepX, Single(limitShare / 1000), {0, h}, {w, FromBottom(h, limitShare / 1000 * h)}};
    switch (ch.CalcType) {
        case CALCTYPE::Linear:
            Linear(canvas, plot);
            break;
        case CALCTYPE::Exponential:
            Exponential(canvas, ch, plot);
            break;
        case CALCTYPE::OnePoint:
            OnePoint(canvas, ch, plot);
            break;
        case CALCTYPE::MultiPoint:
            MultiPoint(canvas, ch, plot);
            break;
        default:  // a type this program does not know: no curve, no markers
            break;
    }
    CrossHair(canvas, ch, plot);
}

}  // namespace drawing
