// Renders the four drawing areas of one channel through the QPainter adapter, laid out as in
// a pedal's groups of the window, one PNG per curve type, so the drawings can be looked at
// without a unit. Usage: trimdeck_render_channel OUTPUT_DIR [SCALE]
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "drawing/LevelBars.h"
#include "drawing/QPainterCanvas.h"
#include "drawing/ResponseCurvePlot.h"
#include "pedal/Channel.h"
#include "sim/UnitMath.h"

namespace {

using PaintFunction = std::function<void(const pedal::Channel&, drawing::Canvas&)>;

// The window's sizes, and where its layout puts the four areas relative to each other.
const pedal::ChannelGUIInfo WindowGeometry{{376, 27}, {200, 25}, {29, 199}, {210, 209}};
const QPoint DeadZoneAt{8, 8};
const QPoint InputAt{18, 47};      // the adjustment group's (133, 27)
const QPoint AdjustmentAt{8, 95};  // (123, 75)
const QPoint OutputAt{232, 95};    // (347, 75)
const QSize ImageSize{392, 312};

// One area as the window shows it: with a border, the canvas is the inside of the border.
void PaintArea(QPainter& painter, QPoint at, pedal::Size size, bool border,
               const PaintFunction& paint, const pedal::Channel& channel) {
    painter.save();
    painter.translate(at);
    if (border) {
        painter.setPen(QColor(100, 100, 100));
        painter.drawRect(0, 0, size.X - 1, size.Y - 1);
        painter.translate(1, 1);
        painter.setClipRect(0, 0, size.X - 2, size.Y - 2);
    } else {
        painter.setClipRect(0, 0, size.X, size.Y);
    }
    {
        drawing::QPainterCanvas canvas(painter);
        paint(channel, canvas);
    }
    painter.restore();
}

QImage Render(const pedal::Channel& channel, int scale) {
    QImage image(ImageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(240, 240, 240));  // the window's background
    {
        QPainter painter(&image);
        const auto& g = *channel.guiInfo;
        PaintArea(painter, DeadZoneAt, g.DeadZoneGUISize, true, drawing::PaintDeadZone, channel);
        PaintArea(painter, InputAt, g.InputGUISize, true, drawing::PaintInput, channel);
        PaintArea(painter, OutputAt, g.OutputGUISize, true, drawing::PaintOutput, channel);
        PaintArea(painter, AdjustmentAt, g.AdjustmentGUISize, false, drawing::PaintAdjustment,
                  channel);
    }
    // Whole pixels, so every pixel the paint made stays visible as it is.
    return image.scaled(ImageSize * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// The live values a unit would report for the raw position.
void Press(pedal::Channel& channel, std::uint16_t raw) {
    const pedal::LiveValues v = sim::ComputeValues(channel, raw);
    channel.ChannelValue = v.Raw;
    channel.ChannelValueDeadZone = v.DeadZone;
    channel.ChannelValueCalculated = v.Calculated;
}

struct Picture {
    const char* file;
    std::function<void(pedal::Channel&)> setUp;
};

const Picture Pictures[] = {
    {"linear.png",
     [](pedal::Channel& c) {
         c.CalibMin = 3000;
         c.CalibMax = 62000;
         c.DeadZoneMin = 500;  // 5.00 %
         c.DeadZoneMax = 300;  // 3.00 %
         Press(c, 40000);
     }},
    {"exponential.png",
     [](pedal::Channel& c) {
         c.CalcType = pedal::CALCTYPE::Exponential;
         c.Exponent = 32767 + 15000;  // e = 15.0, k = 2.5
         c.BreakOutputLimit = 900;
         Press(c, 45000);
     }},
    {"onepoint.png",
     [](pedal::Channel& c) {
         c.CalcType = pedal::CALCTYPE::OnePoint;
         c.OnePointOffset = 300;
         c.OnePointValue = 650;
         c.DeadZoneMin = 800;
         Press(c, 30000);
     }},
    {"multipoint.png",
     [](pedal::Channel& c) {
         c.CalcType = pedal::CALCTYPE::MultiPoint;
         c.MultiPointArray = {50, 120, 220, 340, 470, 600, 720, 840, 930};
         c.selected = 4;
         c.BreakOutputLimit = 800;
         c.DeadZoneMax = 1000;
         Press(c, 50000);
     }},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [SCALE]\n", argv[0]);
        return 2;
    }
    const int scale = argc == 3 ? std::atoi(argv[2]) : 2;
    if (scale < 1 || scale > 8) {
        std::fprintf(stderr, "SCALE must be 1 to 8\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    pedal::Channel::SetChannelGUIInfo(WindowGeometry, WindowGeometry, WindowGeometry);
    for (const Picture& picture : Pictures) {
        pedal::Channel channel(pedal::BreakIndex);
        picture.setUp(channel);
        const QString path = out.filePath(QString::fromLatin1(picture.file));
        if (!Render(channel, scale).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
