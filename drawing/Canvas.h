// The drawing surface the paint operations draw on: just the primitives they need, so the
// same code paints the window (through QPainterCanvas) and a recording canvas in tests.
#pragma once

#include <string>
#include <string_view>

#include "pedal/ChannelGUIInfo.h"

namespace drawing {

// A font by family name, size in points and weight. The surface picks a metric-compatible
// replacement when the family is not installed.
struct Font {
    std::string Family;
    float Points = 0.0f;
    bool Bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};

// A new canvas draws with its origin at the area's top-left corner, clipped to nothing but
// its own bounds, without anti-aliasing. Rectangles are (left, top, width, height); a filled
// rectangle or ellipse of zero or negative width or height draws nothing. A rectangle
// outline covers left..left + width and top..top + height, so its stroke is one pen width
// wider than the rectangle.
class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual void FillRectangle(const pedal::Brush& brush, int x, int y, int width, int height) = 0;
    virtual void DrawRectangle(const pedal::Pen& pen, int x, int y, int width, int height) = 0;
    virtual void DrawLine(const pedal::Pen& pen, int x1, int y1, int x2, int y2) = 0;
    // The ellipse inscribed in the rectangle.
    virtual void FillEllipse(const pedal::Brush& brush, int x, int y, int width, int height) = 0;
    // One line of UTF-8 text, centred horizontally on `centreX`, its top at `top`.
    virtual void DrawStringCentred(std::string_view text, const Font& font,
                                   const pedal::Brush& brush, float centreX, float top) = 0;

    // Pushes and pops the clip, origin and anti-aliasing switch. Prefer SavedState.
    virtual void Save() = 0;
    virtual void Restore() = 0;
    // Narrows the clip to the rectangle, given in the current coordinates.
    virtual void ClipRectangle(int x, int y, int width, int height) = 0;
    // Moves the origin by (dx, dy) in the current coordinates.
    virtual void Translate(int dx, int dy) = 0;
    virtual void SetAntiAlias(bool on) = 0;

    // The decimal separator of the user's number format; numbers in labels use it.
    virtual std::string DecimalSeparator() const = 0;
};

// Saves the canvas's state for the lifetime of the guard and restores it at the end.
class SavedState {
  public:
    explicit SavedState(Canvas& canvas) : canvas_(canvas) { canvas_.Save(); }
    ~SavedState() { canvas_.Restore(); }
    SavedState(const SavedState&) = delete;
    SavedState& operator=(const SavedState&) = delete;

  private:
    Canvas& canvas_;
};

}  // namespace drawing
