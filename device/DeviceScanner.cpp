#include "device/DeviceScanner.h"

namespace device {

DeviceScanner::DeviceScanner(HidPlatform& platform, std::shared_ptr<const ThreadStop> allThreadStop)
    : platform_(platform), allThreadStop_(std::move(allThreadStop)) {}

int DeviceScanner::FindNewDevices(HidDeviceList& list,
                                  const std::function<void()>& updateProductPages) {
    std::vector<std::string> denied;
    int found = 0;
    while (auto dev = HidDevice::FindHidDevices(platform_, list, allThreadStop_, &denied)) {
        list.push_back(std::move(dev));
        ++found;
    }
    permissionDenied_ = std::move(denied);
    if (updateProductPages) updateProductPages();
    return found;
}

}  // namespace device
