// The window's FindNewDevice without the window: scans the HID platform until no new pedal
// unit is found, appends each one to the unit list, then has the device tabs rebuilt. It also
// keeps the paths of units this user may not open, so the window can say how to grant access.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/HidDevice.h"
#include "device/HidPlatform.h"
#include "device/ThreadStop.h"

namespace device {

class DeviceScanner {
public:
    // Borrows `platform` (which must outlive the scanner); every unit it makes shares
    // `allThreadStop`.
    DeviceScanner(HidPlatform& platform, std::shared_ptr<const ThreadStop> allThreadStop);

    // Scans (FindHidDevices) until a scan finds nothing, appending each unit it returns to
    // `list`: n new units take n + 1 scans and are appended, greeted, in enumeration order.
    // Then calls `updateProductPages` once, also when nothing was found. Returns the number
    // of units appended. Window's thread.
    int FindNewDevices(HidDeviceList& list, const std::function<void()>& updateProductPages);

    // Pedal units the last FindNewDevices saw but was refused (EACCES/EPERM), in
    // enumeration order; empty once they can be opened or are gone.
    const std::vector<std::string>& PermissionDenied() const { return permissionDenied_; }

    HidPlatform& Platform() const { return platform_; }

private:
    HidPlatform& platform_;
    std::shared_ptr<const ThreadStop> allThreadStop_;
    std::vector<std::string> permissionDenied_;
};

}  // namespace device
