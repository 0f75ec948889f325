// Firmware build dates as the unit's identity carries them: a calendar date in, a tick count
// (100 ns intervals since 0001-01-01 00:00, proleptic Gregorian) kept; 0 means "no date".
#pragma once

#include <cstdint>
#include <optional>

namespace pedal {

struct CalendarDate {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

inline constexpr std::uint64_t TicksPerDay = 864'000'000'000ULL;

// Ticks at the start of the date, or nothing when it is not a real date in years 1..9999.
std::optional<std::uint64_t> BuildDateTicks(int year, int month, int day);

// The calendar date a tick count falls on; nothing for 0 (no date) or past 9999-12-31.
std::optional<CalendarDate> BuildDateToCalendar(std::uint64_t ticks);

}  // namespace pedal
