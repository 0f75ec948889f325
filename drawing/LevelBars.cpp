#include "drawing/LevelBars.h"

#include <charconv>
#include <cstdint>

#include "drawing/PixelMath.h"
#include "pedal/ChannelGlobal.h"

namespace drawing {

using pedal::ChannelGlobal;

Font LabelFont() {
    return {"Arial", 13.0f, true};
}

std::string DeadZoneLabel(const pedal::Channel& ch, std::string_view decimalSeparator) {
    // Formatted without the C library's locale, which a toolkit may have switched; the
    // separator is the caller's.
    char buffer[64];
    const double percent = static_cast<double>(ch.ChannelValueDeadZone) / 655.35;
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, percent, std::chars_format::fixed, 2).ptr;
    std::string text(buffer, end);
    if (const auto dot = text.find('.'); dot != std::string::npos) {
        text.replace(dot, 1, decimalSeparator);
    }
    text += "% - " + std::to_string(ch.ChannelValueDeadZone) +
            " (RAW: " + std::to_string(ch.ChannelValue) + ")";
    return text;
}

void PaintDeadZone(const pedal::Channel& ch, Canvas& canvas) {
    if (!ch.guiInfo) return;
    const auto [W, H] = ch.guiInfo->DeadZoneGUISize;
    const double rawPerPixel = 65535.0 / W;

    canvas.FillRectangle(ChannelGlobal::Gray, 0, 0, W, H);
    canvas.FillRectangle(ChannelGlobal::LightBlue, 0, 0,
                         Trunc(Single(ch.ChannelValue) / rawPerPixel), H);

    const double range = Single(static_cast<double>(std::int64_t{ch.CalibMax} - ch.CalibMin));
    const double dzMin = Single(Single(ch.DeadZoneMin) / 10000 * range);
    const double dzMax = Single(Single(ch.DeadZoneMax) / 10000 * range);
    canvas.FillRectangle(ChannelGlobal::CoverBlack, 0, 0,
                         Trunc((Single(ch.CalibMin) + dzMin) / rawPerPixel), H);
    // The right cover is W wide from its left edge, so it always reaches past the area.
    const double xr = Single((Single(ch.CalibMax) - dzMax) / rawPerPixel);
    canvas.FillRectangle(ChannelGlobal::CoverBlack, Trunc(xr), 0, W, H);

    const pedal::Brush black{{255, 0, 0, 0}};
    canvas.DrawStringCentred(DeadZoneLabel(ch, canvas.DecimalSeparator()), LabelFont(), black,
                             static_cast<float>(W * 0.5), 2.0f);
}

void PaintInput(const pedal::Channel& ch, Canvas& canvas) {
    if (!ch.guiInfo) return;
    const auto [W, H] = ch.guiInfo->InputGUISize;
    canvas.FillRectangle(ChannelGlobal::LightBlue, 0, 0,
                         Trunc(Single(ch.ChannelValueDeadZone) / (65535.0 / W)), H);
}

void PaintOutput(const pedal::Channel& ch, Canvas& canvas) {
    if (!ch.guiInfo) return;
    const auto [W, H] = ch.guiInfo->OutputGUISize;
    // The bar is H tall from its top edge, so it always reaches past the bottom.
    const double n = Single(ch.ChannelValueCalculated) / (65535.0 / H);
    canvas.FillRectangle(ChannelGlobal::LightBlue, 0, FromBottom(H - 1, n), W, H);
}

}  // namespace drawing
