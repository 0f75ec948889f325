// Identifying a HID device from sysfs without opening it: the bus, vendor and product from
// its uevent (HID_ID), the output report length from its report_descriptor.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace device {

struct HidId {
    std::uint16_t Bus = 0;
    std::uint16_t VendorId = 0;
    std::uint16_t ProductId = 0;

    bool operator==(const HidId&) const = default;
};

// The value of `key` in uevent text ("KEY=value" lines); none when the key is absent.
std::optional<std::string_view> UeventValue(std::string_view uevent, std::string_view key);

// Parses a HID_ID value, "BBBB:VVVVVVVV:PPPPPPPP" in hexadecimal (bus, vendor, product). None
// when malformed or when a number does not fit 16 bits.
std::optional<HidId> ParseHidId(std::string_view value);

struct HidIdentity {
    HidId Id;
    int OutputReportLength = 0;  // 0 when the descriptor is missing or malformed

    bool operator==(const HidIdentity&) const = default;
};

// Reads `<hidSysPath>/uevent` and `<hidSysPath>/report_descriptor` of a device on the "hid"
// bus (the parent of a hidraw node). None when its HID_ID cannot be read.
std::optional<HidIdentity> ReadHidIdentity(const std::string& hidSysPath);

}  // namespace device
