// A canvas that draws nothing and keeps every drawing call together with the state (origin,
// clip, anti-aliasing) it was made in, so tests can check the exact coordinates drawn.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "drawing/Canvas.h"

namespace drawing {

enum class Shape { FillRectangle, DrawRectangle, DrawLine, FillEllipse, DrawString };

// Left, top, width, height.
struct Rect {
    int X = 0, Y = 0, Width = 0, Height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct CanvasState {
    int OriginX = 0, OriginY = 0;  // the current origin in the area's coordinates
    std::optional<Rect> Clip;      // in the area's coordinates; none: the whole area
    bool AntiAlias = false;
    friend bool operator==(const CanvasState&, const CanvasState&) = default;
};

// One drawing call, in the coordinates it was given (relative to State's origin).
struct Drawn {
    Shape shape = Shape::DrawLine;
    pedal::Argb Color;      // of the brush or the pen
    float PenWidth = 0.0f;  // outlines and lines only
    // Lines: x1, y1, x2, y2. Rectangles and ellipses: left, top, width, height.
    std::array<int, 4> Coords{};
    // Text only: the text, its font and the point its top edge is centred on.
    std::string Text;
    Font TextFont;
    float TextX = 0.0f, TextY = 0.0f;
    CanvasState State;
};

class RecordingCanvas final : public Canvas {
  public:
    explicit RecordingCanvas(std::string decimalSeparator = ".")
        : decimalSeparator_(std::move(decimalSeparator)) {}

    void FillRectangle(const pedal::Brush& brush, int x, int y, int width, int height) override;
    void DrawRectangle(const pedal::Pen& pen, int x, int y, int width, int height) override;
    void DrawLine(const pedal::Pen& pen, int x1, int y1, int x2, int y2) override;
    void FillEllipse(const pedal::Brush& brush, int x, int y, int width, int height) override;
    void DrawStringCentred(std::string_view text, const Font& font, const pedal::Brush& brush,
                           float centreX, float top) override;
    void Save() override;
    void Restore() override;
    void ClipRectangle(int x, int y, int width, int height) override;
    void Translate(int dx, int dy) override;
    void SetAntiAlias(bool on) override;
    std::string DecimalSeparator() const override { return decimalSeparator_; }

    // Every call in order.
    const std::vector<Drawn>& Calls() const { return calls_; }
    // The calls of one shape (and, for lines and outlines, of one pen), in order.
    std::vector<Drawn> Of(Shape shape) const;
    std::vector<Drawn> LinesWith(const pedal::Pen& pen) const;

    const CanvasState& State() const { return state_; }
    // Saves not yet restored, and restores that found nothing saved.
    int SaveDepth() const { return static_cast<int>(saved_.size()); }
    int UnmatchedRestores() const { return unmatchedRestores_; }

  private:
    Drawn& Record(Shape shape, pedal::Argb color, float penWidth, std::array<int, 4> coords);

    std::string decimalSeparator_;
    std::vector<Drawn> calls_;
    CanvasState state_;
    std::vector<CanvasState> saved_;
    int unmatchedRestores_ = 0;
};

}  // namespace drawing
