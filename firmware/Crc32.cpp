#include "firmware/Crc32.h"

#include <array>
#include <bit>
#include <limits>

namespace firmware {
namespace {

// The register is kept bit-reversed, so the MSB-first shift with polynomial 0x04C11DB7
// becomes an LSB-first shift with its reflection 0xEDB88320, eight bits per table step.
constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = i;
        for (int k = 0; k < 8; ++k) r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
        t[i] = r;
    }
    return t;
}
constexpr auto kTable = MakeTable();

constexpr std::uint32_t Reverse32(std::uint32_t v) {
    std::uint32_t r = 0;
    for (int i = 0; i < 32; ++i) r |= ((v >> i) & 1u) << (31 - i);
    return r;
}

}  // namespace

std::uint32_t crc32(const std::uint8_t* message, std::int32_t nBytes, std::uint32_t crcvalue) {
    if (nBytes <= 0) return crcvalue;
    std::uint32_t r = Reverse32(crcvalue);
    for (std::int32_t i = 0; i < nBytes; ++i) r = kTable[(r ^ message[i]) & 0xFF] ^ (r >> 8);
    return Reverse32(r);
}

std::uint32_t crc32end(std::uint32_t crcvalue) { return ~Reverse32(crcvalue); }

std::uint32_t Crc32Of(std::span<const std::uint8_t> bytes) {
    std::uint32_t r = 0xFFFFFFFFu;
    // crc32 counts in signed 32 bits; feed larger buffers in pieces.
    constexpr std::size_t kMax = std::numeric_limits<std::int32_t>::max();
    for (std::size_t at = 0; at < bytes.size(); at += kMax) {
        const std::size_t n = std::min(kMax, bytes.size() - at);
        r = crc32(bytes.data() + at, static_cast<std::int32_t>(n), r);
    }
    return crc32end(r);
}

}  // namespace firmware
