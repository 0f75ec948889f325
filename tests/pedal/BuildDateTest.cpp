#include "pedal/BuildDate.h"

#include <gtest/gtest.h>

using namespace pedal;

namespace {

TEST(BuildDate, TicksCountHundredNanosecondsFromYearOne) {
    EXPECT_EQ(BuildDateTicks(1, 1, 1), 0u);
    EXPECT_EQ(BuildDateTicks(1, 1, 2), TicksPerDay);
    EXPECT_EQ(BuildDateTicks(2017, 3, 9), 636246144000000000u);
    EXPECT_EQ(BuildDateTicks(2000, 2, 29), 630873792000000000u);
    EXPECT_EQ(BuildDateTicks(9999, 12, 31), 3652058u * TicksPerDay);
}

TEST(BuildDate, EveryRealDateRoundTripsToItsCalendarDate) {
    std::uint64_t previous = 0;
    int checked = 0;
    for (int y = 1; y <= 9999; y += (y < 2100 ? 1 : 37)) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= 31; ++d) {
                const auto ticks = BuildDateTicks(y, m, d);
                if (!ticks) continue;
                if (*ticks == 0) continue;  // 0 stands for "no date"
                ASSERT_GT(*ticks, previous) << y << "-" << m << "-" << d;
                previous = *ticks;
                ASSERT_EQ(BuildDateToCalendar(*ticks), (CalendarDate{y, m, d}));
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100000);
    EXPECT_EQ(BuildDateToCalendar(0), std::nullopt);
    EXPECT_EQ(BuildDateToCalendar(3652059u * TicksPerDay), std::nullopt);
}

}  // namespace
