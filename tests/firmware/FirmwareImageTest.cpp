#include "firmware/FirmwareImage.h"

#include <gtest/gtest.h>

#include "firmware/Crc32.h"
#include "pedal/Codec.h"

using namespace firmware;

namespace {

TEST(FirmwareImage, MadeFileCarriesMarkerBuildLengthAndItsOwnCrc) {
    const std::vector<std::uint8_t> payload(100, 0xAB);
    const std::vector<std::uint8_t> lead(10, 0x55);
    auto file = MakeFirmwareFile(payload, 19, lead);

    ASSERT_EQ(file.size(), 2048u + 12u + 100u);
    EXPECT_EQ(file[0], 0x55);
    EXPECT_EQ(file[10], 0x00);
    EXPECT_EQ(file[2048], 'Q');
    EXPECT_EQ(file[2049], 'v');
    EXPECT_EQ(pedal::Get16(file, 2050), 19);
    EXPECT_EQ(pedal::Get32(file, 2052), file.size());

    const std::uint32_t stored = pedal::Get32(file, 2056);
    pedal::Put32(file, 2056, 0);
    EXPECT_EQ(Crc32Of(file), stored) << "the file CRC is taken with its own field zeroed";
}

TEST(FirmwareImage, HeaderIsReadFromTheSentImageOnly) {
    const auto file = MakeFirmwareFile(std::vector<std::uint8_t>(5, 1), 23);
    const std::span<const std::uint8_t> image(file.data() + LeadingBlockSize, file.size() - LeadingBlockSize);
    const auto header = ReadImageHeader(image);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->BuildNum, 23);
    EXPECT_EQ(header->TotalLength, file.size());

    EXPECT_FALSE(ReadImageHeader(image.first(11))) << "too short for the header";
    std::vector<std::uint8_t> swapped(image.begin(), image.end());
    std::swap(swapped[0], swapped[1]);
    EXPECT_FALSE(ReadImageHeader(swapped)) << "marker bytes swapped";
}

}  // namespace
