#include "firmware/FirmwareImage.h"

#include <algorithm>

#include "firmware/Crc32.h"
#include "pedal/Codec.h"

namespace firmware {

std::vector<std::uint8_t> MakeFirmwareFile(std::span<const std::uint8_t> payload,
                                           std::uint16_t buildNum,
                                           std::span<const std::uint8_t> leadingBlock) {
    std::vector<std::uint8_t> file(LeadingBlockSize + HeaderSize + payload.size(), 0);
    std::copy_n(leadingBlock.begin(), std::min(leadingBlock.size(), LeadingBlockSize),
                file.begin());
    std::span<std::uint8_t> header(file.data() + LeadingBlockSize, HeaderSize);
    header[0] = Marker0;
    header[1] = Marker1;
    pedal::Put16(header, BuildNumOffset, buildNum);
    pedal::Put32(header, TotalLengthOffset, static_cast<std::uint32_t>(file.size()));
    std::copy(payload.begin(), payload.end(), file.begin() + LeadingBlockSize + HeaderSize);
    pedal::Put32(header, FileCrcOffset, Crc32Of(file));  // computed with the field still 0
    return file;
}

std::optional<ImageHeader> ReadImageHeader(std::span<const std::uint8_t> image) {
    if (image.size() < HeaderSize || image[0] != Marker0 || image[1] != Marker1)
        return std::nullopt;
    return ImageHeader{pedal::Get16(image, BuildNumOffset), pedal::Get32(image, TotalLengthOffset)};
}

}  // namespace firmware
