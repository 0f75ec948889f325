// The picture boxes' paint handler: each box is painted by its channel of the current unit.
#include <QPainter>

#include "MainForm.h"
#include "PictureBox.h"
#include "drawing/LevelBars.h"
#include "drawing/QPainterCanvas.h"
#include "drawing/ResponseCurvePlot.h"

void MainForm::PaintArea(PictureBox& box, QPainter& inside, int area) {
    const pedal::Channel* c = GetTagChannel(box.property("tag").toString());
    if (!c) return;  // no unit: the box keeps its background
    drawing::QPainterCanvas canvas(inside);
    switch (area) {
        case 0:
            drawing::PaintDeadZone(*c, canvas);
            break;
        case 1:
            drawing::PaintInput(*c, canvas);
            break;
        case 2:
            drawing::PaintOutput(*c, canvas);
            break;
        default:
            drawing::PaintAdjustment(*c, canvas);
            break;
    }
}
