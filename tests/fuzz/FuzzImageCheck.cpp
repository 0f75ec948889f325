// The firmware image check on any bytes as a file. Besides the sanitizers' checks: a valid
// file gives exactly the image and CRC the layout defines, and the same file with its
// stated length and CRC made right is valid whenever its marker is.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "firmware/Crc32.h"
#include "firmware/FirmwareImage.h"
#include "firmware/ImageCheck.h"
#include "pedal/Codec.h"

namespace {

using firmware::ImageCheckCode;

constexpr std::size_t kHeaderAt = firmware::LeadingBlockSize;
constexpr std::size_t kCrcAt = kHeaderAt + firmware::FileCrcOffset;

void CheckValid(std::span<const std::uint8_t> file, const firmware::CheckedImage& r) {
    FUZZ_CHECK(r.Code == ImageCheckCode::Valid);
    FUZZ_CHECK(r.BuildNum == pedal::Get16(file, kHeaderAt + firmware::BuildNumOffset));
    // The image is the file from the header on, with the CRC field zeroed.
    FUZZ_CHECK(r.Image.size() == file.size() - kHeaderAt);
    for (std::size_t i = 0; i < r.Image.size(); ++i) {
        const bool crcField = i >= firmware::FileCrcOffset && i < firmware::FileCrcOffset + 4;
        FUZZ_CHECK(r.Image[i] == (crcField ? 0 : file[kHeaderAt + i]));
    }
    FUZZ_CHECK(r.ImageCrc == firmware::Crc32Of(r.Image));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const firmware::CheckedImage r = firmware::CheckImageFile(file);

    if (size < kHeaderAt + firmware::HeaderSize) {
        FUZZ_CHECK(r.Code == ImageCheckCode::TooShort);
        return 0;
    }
    const bool marker =
        file[kHeaderAt] == firmware::Marker0 && file[kHeaderAt + 1] == firmware::Marker1;
    if (!marker) FUZZ_CHECK(r.Code == ImageCheckCode::BadMarker);
    if (r.Code == ImageCheckCode::Valid) {
        CheckValid(file, r);
    } else {
        FUZZ_CHECK(r.Image.empty() && r.BuildNum == 0 && r.ImageCrc == 0);
    }
    if (!marker) return 0;

    // The same file with the length and CRC it states made right must pass.
    std::vector<std::uint8_t> fixed(file.begin(), file.end());
    pedal::Put32(fixed, kHeaderAt + firmware::TotalLengthOffset, static_cast<std::uint32_t>(size));
    pedal::Put32(fixed, kCrcAt, 0);
    pedal::Put32(fixed, kCrcAt, firmware::Crc32Of(fixed));
    const firmware::CheckedImage f = firmware::CheckImageFile(fixed);
    CheckValid(fixed, f);
    // Any one byte changed outside the CRC field then breaks it (CRC-32 sees every single
    // byte error), unless it is the marker or the stated length, which are told first.
    const std::size_t at = pedal::Get32(file, kCrcAt) % size;
    if (at < kCrcAt || at >= kCrcAt + 4) {
        fixed[at] ^= 0x01;
        const ImageCheckCode broken = firmware::CheckImageFile(fixed).Code;
        FUZZ_CHECK(broken != ImageCheckCode::Valid);
    }
    return 0;
}
