#include "pedal/BuildDate.h"

namespace pedal {
namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days from 0001-01-01 to y-m-d (the civil-days algorithm, shifted to year 1).
std::int64_t DaysFromYearOne(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = y / 400;  // y >= 0 here
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    // era * 146097 + doe counts from 0000-03-01; 0001-01-01 is day 306 of that count.
    return era * 146097 + doe - 306;
}

constexpr std::int64_t kMaxDays = 3652058;  // 9999-12-31

}  // namespace

std::optional<std::uint64_t> BuildDateTicks(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return std::nullopt;
    if (day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
    return static_cast<std::uint64_t>(DaysFromYearOne(year, month, day)) * TicksPerDay;
}

std::optional<CalendarDate> BuildDateToCalendar(std::uint64_t ticks) {
    if (ticks == 0) return std::nullopt;
    const std::uint64_t days64 = ticks / TicksPerDay;
    if (days64 > static_cast<std::uint64_t>(kMaxDays)) return std::nullopt;
    // Inverse of DaysFromYearOne.
    const std::int64_t z = static_cast<std::int64_t>(days64) + 306;
    const std::int64_t era = z / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int y = static_cast<int>(yoe + era * 400 + (m <= 2));
    return CalendarDate{y, m, d};
}

}  // namespace pedal
