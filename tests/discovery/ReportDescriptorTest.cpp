#include "device/linux/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "GoldenDescriptors.h"
#include "pedal/PedalReportDescriptor.h"

using device::ParseReportDescriptor;
using device::ReportLengths;
using Bytes = std::vector<std::uint8_t>;

namespace device {
void PrintTo(const ReportLengths& r, std::ostream* os) {
    *os << "{Input " << r.Input << ", Output " << r.Output << ", Feature " << r.Feature
        << (r.UsesReportIds ? ", numbered}" : "}");
}
}  // namespace device

namespace {

template <std::size_t N>
Bytes ToBytes(const std::array<std::uint8_t, N>& a) {
    return Bytes(a.begin(), a.end());
}

// Parses a copy in a heap block of exactly the input's size, so that AddressSanitizer
// reports any read past the end.
std::optional<ReportLengths> ParseExact(std::span<const std::uint8_t> input) {
    auto block = std::make_unique<std::uint8_t[]>(input.size());
    std::copy(input.begin(), input.end(), block.get());
    return ParseReportDescriptor({block.get(), input.size()});
}

struct Golden {
    std::string name;
    Bytes descriptor;
    ReportLengths expected;
};

std::vector<Golden> Goldens() {
    return {
        {"Keyboard", ToBytes(golden::Keyboard), {.Input = 9, .Output = 2, .Feature = 0}},
        {"Mouse", ToBytes(golden::Mouse), {.Input = 4, .Output = 0, .Feature = 0}},
        {"GamepadWithReportIds",
         ToBytes(golden::Gamepad),
         {.Input = 7, .Output = 5, .Feature = 4, .UsesReportIds = true}},
        {"PedalUnit", ToBytes(pedal::PedalReportDescriptor), {.Input = 65, .Output = 65}},
    };
}

class GoldenDescriptorTest : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenDescriptorTest, LengthsAreLargestPayloadPlusReportIdByte) {
    EXPECT_EQ(ParseExact(GetParam().descriptor), GetParam().expected);
}

TEST_P(GoldenDescriptorTest, NoTruncationDeclaresAReport) {
    // A cut splits an item or leaves a collection open, unless it comes before the first
    // collection, where no report has been declared yet.
    const Bytes& d = GetParam().descriptor;
    for (std::size_t n = 0; n + 1 < d.size(); ++n) {
        const auto parsed = ParseExact({d.data(), n});
        EXPECT_TRUE(!parsed || *parsed == ReportLengths{}) << "cut after " << n << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, GoldenDescriptorTest, ::testing::ValuesIn(Goldens()),
                         [](const auto& info) { return info.param.name; });

struct Case {
    std::string name;
    Bytes descriptor;
    std::optional<ReportLengths> expected;
};

// Wraps items in an application collection.
Bytes App(std::initializer_list<std::uint8_t> items) {
    Bytes d{0xA1, 0x01};
    for (const auto b : items)
        d.push_back(b);
    d.push_back(0xC0);
    return d;
}

std::vector<Case> Cases() {
    return {
        {"BitsRoundUpToWholeBytes", App({0x75, 0x01, 0x95, 0x0C, 0x91, 0x02}), {{.Output = 3}}},
        {"FourByteItemData",
         App({0x75, 0x08, 0x97, 0x40, 0x00, 0x00, 0x00, 0x91, 0x02}),
         {{.Output = 65}}},
        {"LargestOutputReportWins",
         App({0x75, 0x08, 0x85, 0x01, 0x95, 0x10, 0x91, 0x02, 0x85, 0x02,
              0x95, 0x40, 0x91, 0x02, 0x85, 0x03, 0x95, 0x02, 0x91, 0x02}),
         {{.Output = 65, .UsesReportIds = true}}},
        {"ReportIdMatchesOnlyItsOwnItems",
         // Report 1 has 48 bytes in two items around report 2's 40 bytes.
         App({0x75, 0x08, 0x95, 0x18, 0x85, 0x01, 0x91, 0x02, 0x85, 0x02,
              0x95, 0x28, 0x91, 0x02, 0x85, 0x01, 0x95, 0x18, 0x91, 0x02}),
         {{.Output = 49, .UsesReportIds = true}}},
        {"ZeroSizedFieldsDeclareNothing", App({0x75, 0x00, 0x95, 0x40, 0x91, 0x02}), {{}}},
        {"LocalAndReservedItemsAreSkipped",
         App({0x0B, 0x01, 0x00, 0x01, 0xFF, 0x2C, 0x75, 0x08, 0x95, 0x40, 0x91, 0x02}),
         {{.Output = 65}}},
        {"ItemRunsPastTheEnd", {0x75}, std::nullopt},
        {"FourByteItemCut", {0x97, 0x40, 0x00}, std::nullopt},
        {"LongItemCutInItsHeader", {0xFE, 0x04}, std::nullopt},
        {"LongItemCutInItsData", {0xFE, 0x04, 0x00, 0x01, 0x02}, std::nullopt},
        {"PopWithoutPush", App({0xB4}), std::nullopt},
        {"PushesBeyondTheStack",
         App({0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xA4,
              0xA4, 0xA4, 0xA4}),
         std::nullopt},
        {"EndCollectionWithoutCollection", {0xC0}, std::nullopt},
        {"CollectionLeftOpen", {0xA1, 0x01, 0xA1, 0x00, 0xC0}, std::nullopt},
        {"ReportIdZero", App({0x85, 0x00}), std::nullopt},
        {"ReportIdBeyondOneByte", App({0x86, 0x00, 0x01}), std::nullopt},
        {"ReportSizeBeyond256Bits", App({0x76, 0x01, 0x01}), std::nullopt},
        {"ReportCountBeyondLimit", App({0x96, 0x01, 0x30}), std::nullopt},
        {"ReservedGlobalTag", App({0xC4, 0x00}), std::nullopt},
        {"ReportLongerThanAHostCanState", App({0x76, 0x00, 0x01, 0x96, 0x00, 0x30, 0x91, 0x02}),
         std::nullopt},
    };
}

class DescriptorCaseTest : public ::testing::TestWithParam<Case> {};

TEST_P(DescriptorCaseTest, Parses) {
    EXPECT_EQ(ParseExact(GetParam().descriptor), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Items, DescriptorCaseTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

// Random bytes, and the golden descriptors with one byte changed: whatever comes out, the
// parser returns (no crash, no read past the end) and any lengths it states are ones a
// report can have.
TEST(ReportDescriptorRobustness, RandomAndCorruptedInputs) {
    std::mt19937 random(20240611);
    std::vector<Bytes> inputs;
    for (int i = 0; i < 20000; ++i) {
        Bytes b(std::uniform_int_distribution<std::size_t>(0, 96)(random));
        for (auto& x : b)
            x = static_cast<std::uint8_t>(random());
        inputs.push_back(std::move(b));
    }
    for (const auto& g : Goldens()) {
        for (std::size_t at = 0; at < g.descriptor.size(); ++at) {
            for (int v = 0; v < 256; v += 7) {
                Bytes b = g.descriptor;
                b[at] = static_cast<std::uint8_t>(v);
                inputs.push_back(std::move(b));
            }
        }
    }

    int parsed = 0;
    for (const auto& input : inputs) {
        const auto r = ParseExact(input);
        if (!r) continue;
        ++parsed;
        for (int len : {r->Input, r->Output, r->Feature}) {
            EXPECT_TRUE(len == 0 || (len >= 2 && len <= 0xFFFF)) << len;
        }
    }
    EXPECT_GT(parsed, 0) << "the corrupted goldens include well-formed variants";
}

}  // namespace
