// Layout of a firmware image file: a 2048-byte leading block, a 12-byte header (marker "Qv",
// build number, total length, CRC-32 of the whole file with the CRC field zeroed), the rest.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace firmware {

inline constexpr std::size_t LeadingBlockSize = 2048;
inline constexpr std::size_t HeaderSize = 12;
inline constexpr std::uint8_t Marker0 = 81;   // 'Q'
inline constexpr std::uint8_t Marker1 = 118;  // 'v'
// Offsets of the header fields inside the image sent to a unit (the file from 2048 on).
inline constexpr std::size_t BuildNumOffset = 2;
inline constexpr std::size_t TotalLengthOffset = 4;
inline constexpr std::size_t FileCrcOffset = 8;

// A valid image file holding `payload` after the header, `leadingBlock` (zero-padded or cut
// to 2048 bytes) in front, stating `buildNum`, its own length and its CRC.
std::vector<std::uint8_t> MakeFirmwareFile(std::span<const std::uint8_t> payload,
                                           std::uint16_t buildNum,
                                           std::span<const std::uint8_t> leadingBlock = {});

// The header of an image as a unit receives it (the file from offset 2048 on).
struct ImageHeader {
    std::uint16_t BuildNum = 0;
    std::uint32_t TotalLength = 0;
};
// Nothing when the image is shorter than the header or lacks the marker.
std::optional<ImageHeader> ReadImageHeader(std::span<const std::uint8_t> image);

}  // namespace firmware
