#include "drawing/QPainterCanvas.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <ostream>
#include <utility>

#include "drawing/LevelBars.h"
#include "drawing/PlotFixture.h"
#include "pedal/ChannelGlobal.h"

// Colours in failure messages.
void PrintTo(const QColor& c, std::ostream* os) {
    *os << "argb(" << c.alpha() << ", " << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}

using namespace drawing;
using pedal::ChannelGlobal;

namespace {

// Fonts and text need a GUI application; the offscreen platform needs no display.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[16] = "drawing_qt";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};
[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

const QColor White(255, 255, 255);
const QColor Black(0, 0, 0);
const pedal::Pen BlackPen{{255, 0, 0, 0}, 1.0f};

// A white 96-dpi image, as the window's surface is.
QImage Blank(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(White);
    return image;
}

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

TEST(QPainterCanvas, FillsBlendTranslucentBrushes) {
    QImage image = Blank(4, 1);
    image.fill(QColor(230, 230, 230));
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.FillRectangle(ChannelGlobal::CoverBlack, 0, 0, 2, 1);
        canvas.FillRectangle(ChannelGlobal::LightBlue, 1, 0, 2, 1);
        canvas.FillRectangle(ChannelGlobal::CoverBlack, 2, 0, 1, 1);
    }
    // 230 x (1 - 60 / 255) = 175.9
    EXPECT_NEAR(At(image, 0, 0).red(), 176, 1);
    EXPECT_EQ(At(image, 0, 0).alpha(), 255);
    EXPECT_EQ(At(image, 1, 0), QColor(54, 182, 227)) << "an opaque brush covers";
    EXPECT_NEAR(At(image, 2, 0).blue(), 227 * 195 / 255, 1) << "the cover darkens the bar";
    EXPECT_EQ(At(image, 3, 0), QColor(230, 230, 230));
}

TEST(QPainterCanvas, EmptyOrNegativeRectanglesDrawNothing) {
    const struct { int w, h; } sizes[] = {{0, 5}, {-5, 5}, {5, 0}, {5, -5}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(::testing::Message() << s.w << " x " << s.h);
        QImage image = Blank(20, 20);
        {
            QPainter painter(&image);
            QPainterCanvas canvas(painter);
            canvas.FillRectangle(ChannelGlobal::LightBlue, 10, 10, s.w, s.h);
            canvas.FillEllipse(ChannelGlobal::LightBlue, 10, 10, s.w, s.h);
        }
        EXPECT_EQ(image, Blank(20, 20));
    }
}

TEST(QPainterCanvas, OutlineAndThinLinesCoverBothEnds) {
    QImage image = Blank(210, 209);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);  // the canvas starts aliased
        QPainterCanvas canvas(painter);
        canvas.DrawRectangle(BlackPen, 10, 0, 199, 198);
        canvas.DrawLine(BlackPen, 0, 19, 10, 19);
        canvas.DrawLine(BlackPen, 30, 50, 40, 50);
        canvas.DrawLine(BlackPen, 50, 198, 50, 208);
    }
    const struct {
        int x, y;
        QColor colour;
    } pixels[] = {
        {10, 100, Black},  {209, 100, Black}, {100, 0, Black},  {100, 198, Black},
        {11, 100, White},  {208, 100, White}, {100, 1, White},  {100, 197, White},
        {100, 199, White}, {9, 100, White},   {0, 19, Black},   {5, 19, Black},
        {0, 18, White},    {0, 20, White},    {30, 50, Black},  {40, 50, Black},
        {41, 50, White},   {29, 50, White},   {50, 208, Black},
    };
    for (const auto& p : pixels)
        EXPECT_EQ(At(image, p.x, p.y), p.colour) << p.x << ", " << p.y;
}

TEST(QPainterCanvas, AntiAliasingOnlyWhereSwitchedOn) {
    for (bool on : {false, true}) {
        SCOPED_TRACE(on);
        QImage image = Blank(30, 30);
        {
            QPainter painter(&image);
            QPainterCanvas canvas(painter);
            canvas.SetAntiAlias(on);
            canvas.DrawLine(ChannelGlobal::LinePen, 2, 3, 27, 20);
        }
        bool blended = false;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 30; ++x) {
                const QColor c = At(image, x, y);
                if (c != White && c != QColor(54, 182, 227)) blended = true;
            }
        }
        EXPECT_EQ(blended, on);
    }
}

// The window hands over a painter moved and clipped to the inside of the area's border; the
// canvas's own clip never reaches past it.
TEST(QPainterCanvas, StaysInsideTheSurfaceTheWindowGives) {
    QImage image = Blank(29, 199);
    {
        QPainter painter(&image);
        painter.translate(1, 1);
        painter.setClipRect(0, 0, 27, 197);
        QPainterCanvas canvas(painter);
        canvas.Save();
        canvas.ClipRectangle(-5, -5, 100, 300);
        canvas.FillRectangle(ChannelGlobal::LightBlue, 0, -1, 29, 199);
        canvas.Restore();
    }
    const QColor blue(54, 182, 227);
    EXPECT_EQ(At(image, 1, 1), blue);
    EXPECT_EQ(At(image, 27, 197), blue);
    for (auto [x, y] : {std::pair{0, 0}, {0, 100}, {28, 100}, {14, 0}, {14, 198}}) {
        EXPECT_EQ(At(image, x, y), White) << "border pixel " << x << ", " << y;
    }
}

TEST(QPainterCanvas, ClipTranslateAndRestore) {
    QImage image = Blank(40, 20);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        {
            SavedState saved(canvas);
            canvas.ClipRectangle(11, 1, 5, 5);
            canvas.Translate(10, 0);
            canvas.FillRectangle(ChannelGlobal::LightBlue, -10, -10, 100, 100);
        }
        canvas.FillRectangle(ChannelGlobal::LightBlueSelect, 30, 15, 1, 1);
    }
    const QColor blue(54, 182, 227);
    EXPECT_EQ(At(image, 11, 1), blue);
    EXPECT_EQ(At(image, 15, 5), blue);
    EXPECT_EQ(At(image, 10, 1), White);
    EXPECT_EQ(At(image, 16, 5), White);
    EXPECT_EQ(At(image, 11, 6), White);
    EXPECT_EQ(At(image, 30, 15), QColor(54, 220, 120)) << "origin and clip restored";
}

TEST(QPainterCanvas, GivesThePainterBackAsItFoundIt) {
    QImage image = Blank(20, 20);
    QPainter painter(&image);
    painter.translate(1, 1);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QTransform transform = painter.transform();
    {
        QPainterCanvas canvas(painter);
        EXPECT_FALSE(painter.testRenderHint(QPainter::Antialiasing));
        canvas.Save();
        canvas.Save();
        canvas.Translate(5, 5);
        canvas.ClipRectangle(0, 0, 3, 3);
        canvas.SetAntiAlias(true);
        canvas.Restore();
        canvas.Restore();
        canvas.Restore();  // one too many: must not pop the painter's own state
        canvas.Save();
        canvas.Translate(7, 7);  // left saved on purpose
    }
    EXPECT_EQ(painter.transform(), transform);
    EXPECT_FALSE(painter.hasClipping());
    EXPECT_TRUE(painter.testRenderHint(QPainter::Antialiasing));
}

TEST(QPainterCanvas, DecimalSeparatorOfTheGivenLocale) {
    QImage image = Blank(1, 1);
    QPainter painter(&image);
    EXPECT_EQ(
        QPainterCanvas(painter, QLocale(QLocale::German, QLocale::Germany)).DecimalSeparator(),
        ",");
    EXPECT_EQ(QPainterCanvas(painter, QLocale(QLocale::English, QLocale::UnitedStates))
                  .DecimalSeparator(),
              ".");
    EXPECT_EQ(QPainterCanvas(painter).DecimalSeparator(), QLocale().decimalPoint().toStdString());
}

TEST(QPainterCanvas, LabelFontIsArialOrAMetricCompatibleReplacement) {
    const QFont font = QPainterCanvas::ToQFont(LabelFont());
    const QFontInfo info(font);
    EXPECT_TRUE(info.family() == "Arial" || info.family() == "Liberation Sans" ||
                info.family() == "Arimo")
        << info.family().toStdString();
    EXPECT_TRUE(info.bold());
    EXPECT_EQ(font.pointSizeF(), 13.0);
}

// 13 pt on a 96-dpi surface is 17.3 px: the label's digits and brackets stand about 16 px
// tall, centred on the bar's middle and starting below y = 2.
TEST(QPainterCanvas, LabelIsCentredAndSizedInPoints) {
    pedal::Channel ch = fixture::WindowChannel();
    ch.ChannelValueDeadZone = 32768;
    ch.ChannelValue = 40000;
    QImage image = Blank(376, 27);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter, QLocale::c());
        canvas.DrawStringCentred(DeadZoneLabel(ch, canvas.DecimalSeparator()), LabelFont(),
                                 {{255, 0, 0, 0}}, 188.0f, 2.0f);
    }
    int left = 376, right = -1, top = 27, bottom = -1;
    for (int y = 0; y < 27; ++y) {
        for (int x = 0; x < 376; ++x) {
            if (At(image, x, y).lightness() < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_GE(right, left) << "the label was drawn";
    EXPECT_NEAR((left + right) / 2.0, 188.0, 2.0);
    EXPECT_GE(top, 2);
    EXPECT_GE(bottom - top + 1, 14);
    EXPECT_LE(bottom - top + 1, 19);
    EXPECT_GT(right - left, 200) << "bold 13 pt text is wide";
}

}  // namespace
