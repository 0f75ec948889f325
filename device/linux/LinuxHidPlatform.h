// The HID platform on Linux: hidraw nodes listed by libudev and identified from sysfs
// without opening them, opened O_RDWR | O_NONBLOCK | O_CLOEXEC, and a udev monitor on the
// hidraw subsystem whose fd becomes readable when a node is added.
#pragma once

#include <memory>

#include "device/HidPlatform.h"

struct udev;
struct udev_monitor;

namespace device {

class LinuxHidPlatform final : public HidPlatform {
public:
    // None when libudev cannot start. A missing monitor is not fatal: arrivalFd() is then -1
    // and units are found by rescans only.
    static std::unique_ptr<LinuxHidPlatform> Create();
    ~LinuxHidPlatform() override;
    LinuxHidPlatform(const LinuxHidPlatform&) = delete;
    LinuxHidPlatform& operator=(const LinuxHidPlatform&) = delete;

    // Every hidraw node with a device node and a readable HID_ID; the path is the node
    // (/dev/hidrawN), the identity comes from the parent "hid" device in sysfs.
    std::optional<std::vector<HidInterfaceInfo>> Enumerate() override;
    // Opens the node and learns from its descriptor whether reports are numbered.
    OpenResult Open(const std::string& path) override;
    int arrivalFd() const override;
    int ReadArrivals() override;

private:
    struct UdevUnref {
        void operator()(udev* u) const;
    };
    struct MonitorUnref {
        void operator()(udev_monitor* m) const;
    };

    LinuxHidPlatform() = default;

    std::unique_ptr<udev, UdevUnref> udev_;
    std::unique_ptr<udev_monitor, MonitorUnref> monitor_;
};

}  // namespace device
