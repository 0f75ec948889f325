// Byte-exact encoders and decoders of the pedal messages (the 64-byte payloads). Pure: no
// I/O; the functions that queue a message on a unit live in device/ComFW.h.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "pedal/Channel.h"
#include "pedal/Commands.h"

namespace pedal {

// Little-endian 16-bit field: the value's low 8 bits, then the next 8.
inline void Put16(std::span<std::uint8_t> bytes, std::size_t at, std::int64_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}
inline void Put32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
inline std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}
inline std::uint32_t Get32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// --- messages the host sends ---------------------------------------------------------------

using ConfigMessage = std::array<std::uint8_t, 31>;

// The configuration of `c`: code 3 from the host (`CmdSendConfig`); the unit answers a load
// with the same layout under code 4 (`CmdLoadConfig`). Only the parameters of the curve
// type in force travel; an unknown type carries none.
ConfigMessage EncodeConfig(const Channel& c, std::uint8_t code = CmdSendConfig);

// The firmware announcement: image length and CRC-32.
std::array<std::uint8_t, 9> EncodeUpdateStart(std::uint32_t imageLength, std::uint32_t imageCrc);

// The chunk of `image` that starts at `pos`: code 33, up to 32 bytes, zero-filled.
std::array<std::uint8_t, 33> EncodeUpdateData(std::span<const std::uint8_t> image,
                                               std::size_t pos);

// --- messages the host receives -------------------------------------------------------------

// Decodes a configuration message into the settings of `c`; byte 1 (the channel) is the
// caller's to read. The parameters of other curve types, the live values and `selected`
// stay; nothing is range-checked.
void ComFW_ProecessConfig(Channel& c, MessageView recvBytes);

// The identity a unit reports in answer to the hello.
struct Identity {
    std::uint32_t SerialNum = 0;
    std::uint16_t BuildNum = 0;
    std::uint64_t BuildDate = 0;  // ticks, 0 when the unit's date is not a real date
};
Identity DecodeIdentity(MessageView recvBytes);

// Stores the live values of a values message in the three channels; sets (never clears)
// each flag whose channel's values changed.
void DecodeValues(MessageView recvBytes, Channel& clutch, Channel& brake, Channel& throttle,
                  bool& NeedUpdateClutch, bool& NeedUpdateBreak, bool& NeedUpdateThrottle);

// --- the unit's side (used by the simulated unit and by tests) ------------------------------

Message EncodeIdentity(std::uint16_t buildNum, std::uint16_t year, std::uint8_t month,
                       std::uint8_t day, std::uint32_t serialNum);

struct LiveValues {
    std::uint16_t Raw = 0, DeadZone = 0, Calculated = 0;
};
Message EncodeValues(const std::array<LiveValues, 3>& channels);

// A payload of 64 bytes holding `bytes` in front and zeros after.
Message ToMessage(std::span<const std::uint8_t> bytes);

}  // namespace pedal
