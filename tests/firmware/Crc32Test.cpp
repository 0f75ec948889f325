#include "firmware/Crc32.h"

#include <gtest/gtest.h>

#include <random>
#include <string_view>
#include <vector>

using namespace firmware;

namespace {

// The register algorithm exactly as the unit's firmware documents it: bits reversed in,
// MSB-first shift with 0x04C11DB7, all 32 bits reversed and complemented at the end.
std::uint32_t ReferenceCrc(const std::vector<std::uint8_t>& data) {
    auto rev = [](std::uint32_t v, int bits) {
        std::uint32_t r = 0;
        for (int i = 0; i < bits; ++i) r |= ((v >> i) & 1u) << (bits - 1 - i);
        return r;
    };
    std::uint32_t reg = 0xFFFFFFFFu;
    for (std::uint8_t b : data) {
        reg ^= rev(b, 8) << 24;
        for (int k = 0; k < 8; ++k) reg = (reg & 0x80000000u) ? (reg << 1) ^ 0x04C11DB7u : reg << 1;
    }
    return ~rev(reg, 32);
}

std::vector<std::uint8_t> Of(std::string_view s) { return {s.begin(), s.end()}; }

TEST(Crc32, StandardCheckValueAndEmptyBuffer) {
    EXPECT_EQ(Crc32Of(Of("123456789")), 0xCBF43926u);
    EXPECT_EQ(crc32end(crc32(nullptr, 0, 0xFFFFFFFFu)), 0u);
    EXPECT_EQ(crc32(nullptr, -5, 0x12345678u), 0x12345678u) << "a negative count reads nothing";
}

TEST(Crc32, TableMatchesTheBitwiseRegisterOnRandomBuffersAndSplits) {
    std::mt19937 rng(7);
    for (int len : {1, 2, 3, 31, 32, 33, 255, 4096}) {
        std::vector<std::uint8_t> data(len);
        for (auto& b : data) b = static_cast<std::uint8_t>(rng());
        const std::uint32_t expected = ReferenceCrc(data);
        EXPECT_EQ(Crc32Of(data), expected) << "length " << len;
        // The running value carries across calls.
        const int half = len / 2;
        const std::uint32_t mid = crc32(data.data(), half, 0xFFFFFFFFu);
        EXPECT_EQ(crc32end(crc32(data.data() + half, len - half, mid)), expected);
    }
}

}  // namespace
