// A custom-painted area: its owner paints it on request; it may draw a 1-pixel border, in
// which case the painter given to the owner covers only the inside.
#pragma once

#include <QWidget>
#include <functional>

class QPainter;

class PictureBox : public QWidget {
public:
    using PaintHandler = std::function<void(PictureBox& box, QPainter& inside)>;

    PictureBox(QWidget* parent, bool border);
    void SetPaintHandler(PaintHandler handler) { handler_ = std::move(handler); }
    bool HasBorder() const { return border_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool border_;
    PaintHandler handler_;
};
