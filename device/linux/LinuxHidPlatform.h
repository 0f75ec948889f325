// The HID platform on Linux: hidraw nodes listed by libudev and identified from sysfs
// without opening them, opened O_RDWR | O_NONBLOCK | O_CLOEXEC, and a udev monitor on the
// hidraw subsystem whose fd becomes readable when a node is added (the udev daemon's events,
// or the kernel's own where no udev daemon runs).
#pragma once

#include <memory>

#include "device/HidPlatform.h"

struct udev;
struct udev_monitor;

namespace device {

// Where arrivals are heard. The udev daemon's events come after its rules have set the
// node's access; the kernel's come as soon as the node exists, and are the only ones when
// no udev daemon runs (containers, a minimal system). Automatic takes the daemon's events
// when the daemon runs (its control socket exists) and the kernel's otherwise.
enum class ArrivalSource { Automatic, Udev, Kernel };

// The source Automatic resolves to, with or without a running udev daemon.
ArrivalSource ResolveArrivalSource(ArrivalSource wanted, bool udevDaemonRuns);
// Whether a udev daemon runs here: its control socket /run/udev/control exists.
bool UdevDaemonRuns();

class LinuxHidPlatform final : public HidPlatform {
public:
    // None when libudev cannot start. A missing monitor is not fatal: arrivalFd() is then -1
    // and units are found by rescans only.
    static std::unique_ptr<LinuxHidPlatform> Create(
        ArrivalSource source = ArrivalSource::Automatic);
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

    // The source the arrival monitor listens to (Udev or Kernel); meaningless when
    // arrivalFd() is -1.
    ArrivalSource arrivalSource() const { return source_; }

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
    ArrivalSource source_ = ArrivalSource::Udev;
};

}  // namespace device
