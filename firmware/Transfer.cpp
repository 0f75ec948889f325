#include "firmware/Transfer.h"

#include <algorithm>

#include "pedal/Commands.h"

namespace firmware {

std::uint32_t ChunkLength(std::uint64_t length, std::uint64_t sent) {
    if (sent >= length) return 0;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(pedal::FirmwareChunkSize, length - sent));
}

int ProgressPermille(std::uint64_t sent, std::uint64_t length) {
    if (length == 0) return 0;
    sent = std::min(sent, length);
    // An image states its length in 32 bits, so sent * 1000 stays far below 2^64 (the
    // product in 32 bits would overflow from about 2 MiB on).
    return static_cast<int>(sent * 1000 / length);
}

std::string ProgressText(std::uint64_t sent, std::uint64_t length) {
    return std::to_string(sent) + " b /" + std::to_string(length) + " b";
}

}  // namespace firmware
