// The standard CRC-32 (IEEE 802.3 / zlib / PNG): run crc32 over a buffer from 0xFFFFFFFF,
// then finish with crc32end.
#pragma once

#include <cstdint>
#include <span>

namespace firmware {

// Runs the CRC register over `nBytes` bytes at `message` (none when nBytes <= 0).
std::uint32_t crc32(const std::uint8_t* message, std::int32_t nBytes, std::uint32_t crcvalue);

// Finishes a running value into the CRC.
std::uint32_t crc32end(std::uint32_t crcvalue);

// The CRC-32 of a whole buffer, taken the one way the system takes it.
std::uint32_t Crc32Of(std::span<const std::uint8_t> bytes);

}  // namespace firmware
