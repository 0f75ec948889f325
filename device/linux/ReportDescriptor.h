// Report lengths from a HID report descriptor, counted the way HID hosts state them: the
// payload bytes of the largest report of a kind plus one byte for the report ID (which is 0
// and still counted when the device does not number its reports).
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace device {

struct ReportLengths {
    // 0 when the descriptor declares no report of that kind.
    int Input = 0;
    int Output = 0;
    int Feature = 0;
    // Whether the device numbers its reports (a Report ID item appears).
    bool UsesReportIds = false;

    bool operator==(const ReportLengths&) const = default;
};

// Walks the descriptor's items: Report Size, Report Count and Report ID with Push and Pop
// among the global items; Input, Output, Feature and the collections among the main items;
// local items and long items are skipped. None when the descriptor is truncated or malformed
// (an item running past the end, Pop without Push, unbalanced collections, report ID 0, a
// reserved global tag, sizes beyond what a report can hold). Never reads past the span.
std::optional<ReportLengths> ParseReportDescriptor(std::span<const std::uint8_t> descriptor);

}  // namespace device
