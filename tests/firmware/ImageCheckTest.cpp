#include "firmware/ImageCheck.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "firmware/Crc32.h"
#include "firmware/FirmwareImage.h"
#include "pedal/Codec.h"

using namespace firmware;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pattern(std::size_t n, std::uint8_t seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(seed + i * 7);
    return b;
}

// A valid file: a leading block that is not all zeros, build 19, 100 payload bytes.
Bytes ValidFile() {
    return MakeFirmwareFile(Pattern(100, 3), 19, Pattern(2048, 11));
}

// Checks `file` from a heap block of exactly its size, so a read past its end is caught by
// the address sanitizer even where a vector's spare capacity would hide it.
CheckedImage CheckExact(const Bytes& file) {
    auto exact = std::make_unique<std::uint8_t[]>(file.size());
    std::copy(file.begin(), file.end(), exact.get());
    return CheckImageFile({exact.get(), file.size()});
}

struct Corruption {
    const char* name;
    std::function<void(Bytes&)> apply;
    ImageCheckCode code;
};
void PrintTo(const Corruption& c, std::ostream* os) {
    *os << c.name;
}

class Corrupted : public ::testing::TestWithParam<Corruption> {};

TEST_P(Corrupted, IsRefusedWithItsCodeAndNoImage) {
    Bytes file = ValidFile();
    GetParam().apply(file);
    const CheckedImage checked = CheckExact(file);
    EXPECT_EQ(checked.Code, GetParam().code);
    EXPECT_TRUE(checked.Image.empty());
    EXPECT_EQ(InvalidImageMessage(checked.Code),
              "Not valid Firmware file, error code: " +
                  std::to_string(static_cast<int>(GetParam().code)));
}

const auto Cut = [](std::size_t n) { return [n](Bytes& f) { f.resize(n); }; };
const auto Flip = [](std::size_t at) { return [at](Bytes& f) { f[at] ^= 0x01; }; };
const auto StatedLength = [](std::int64_t delta) {
    return
        [delta](Bytes& f) { pedal::Put32(f, 2052, static_cast<std::uint32_t>(f.size() + delta)); };
};

INSTANTIATE_TEST_SUITE_P(
    ImageCheck, Corrupted,
    ::testing::Values(
        Corruption{"empty", Cut(0), ImageCheckCode::TooShort},
        Corruption{"2047 bytes", Cut(2047), ImageCheckCode::TooShort},
        // 2048..2059 bytes cannot hold the header: refused as too short, nothing read past.
        Corruption{"2048 bytes", Cut(2048), ImageCheckCode::TooShort},
        Corruption{"2050 bytes, marker present", Cut(2050), ImageCheckCode::TooShort},
        Corruption{"2059 bytes", Cut(2059), ImageCheckCode::TooShort},
        Corruption{"marker swapped", [](Bytes& f) { std::swap(f[2048], f[2049]); },
                   ImageCheckCode::BadMarker},
        Corruption{"second marker byte", Flip(2049), ImageCheckCode::BadMarker},
        Corruption{"marker and length wrong: marker first",
                   [](Bytes& f) {
                       f[2048] = 0;
                       f.push_back(0);
                   },
                   ImageCheckCode::BadMarker},
        Corruption{"stated length one more", StatedLength(+1), ImageCheckCode::LengthMismatch},
        Corruption{"stated length one less", StatedLength(-1), ImageCheckCode::LengthMismatch},
        Corruption{"one byte appended", [](Bytes& f) { f.push_back(0); },
                   ImageCheckCode::LengthMismatch},
        Corruption{"length and CRC wrong: length first",
                   [](Bytes& f) {
                       f[0] ^= 1;
                       f.pop_back();
                   },
                   ImageCheckCode::LengthMismatch},
        Corruption{"byte in the leading block", Flip(0), ImageCheckCode::CrcMismatch},
        Corruption{"last byte of the leading block", Flip(2047), ImageCheckCode::CrcMismatch},
        Corruption{"build number", Flip(2050), ImageCheckCode::CrcMismatch},
        Corruption{"stored CRC", Flip(2059), ImageCheckCode::CrcMismatch},
        Corruption{"first payload byte", Flip(2060), ImageCheckCode::CrcMismatch},
        Corruption{"last payload byte", [](Bytes& f) { f.back() ^= 0x80; },
                   ImageCheckCode::CrcMismatch}));

TEST(ImageCheck, ValidFileGivesTheFileFrom2048WithItsCrcFieldZeroedAndThatImagesCrc) {
    const Bytes file = ValidFile();
    const CheckedImage checked = CheckExact(file);
    ASSERT_EQ(checked.Code, ImageCheckCode::Valid);
    EXPECT_EQ(checked.BuildNum, 19);

    Bytes expected(file.begin() + 2048, file.end());
    ASSERT_NE(pedal::Get32(expected, 8), 0u) << "the stored CRC must be visible before zeroing";
    pedal::Put32(expected, 8, 0);
    EXPECT_EQ(checked.Image, expected);
    EXPECT_EQ(checked.Image.size(), file.size() - 2048);
    EXPECT_EQ(checked.ImageCrc, Crc32Of(expected));
}

TEST(ImageCheck, ChangedFilePassesOnceItsStoredCrcIsTheStandardCrcOfTheFileWithTheFieldZeroed) {
    for (std::size_t at : {std::size_t{5}, std::size_t{2050}, std::size_t{2100}}) {
        Bytes file = ValidFile();
        file[at] ^= 0x5A;
        pedal::Put32(file, 2056, 0);
        pedal::Put32(file, 2056, Crc32Of(file));
        EXPECT_EQ(CheckExact(file).Code, ImageCheckCode::Valid) << "byte " << at;
    }
}

TEST(ImageCheck, HeaderOnlyFileIsValidAndItsImageIsTheTwelveHeaderBytes) {
    const Bytes file = MakeFirmwareFile({}, 7);
    ASSERT_EQ(file.size(), 2060u);
    const CheckedImage checked = CheckExact(file);
    ASSERT_EQ(checked.Code, ImageCheckCode::Valid);
    EXPECT_EQ(checked.Image, (Bytes{'Q', 'v', 7, 0, 0x0C, 0x08, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
