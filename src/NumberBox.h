// A number box that holds only multiples of its resolution: a typed value is rounded to it.
// The dead-zone boxes show three decimals of a setting kept in hundredths of a percent; with
// a resolution of 0.01 every value such a box holds is a setting exactly.
#pragma once

#include <QDoubleSpinBox>
#include <cmath>

class NumberBox : public QDoubleSpinBox {
public:
    NumberBox(QWidget* parent, double resolution)
        : QDoubleSpinBox(parent), resolution_(resolution) {}

    double Resolution() const { return resolution_; }
    double Snap(double v) const { return std::round(v / resolution_) * resolution_; }

    double valueFromText(const QString& text) const override {
        return Snap(QDoubleSpinBox::valueFromText(text));
    }

private:
    double resolution_;
};
