#include "sim/UnitMath.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace sim;
using pedal::CALCTYPE;
using pedal::Channel;

namespace {

struct MathCase {
    const char* name;
    void (*setup)(Channel&);
    std::uint16_t raw;
    std::uint16_t deadZone;
    std::uint16_t calculated;
};
void PrintTo(const MathCase& c, std::ostream* os) { *os << c.name; }


class UnitMath : public ::testing::TestWithParam<MathCase> {};

TEST_P(UnitMath, ComputesDeadZonedAndCurvedValues) {
    const auto& p = GetParam();
    Channel c(1);
    p.setup(c);
    const auto v = ComputeValues(c, p.raw);
    EXPECT_EQ(v.Raw, p.raw);
    EXPECT_EQ(v.DeadZone, p.deadZone);
    EXPECT_EQ(v.Calculated, p.calculated);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnitMath,
    ::testing::Values(
        MathCase{"DefaultsAreIdentity", [](Channel&) {}, 32768, 32768, 32768},
        MathCase{"FullTravel", [](Channel&) {}, 65535, 65535, 65535},
        MathCase{"BelowCalibMinIsRest",
                 [](Channel& c) { c.CalibMin = 1000; c.CalibMax = 60000; }, 500, 0, 0},
        MathCase{"AboveCalibMaxIsFull",
                 [](Channel& c) { c.CalibMin = 1000; c.CalibMax = 60000; }, 65535, 65535, 65535},
        // Start dead zone 10 % of 59000 = 5900 raw: 6900 is where the bar's cover ends.
        MathCase{"StartDeadZoneEdge",
                 [](Channel& c) { c.CalibMin = 1000; c.CalibMax = 60000; c.DeadZoneMin = 1000; },
                 6900, 0, 0},
        MathCase{"EndDeadZoneReachesFullEarly", [](Channel& c) { c.DeadZoneMax = 2000; }, 52428,
                 65535, 65535},
        MathCase{"OutputLimitHalves", [](Channel& c) { c.BreakOutputLimit = 500; }, 65535, 65535,
                 32768},
        MathCase{"ExponentZeroIsLinear",
                 [](Channel& c) { c.CalcType = CALCTYPE::Exponential; }, 16384, 16384, 16384},
        // e = 32: k = 4.2; 0.5^4.2 = 0.0544
        MathCase{"ExponentPlus32",
                 [](Channel& c) { c.CalcType = CALCTYPE::Exponential; c.Exponent = 64767; },
                 32768, 32768, 3566},
        MathCase{"OnePointBend",
                 [](Channel& c) {
                     c.CalcType = CALCTYPE::OnePoint;
                     c.OnePointOffset = 250;
                     c.OnePointValue = 750;
                 },
                 16384, 16384, 49151},
        MathCase{"DefaultMultiPointsAreLinear",
                 [](Channel& c) { c.CalcType = CALCTYPE::MultiPoint; }, 45875, 45875, 45875},
        MathCase{"MultiPointFlatTop",
                 [](Channel& c) {
                     c.CalcType = CALCTYPE::MultiPoint;
                     c.MultiPointArray = {1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000};
                 },
                 3277, 3277, 32770},
        MathCase{"UnknownTypeIsLinear",
                 [](Channel& c) { c.CalcType = static_cast<CALCTYPE>(9); }, 1000, 1000, 1000},
        MathCase{"InvertedCalibrationDoesNotDivideByZero",
                 [](Channel& c) { c.CalibMin = 40000; c.CalibMax = 40000; }, 39999, 0, 0}),
    [](const auto& info) { return info.param.name; });

}  // namespace
