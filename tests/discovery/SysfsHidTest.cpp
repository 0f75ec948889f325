#include "device/linux/SysfsHid.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "GoldenDescriptors.h"
#include "pedal/PedalReportDescriptor.h"

using device::HidId;
using device::HidIdentity;

namespace {

// A sysfs "hid" device directory as the kernel lays it out for a pedal unit on USB.
constexpr const char* kPedalUevent =
    "DRIVER=hid-generic\n"
    "HID_ID=0003:000003EB:00005A17\n"
    "HID_NAME=Trimdeck pedal unit\n"
    "HID_PHYS=usb-0000:00:14.0-2/input0\n"
    "HID_UNIQ=\n"
    "MODALIAS=hid:b0003g0001v000003EBp00005A17\n";

TEST(Uevent, FindsExactlyTheKeyAsked) {
    const std::string uevent = "XHID_ID=1\nHID_IDS=2\nHID_ID=0003:1:2\nHID_UNIQ=\nLAST=end";
    EXPECT_EQ(device::UeventValue(uevent, "HID_ID"), "0003:1:2");
    EXPECT_EQ(device::UeventValue(uevent, "HID_UNIQ"), "") << "present, empty";
    EXPECT_EQ(device::UeventValue(uevent, "LAST"), "end") << "no newline after the last line";
    EXPECT_EQ(device::UeventValue(uevent, "HID"), std::nullopt);
    EXPECT_EQ(device::UeventValue("", "HID_ID"), std::nullopt);
}

struct HidIdCase {
    const char* value;
    std::optional<HidId> expected;
};

class HidIdTest : public ::testing::TestWithParam<HidIdCase> {};

TEST_P(HidIdTest, Parses) {
    EXPECT_EQ(device::ParseHidId(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, HidIdTest,
    ::testing::Values(HidIdCase{"0003:000003EB:00005A17", HidId{3, 0x03EB, 0x5A17}},
                      HidIdCase{"0005:0000045e:000002e0", HidId{5, 0x045E, 0x02E0}},
                      HidIdCase{"", std::nullopt}, HidIdCase{"0003:000003EB", std::nullopt},
                      HidIdCase{"0003:000003EB:00005A17:0001", std::nullopt},
                      HidIdCase{"0003:000103EB:00005A17", std::nullopt},  // beyond 16 bits
                      HidIdCase{"0003:000003EG:00005A17", std::nullopt},
                      HidIdCase{"0003::00005A17", std::nullopt},
                      HidIdCase{"0003:000003EB:00005A17 ", std::nullopt},
                      HidIdCase{"0003:+3EB:5A17", std::nullopt},
                      HidIdCase{"0x03:03EB:5A17", std::nullopt}));

// A scratch directory standing in for /sys/devices/.../0003:03EB:5A17.0001.
class SysfsFixture : public ::testing::Test {
protected:
    SysfsFixture() {
        char name[] = "/tmp/trimdeck-sysfs-XXXXXX";
        dir_ = ::mkdtemp(name);
    }
    ~SysfsFixture() override { std::filesystem::remove_all(dir_); }

    void Write(const char* file, std::span<const std::uint8_t> bytes) {
        std::ofstream(dir_ / file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    void Write(const char* file, std::string_view text) {
        Write(file, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }
    std::optional<HidIdentity> Read() const { return device::ReadHidIdentity(dir_.string()); }

    std::filesystem::path dir_;
};

TEST_F(SysfsFixture, PedalUnitIsIdentifiedWithItsOutputReportLength) {
    Write("uevent", kPedalUevent);
    Write("report_descriptor", pedal::PedalReportDescriptor);
    EXPECT_EQ(Read(), (HidIdentity{{3, 0x03EB, 0x5A17}, 65}));
}

TEST_F(SysfsFixture, KeyboardIsIdentifiedWithItsLedReport) {
    Write("uevent", "HID_ID=0003:0000046D:0000C31C\nHID_NAME=Keyboard\n");
    Write("report_descriptor", golden::Keyboard);
    EXPECT_EQ(Read(), (HidIdentity{{3, 0x046D, 0xC31C}, 2}));
}

TEST_F(SysfsFixture, UnreadableDescriptorLeavesNoOutputLength) {
    Write("uevent", kPedalUevent);
    EXPECT_EQ(Read(), (HidIdentity{{3, 0x03EB, 0x5A17}, 0})) << "no report_descriptor file";

    const std::span<const std::uint8_t> cut(pedal::PedalReportDescriptor.data(), 20);
    Write("report_descriptor", cut);
    EXPECT_EQ(Read(), (HidIdentity{{3, 0x03EB, 0x5A17}, 0})) << "a truncated descriptor";
}

TEST_F(SysfsFixture, DeviceWithoutHidIdIsNotIdentified) {
    Write("report_descriptor", pedal::PedalReportDescriptor);
    EXPECT_EQ(Read(), std::nullopt) << "no uevent";
    Write("uevent", "DRIVER=hid-generic\nHID_NAME=Trimdeck pedal unit\n");
    EXPECT_EQ(Read(), std::nullopt) << "no HID_ID line";
    Write("uevent", "HID_ID=0003:03EB\n");
    EXPECT_EQ(Read(), std::nullopt) << "a HID_ID without the product";
}

}  // namespace
