// The check a firmware image file must pass before any of it reaches a unit, and the image
// that is then sent: the file from offset 2048 on, with its CRC field zeroed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace firmware {

// Why a file was refused; the values are the codes the user is shown (there is no 4).
enum class ImageCheckCode : int {
    Valid = 0,
    BadMarker = 1,       // bytes 2048, 2049 are not 'Q', 'v'
    LengthMismatch = 2,  // the stated total length is not the file's length
    CrcMismatch = 3,     // the file's CRC (its CRC field zeroed) is not the stored one
    TooShort = 5,        // too short to hold the leading block and the whole header
};

struct CheckedImage {
    ImageCheckCode Code = ImageCheckCode::TooShort;
    // The rest is set only for a valid file.
    std::uint16_t BuildNum = 0;       // the build the file holds
    std::vector<std::uint8_t> Image;  // what the unit pulls
    std::uint32_t ImageCrc = 0;       // CRC-32 of Image, announced with its length
};

// Checks `file` in the order: length (5), marker (1), stated length (2), CRC (3). A file
// shorter than the leading block plus the 12-byte header (2060 bytes) is refused with code
// 5, so nothing is read past its end. The file itself is not changed.
CheckedImage CheckImageFile(std::span<const std::uint8_t> file);

// "Not valid Firmware file, error code: N".
std::string InvalidImageMessage(ImageCheckCode code);

}  // namespace firmware
