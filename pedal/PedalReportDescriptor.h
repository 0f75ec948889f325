// The HID report descriptor a pedal unit declares: one vendor-defined application collection
// with a 64-byte input report and a 64-byte output report, no report IDs. The host reads the
// output length from it (65 with the report ID byte); a simulated unit declares the same.
#pragma once

#include <array>
#include <cstdint>

namespace pedal {

inline constexpr auto PedalReportDescriptor = std::to_array<std::uint8_t>({
    0x06, 0x00, 0xFF,  // Usage Page (vendor-defined 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x40,        //   Report Count (64)
    0x09, 0x02,        //   Usage (2)
    0x81, 0x02,        //   Input (Data, Variable, Absolute): unit to host
    0x09, 0x03,        //   Usage (3)
    0x91, 0x02,        //   Output (Data, Variable, Absolute): host to unit
    0xC0,              // End Collection
});

}  // namespace pedal
