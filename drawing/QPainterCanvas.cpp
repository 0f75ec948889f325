#include "drawing/QPainterCanvas.h"

#include <QPainter>
#include <QPen>
#include <QStringList>
#include <algorithm>
#include <utility>

namespace drawing {
namespace {

QColor ToQColor(pedal::Argb c) {
    return QColor(c.R, c.G, c.B, c.A);
}

// Wide pens end flat at the end points; 1-pixel lines include both end points.
QPen ToQPen(const pedal::Pen& pen) {
    const Qt::PenCapStyle cap = pen.Width > 1.0f ? Qt::FlatCap : Qt::SquareCap;
    return QPen(QBrush(ToQColor(pen.Color)), pen.Width, Qt::SolidLine, cap, Qt::MiterJoin);
}

// Fonts with the same metrics as a family that Linux systems rarely carry.
QStringList WithReplacements(const QString& family) {
    QStringList families{family};
    if (family.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0) {
        families << QStringLiteral("Liberation Sans") << QStringLiteral("Arimo");
    }
    return families;
}

}  // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter, QLocale locale)
    : painter_(painter), locale_(std::move(locale)) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

QPainterCanvas::~QPainterCanvas() {
    for (; depth_ > 0; --depth_)
        painter_.restore();
    painter_.restore();
}

void QPainterCanvas::FillRectangle(const pedal::Brush& brush, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return;
    painter_.fillRect(QRect(x, y, width, height), ToQColor(brush.Color));
}

void QPainterCanvas::DrawRectangle(const pedal::Pen& pen, int x, int y, int width, int height) {
    if (width < 0 || height < 0) return;
    painter_.setPen(ToQPen(pen));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRect(x, y, width, height));
}

void QPainterCanvas::DrawLine(const pedal::Pen& pen, int x1, int y1, int x2, int y2) {
    painter_.setPen(ToQPen(pen));
    painter_.drawLine(QLine(x1, y1, x2, y2));
}

void QPainterCanvas::FillEllipse(const pedal::Brush& brush, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return;
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ToQColor(brush.Color));
    painter_.drawEllipse(QRectF(x, y, width, height));
}

void QPainterCanvas::DrawStringCentred(std::string_view text, const Font& font,
                                       const pedal::Brush& brush, float centreX, float top) {
    // A box far wider than any label, centred on centreX, lets Qt do the centring.
    constexpr qreal halfWidth = 1.0e5;
    painter_.setFont(ToQFont(font));
    painter_.setPen(ToQColor(brush.Color));
    painter_.drawText(QRectF(centreX - halfWidth, top, 2 * halfWidth, halfWidth),
                      Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine,
                      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void QPainterCanvas::Save() {
    painter_.save();
    ++depth_;
}

void QPainterCanvas::Restore() {
    // Never pops the state this canvas was given.
    if (depth_ == 0) return;
    painter_.restore();
    --depth_;
}

void QPainterCanvas::ClipRectangle(int x, int y, int width, int height) {
    // Intersect, so the clip never reaches beyond what the window gave (the area's inside).
    painter_.setClipRect(QRect(x, y, std::max(width, 0), std::max(height, 0)), Qt::IntersectClip);
}

void QPainterCanvas::Translate(int dx, int dy) {
    painter_.translate(dx, dy);
}

void QPainterCanvas::SetAntiAlias(bool on) {
    painter_.setRenderHint(QPainter::Antialiasing, on);
}

std::string QPainterCanvas::DecimalSeparator() const {
    return locale_.decimalPoint().toStdString();
}

QFont QPainterCanvas::ToQFont(const Font& font) {
    QFont f;
    f.setFamilies(WithReplacements(QString::fromStdString(font.Family)));
    f.setStyleHint(QFont::SansSerif);
    // Points, as the window's 96-dpi surface turns them into pixels (13 pt = 17.3 px).
    f.setPointSizeF(font.Points);
    f.setBold(font.Bold);
    return f;
}

}  // namespace drawing
