#include "drawing/RecordingCanvas.h"

#include <algorithm>
#include <iterator>

namespace drawing {

Drawn& RecordingCanvas::Record(Shape shape, pedal::Argb color, float penWidth,
                               std::array<int, 4> coords) {
    Drawn& d = calls_.emplace_back();
    d.shape = shape;
    d.Color = color;
    d.PenWidth = penWidth;
    d.Coords = coords;
    d.State = state_;
    return d;
}

void RecordingCanvas::FillRectangle(const pedal::Brush& brush, int x, int y, int width,
                                    int height) {
    Record(Shape::FillRectangle, brush.Color, 0.0f, {x, y, width, height});
}

void RecordingCanvas::DrawRectangle(const pedal::Pen& pen, int x, int y, int width, int height) {
    Record(Shape::DrawRectangle, pen.Color, pen.Width, {x, y, width, height});
}

void RecordingCanvas::DrawLine(const pedal::Pen& pen, int x1, int y1, int x2, int y2) {
    Record(Shape::DrawLine, pen.Color, pen.Width, {x1, y1, x2, y2});
}

void RecordingCanvas::FillEllipse(const pedal::Brush& brush, int x, int y, int width, int height) {
    Record(Shape::FillEllipse, brush.Color, 0.0f, {x, y, width, height});
}

void RecordingCanvas::DrawStringCentred(std::string_view text, const Font& font,
                                        const pedal::Brush& brush, float centreX, float top) {
    Drawn& d = Record(Shape::DrawString, brush.Color, 0.0f, {});
    d.Text = std::string(text);
    d.TextFont = font;
    d.TextX = centreX;
    d.TextY = top;
}

void RecordingCanvas::Save() {
    saved_.push_back(state_);
}

void RecordingCanvas::Restore() {
    if (saved_.empty()) {
        ++unmatchedRestores_;
        return;
    }
    state_ = saved_.back();
    saved_.pop_back();
}

void RecordingCanvas::ClipRectangle(int x, int y, int width, int height) {
    Rect r{x + state_.OriginX, y + state_.OriginY, std::max(width, 0), std::max(height, 0)};
    if (state_.Clip) {
        const Rect& c = *state_.Clip;
        const int left = std::max(r.X, c.X), top = std::max(r.Y, c.Y);
        const int right = std::min(r.X + r.Width, c.X + c.Width);
        const int bottom = std::min(r.Y + r.Height, c.Y + c.Height);
        r = {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
    }
    state_.Clip = r;
}

void RecordingCanvas::Translate(int dx, int dy) {
    state_.OriginX += dx;
    state_.OriginY += dy;
}

void RecordingCanvas::SetAntiAlias(bool on) {
    state_.AntiAlias = on;
}

std::vector<Drawn> RecordingCanvas::Of(Shape shape) const {
    std::vector<Drawn> out;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out),
                 [&](const Drawn& d) { return d.shape == shape; });
    return out;
}

std::vector<Drawn> RecordingCanvas::LinesWith(const pedal::Pen& pen) const {
    std::vector<Drawn> out;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out), [&](const Drawn& d) {
        return d.shape == Shape::DrawLine && d.Color == pen.Color && d.PenWidth == pen.Width;
    });
    return out;
}

}  // namespace drawing
