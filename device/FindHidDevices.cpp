// One scan for a new pedal unit over the HID platform port.
#include <algorithm>
#include <array>
#include <system_error>

#include "device/HidDevice.h"
#include "device/HidPlatform.h"

namespace device {
namespace {

bool IsPedalUnit(const HidInterfaceInfo& i) {
    // Product before vendor, then the report length: the order a unit is told apart in.
    if (i.ProductId != pedal::PedalProductId) return false;
    if (i.VendorId != pedal::PedalVendorId) return false;
    return i.OutputReportLength == pedal::PedalOutputReportLength;
}

bool IsConnected(const std::string& path, const HidDeviceList& list) {
    // Exact, case-sensitive text: the path is what identifies a unit.
    return std::any_of(list.begin(), list.end(),
                       [&](const auto& dev) { return dev && dev->DevPath() == path; });
}

}  // namespace

std::unique_ptr<HidDevice> HidDevice::FindHidDevices(
    HidPlatform& platform, const std::vector<std::unique_ptr<HidDevice>>& currentDeviceList,
    std::shared_ptr<const ThreadStop> allThreadStop, std::vector<std::string>* permissionDenied) {
    const auto interfaces = platform.Enumerate();
    if (!interfaces) return nullptr;  // no list, no units

    for (const auto& info : *interfaces) {
        if (!IsPedalUnit(info)) continue;
        // Compared before opening: a connected unit needs no second handle to be recognised.
        if (IsConnected(info.Path, currentDeviceList)) continue;

        auto opened = platform.Open(info.Path);
        if (!opened.connection) {
            if (opened.PermissionDenied() && permissionDenied &&
                std::find(permissionDenied->begin(), permissionDenied->end(), info.Path) ==
                    permissionDenied->end())
                permissionDenied->push_back(info.Path);
            continue;
        }

        std::unique_ptr<HidDevice> dev;
        try {
            dev = Create(std::move(opened.connection), info.Path, allThreadStop);
        } catch (const std::system_error&) {
            continue;  // no thread or eventfd to be had; the connection closed on the way out
        }
        const std::array<std::uint8_t, 1> hello{pedal::CmdComStart};
        dev->SendData(hello);
        return dev;  // later interfaces wait for the next scan
    }
    return nullptr;
}

}  // namespace device
