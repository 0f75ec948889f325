// Report descriptors of well-known device kinds, written out item by item, with the report
// lengths a HID host states for them (report ID byte included).
#pragma once

#include <array>
#include <cstdint>

namespace golden {

// A boot keyboard: 8-byte input report (modifiers, reserved byte, six key codes), 1-byte
// LED output report (five LEDs, three bits of padding). No report IDs.
inline constexpr auto Keyboard = std::to_array<std::uint8_t>({
    0x05, 0x01,  // Usage Page (Generic Desktop)
    0x09, 0x06,  // Usage (Keyboard)
    0xA1, 0x01,  // Collection (Application)
    0x05, 0x07,  //   Usage Page (Key Codes)
    0x19, 0xE0,  //   Usage Minimum (224)
    0x29, 0xE7,  //   Usage Maximum (231)
    0x15, 0x00,  //   Logical Minimum (0)
    0x25, 0x01,  //   Logical Maximum (1)
    0x75, 0x01,  //   Report Size (1)
    0x95, 0x08,  //   Report Count (8)
    0x81, 0x02,  //   Input (Data, Variable, Absolute): modifiers
    0x95, 0x01,  //   Report Count (1)
    0x75, 0x08,  //   Report Size (8)
    0x81, 0x01,  //   Input (Constant): reserved
    0x95, 0x05,  //   Report Count (5)
    0x75, 0x01,  //   Report Size (1)
    0x05, 0x08,  //   Usage Page (LEDs)
    0x19, 0x01,  //   Usage Minimum (1)
    0x29, 0x05,  //   Usage Maximum (5)
    0x91, 0x02,  //   Output (Data, Variable, Absolute): LEDs
    0x95, 0x01,  //   Report Count (1)
    0x75, 0x03,  //   Report Size (3)
    0x91, 0x01,  //   Output (Constant): padding
    0x95, 0x06,  //   Report Count (6)
    0x75, 0x08,  //   Report Size (8)
    0x15, 0x00,  //   Logical Minimum (0)
    0x25, 0x65,  //   Logical Maximum (101)
    0x05, 0x07,  //   Usage Page (Key Codes)
    0x19, 0x00,  //   Usage Minimum (0)
    0x29, 0x65,  //   Usage Maximum (101)
    0x81, 0x00,  //   Input (Data, Array): key codes
    0xC0,        // End Collection
});

// A boot mouse: three buttons and five bits of padding, then relative X and Y; 3-byte input
// report, nothing else. Nested collections.
inline constexpr auto Mouse = std::to_array<std::uint8_t>({
    0x05, 0x01,  // Usage Page (Generic Desktop)
    0x09, 0x02,  // Usage (Mouse)
    0xA1, 0x01,  // Collection (Application)
    0x09, 0x01,  //   Usage (Pointer)
    0xA1, 0x00,  //   Collection (Physical)
    0x05, 0x09,  //     Usage Page (Buttons)
    0x19, 0x01,  //     Usage Minimum (1)
    0x29, 0x03,  //     Usage Maximum (3)
    0x15, 0x00,  //     Logical Minimum (0)
    0x25, 0x01,  //     Logical Maximum (1)
    0x95, 0x03,  //     Report Count (3)
    0x75, 0x01,  //     Report Size (1)
    0x81, 0x02,  //     Input (Data, Variable, Absolute): buttons
    0x95, 0x01,  //     Report Count (1)
    0x75, 0x05,  //     Report Size (5)
    0x81, 0x01,  //     Input (Constant): padding
    0x05, 0x01,  //     Usage Page (Generic Desktop)
    0x09, 0x30,  //     Usage (X)
    0x09, 0x31,  //     Usage (Y)
    0x15, 0x81,  //     Logical Minimum (-127)
    0x25, 0x7F,  //     Logical Maximum (127)
    0x75, 0x08,  //     Report Size (8)
    0x95, 0x02,  //     Report Count (2)
    0x81, 0x06,  //     Input (Data, Variable, Relative): X, Y
    0xC0,        //   End Collection
    0xC0,        // End Collection
});

// A gamepad with numbered reports. Report 1 (input): 16 buttons and four 8-bit axes, 6 bytes.
// Report 2 (output, rumble): 16 one-bit fields restored by Pop, then two bytes: 4 bytes, the
// largest output report. Report 3: a 1-byte output report and a 3-byte feature report. A
// long item sits between them. Without Pop restoring the 1-bit size, report 2 would count 6
// bytes; without the long item skipped whole, the items after it would be misread.
inline constexpr auto Gamepad = std::to_array<std::uint8_t>({
    0x05, 0x01,                    // Usage Page (Generic Desktop)
    0x09, 0x05,                    // Usage (Game Pad)
    0xA1, 0x01,                    // Collection (Application)
    0x85, 0x01,                    //   Report ID (1)
    0x05, 0x09,                    //   Usage Page (Buttons)
    0x19, 0x01,                    //   Usage Minimum (1)
    0x29, 0x10,                    //   Usage Maximum (16)
    0x15, 0x00,                    //   Logical Minimum (0)
    0x25, 0x01,                    //   Logical Maximum (1)
    0x75, 0x01,                    //   Report Size (1)
    0x95, 0x10,                    //   Report Count (16)
    0x81, 0x02,                    //   Input (Data, Variable, Absolute): buttons
    0xA4,                          //   Push
    0x05, 0x01,                    //   Usage Page (Generic Desktop)
    0x09, 0x30, 0x09, 0x31,        //   Usage (X), Usage (Y)
    0x09, 0x32, 0x09, 0x35,        //   Usage (Z), Usage (Rz)
    0x26, 0xFF, 0x00,              //   Logical Maximum (255)
    0x75, 0x08,                    //   Report Size (8)
    0x95, 0x04,                    //   Report Count (4)
    0x81, 0x02,                    //   Input (Data, Variable, Absolute): axes
    0xB4,                          //   Pop: size 1, count 16 again
    0xFE, 0x02, 0xF0, 0x75, 0x08,  //   Long item, 2 data bytes (that look like Report Size 8)
    0x85, 0x02,                    //   Report ID (2)
    0x06, 0x00, 0xFF,              //   Usage Page (vendor-defined)
    0x09, 0x01,                    //   Usage (1)
    0x91, 0x02,                    //   Output (Data, Variable, Absolute): 16 bits
    0x75, 0x08,                    //   Report Size (8)
    0x95, 0x02,                    //   Report Count (2)
    0x09, 0x02,                    //   Usage (2)
    0x91, 0x02,                    //   Output (Data, Variable, Absolute): 2 bytes
    0x85, 0x03,                    //   Report ID (3)
    0x95, 0x01,                    //   Report Count (1)
    0x09, 0x03,                    //   Usage (3)
    0x91, 0x02,                    //   Output (Data, Variable, Absolute): 1 byte
    0x95, 0x03,                    //   Report Count (3)
    0x09, 0x04,                    //   Usage (4)
    0xB1, 0x02,                    //   Feature (Data, Variable, Absolute): 3 bytes
    0xC0,                          // End Collection
});

}  // namespace golden
