#include "firmware/ImageCheck.h"

#include <algorithm>
#include <array>
#include <limits>

#include "firmware/Crc32.h"
#include "firmware/FirmwareImage.h"
#include "pedal/Codec.h"

namespace firmware {
namespace {

// Runs the CRC register over a buffer of any size (crc32 counts in signed 32 bits).
std::uint32_t Feed(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    constexpr std::size_t kMax = std::numeric_limits<std::int32_t>::max();
    for (std::size_t at = 0; at < bytes.size(); at += kMax) {
        const std::size_t n = std::min(kMax, bytes.size() - at);
        crc = crc32(bytes.data() + at, static_cast<std::int32_t>(n), crc);
    }
    return crc;
}

}  // namespace

CheckedImage CheckImageFile(std::span<const std::uint8_t> file) {
    CheckedImage out;
    if (file.size() < LeadingBlockSize + HeaderSize) return out;  // TooShort

    const auto header = file.subspan(LeadingBlockSize, HeaderSize);
    if (header[0] != Marker0 || header[1] != Marker1) {
        out.Code = ImageCheckCode::BadMarker;
        return out;
    }
    const std::uint16_t buildNum = pedal::Get16(header, BuildNumOffset);
    const std::uint32_t totalLength = pedal::Get32(header, TotalLengthOffset);
    const std::uint32_t fileCrc = pedal::Get32(header, FileCrcOffset);
    if (totalLength != file.size()) {
        out.Code = ImageCheckCode::LengthMismatch;
        return out;
    }

    // The file's CRC with its own four bytes taken as zero, without copying the file.
    constexpr std::size_t crcAt = LeadingBlockSize + FileCrcOffset;
    constexpr std::array<std::uint8_t, 4> zero{};
    std::uint32_t crc = Feed(file.first(crcAt), 0xFFFFFFFFu);
    crc = Feed(zero, crc);
    crc = Feed(file.subspan(crcAt + zero.size()), crc);
    if (crc32end(crc) != fileCrc) {
        out.Code = ImageCheckCode::CrcMismatch;
        return out;
    }

    out.Image.assign(file.begin() + LeadingBlockSize, file.end());
    std::fill_n(out.Image.begin() + FileCrcOffset, zero.size(), 0);
    out.ImageCrc = Crc32Of(out.Image);
    out.BuildNum = buildNum;
    out.Code = ImageCheckCode::Valid;
    return out;
}

std::string InvalidImageMessage(ImageCheckCode code) {
    return "Not valid Firmware file, error code: " + std::to_string(static_cast<int>(code));
}

}  // namespace firmware
