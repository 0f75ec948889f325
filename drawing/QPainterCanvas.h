// The Canvas on a QPainter: how the paint operations reach the window (and PNG files).
#pragma once

#include <QFont>
#include <QLocale>

#include "drawing/Canvas.h"

class QPainter;

namespace drawing {

// Borrows a painter for one paint. It starts from the painter's origin and clip, which the
// window sets to the inside of the area's border, switches anti-aliasing off, and gives the
// painter back in the state it found it in.
class QPainterCanvas final : public Canvas {
  public:
    // `locale` supplies the decimal separator of labels: the user's, unless told otherwise.
    explicit QPainterCanvas(QPainter& painter, QLocale locale = QLocale());
    ~QPainterCanvas() override;
    QPainterCanvas(const QPainterCanvas&) = delete;
    QPainterCanvas& operator=(const QPainterCanvas&) = delete;

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
    std::string DecimalSeparator() const override;

    // The Qt font for `font`: the family, then its metric-compatible replacement where one is
    // known ("Arial" -> "Liberation Sans"), at the point size of a 96-dpi surface.
    static QFont ToQFont(const Font& font);

  private:
    QPainter& painter_;
    QLocale locale_;
    int depth_ = 0;  // Save()s not yet restored
};

}  // namespace drawing
