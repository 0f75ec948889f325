#include "sim/UnitMath.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

std::uint16_t ToField(double share) {
    return static_cast<std::uint16_t>(std::lround(Clamp01(share) * 65535.0));
}

// Straight segments through (0,0), the given points, and (1,1).
double Piecewise(const double* xs, const double* ys, int n, double x) {
    double px = 0.0, py = 0.0;
    for (int i = 0; i <= n; ++i) {
        const double nx = i < n ? xs[i] : 1.0;
        const double ny = i < n ? ys[i] : 1.0;
        if (x <= nx) return nx > px ? py + (ny - py) * (x - px) / (nx - px) : ny;
        px = nx;
        py = ny;
    }
    return 1.0;
}

}  // namespace

double DeadZonedPosition(const pedal::Channel& s, std::uint16_t raw) {
    const double span = static_cast<double>(s.CalibMax) - s.CalibMin;
    if (span <= 0) return raw >= s.CalibMax ? 1.0 : 0.0;
    const double pos = Clamp01((raw - static_cast<double>(s.CalibMin)) / span);
    const double dzMin = Clamp01(s.DeadZoneMin / 10000.0);
    const double dzMax = Clamp01(s.DeadZoneMax / 10000.0);
    const double active = 1.0 - dzMin - dzMax;
    if (active <= 0) return pos >= dzMin ? 1.0 : 0.0;
    return Clamp01((pos - dzMin) / active);
}

double CurveOutput(const pedal::Channel& s, double x) {
    x = Clamp01(x);
    switch (s.CalcType) {
        case pedal::CALCTYPE::Exponential: {
            const double e = (s.Exponent - 32767) / 1000.0;
            const double k = e < 0 ? 1.0 / (1.0 - e / 10.0) : e / 10.0 + 1.0;
            return Clamp01(std::pow(x, k));
        }
        case pedal::CALCTYPE::OnePoint: {
            const double px = Clamp01(s.OnePointOffset / 1000.0);
            const double py = Clamp01(s.OnePointValue / 1000.0);
            return Clamp01(Piecewise(&px, &py, 1, x));
        }
        case pedal::CALCTYPE::MultiPoint: {
            double xs[9], ys[9];
            for (int k = 0; k < 9; ++k) {
                xs[k] = (k + 1) / 10.0;
                ys[k] = Clamp01(s.MultiPointArray[k] / 1000.0);
            }
            return Clamp01(Piecewise(xs, ys, 9, x));
        }
        default:
            return x;
    }
}

pedal::LiveValues ComputeValues(const pedal::Channel& s, std::uint16_t raw) {
    const double in = DeadZonedPosition(s, raw);
    const double limit = Clamp01(s.BreakOutputLimit / 1000.0);
    return {raw, ToField(in), ToField(CurveOutput(s, in) * limit)};
}

}  // namespace sim
