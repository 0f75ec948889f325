// The Linux platform on the machine the tests run on. The build machines have no HID
// devices; where there are some, the test still holds: only pedal units may be found.
#include "device/linux/LinuxHidPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "device/DeviceScanner.h"

namespace {

bool IsPedalUnit(const device::HidInterfaceInfo& i) {
    return i.VendorId == pedal::PedalVendorId && i.ProductId == pedal::PedalProductId &&
           i.OutputReportLength == pedal::PedalOutputReportLength;
}

TEST(LinuxHidPlatform, EnumeratesAndWatchesForArrivalsWithoutError) {
    auto platform = device::LinuxHidPlatform::Create();
    ASSERT_NE(platform, nullptr) << "libudev starts";
    ASSERT_GE(platform->arrivalFd(), 0) << "the hidraw monitor is open";
    EXPECT_EQ(platform->ReadArrivals(), 0) << "nothing was plugged in";

    const auto interfaces = platform->Enumerate();
    ASSERT_TRUE(interfaces.has_value()) << "the hidraw list can be built";
    for (const auto& i : *interfaces)
        EXPECT_TRUE(i.Path.starts_with("/dev/")) << i.Path;
    const auto units = std::count_if(interfaces->begin(), interfaces->end(), IsPedalUnit);

    auto stop = std::make_shared<device::ThreadStop>();
    device::HidDeviceList list;
    device::DeviceScanner scanner(*platform, stop);
    int pageUpdates = 0;
    scanner.FindNewDevices(list, [&] { ++pageUpdates; });
    EXPECT_EQ(pageUpdates, 1);
    EXPECT_LE(static_cast<long>(list.size() + scanner.PermissionDenied().size()), units)
        << "only pedal units are taken (none on a machine without them)";
    stop->Raise();
}

TEST(LinuxHidPlatform, ArrivalsComeFromTheKernelWhenNoUdevDaemonRuns) {
    using device::ArrivalSource;
    struct Case {
        ArrivalSource wanted;
        bool daemon;
        ArrivalSource resolved;
    };
    const Case cases[] = {
        {ArrivalSource::Automatic, true, ArrivalSource::Udev},
        {ArrivalSource::Automatic, false, ArrivalSource::Kernel},
        {ArrivalSource::Udev, false, ArrivalSource::Udev},
        {ArrivalSource::Kernel, true, ArrivalSource::Kernel},
    };
    for (const auto& c : cases)
        EXPECT_EQ(device::ResolveArrivalSource(c.wanted, c.daemon), c.resolved)
            << static_cast<int>(c.wanted) << " daemon " << c.daemon;

    const auto automatic = device::LinuxHidPlatform::Create();
    ASSERT_NE(automatic, nullptr);
    EXPECT_EQ(automatic->arrivalSource(),
              device::UdevDaemonRuns() ? ArrivalSource::Udev : ArrivalSource::Kernel);
    for (const auto source : {ArrivalSource::Udev, ArrivalSource::Kernel}) {
        const auto platform = device::LinuxHidPlatform::Create(source);
        ASSERT_NE(platform, nullptr);
        EXPECT_EQ(platform->arrivalSource(), source);
        EXPECT_GE(platform->arrivalFd(), 0) << "a monitor on either source opens";
        EXPECT_EQ(platform->ReadArrivals(), 0);
    }
}

TEST(LinuxHidPlatform, OpeningAMissingNodeFailsWithItsErrno) {
    auto platform = device::LinuxHidPlatform::Create();
    ASSERT_NE(platform, nullptr);
    const auto r = platform->Open("/dev/hidraw-trimdeck-missing");
    EXPECT_EQ(r.connection, nullptr);
    EXPECT_EQ(r.error, ENOENT);
    EXPECT_FALSE(r.PermissionDenied());
}

}  // namespace
