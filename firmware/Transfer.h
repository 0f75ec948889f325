// The arithmetic of the chunked transfer: how much one chunk carries and how the progress
// window shows the position. Pure; the chunk itself is pedal::EncodeUpdateData.
#pragma once

#include <cstdint>
#include <string>

namespace firmware {

// Bytes of the next chunk of an image of `length` bytes with `sent` already sent: 32, or
// what is left when that is less; 0 once everything has been sent.
std::uint32_t ChunkLength(std::uint64_t length, std::uint64_t sent);

// The progress bar's value, 0..1000: sent * 1000 / length in integer division, without
// overflow for any image a file can state (32-bit length). 0 for an empty image.
int ProgressPermille(std::uint64_t sent, std::uint64_t length);

// The progress label: "64 b /1000 b".
std::string ProgressText(std::uint64_t sent, std::uint64_t length);

// Shown when the unit asks for more after the last chunk.
inline constexpr const char* CompletionMessage =
    "Firmware data has been sent, now the device will restart, and update a oneself!\r\n"
    "Please wait 1 minute for update progress to finish.\r\n"
    "If the device doesn't detect the computer, then reconnect it.";

}  // namespace firmware
