#include "device/linux/LinuxHidPlatform.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "device/linux/HidrawConnection.h"
#include "device/linux/ReportDescriptor.h"
#include "device/linux/SysfsHid.h"

namespace device {
namespace {

struct EnumerateUnref {
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
};
struct DeviceUnref {
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
using EnumeratePtr = std::unique_ptr<udev_enumerate, EnumerateUnref>;
using DevicePtr = std::unique_ptr<udev_device, DeviceUnref>;

// The interface one hidraw node belongs to, or none when it cannot be identified.
std::optional<HidInterfaceInfo> Identify(udev* u, const char* syspath) {
    DevicePtr raw(udev_device_new_from_syspath(u, syspath));
    if (!raw) return std::nullopt;
    const char* node = udev_device_get_devnode(raw.get());
    if (!node) return std::nullopt;
    // Borrowed: the parent lives as long as `raw`.
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(raw.get(), "hid", nullptr);
    if (!hid) return std::nullopt;
    const char* hidSysPath = udev_device_get_syspath(hid);
    if (!hidSysPath) return std::nullopt;
    const auto identity = ReadHidIdentity(hidSysPath);
    if (!identity) return std::nullopt;
    return HidInterfaceInfo{node, identity->Id.VendorId, identity->Id.ProductId,
                            identity->OutputReportLength};
}

}  // namespace

void LinuxHidPlatform::UdevUnref::operator()(udev* u) const {
    udev_unref(u);
}
void LinuxHidPlatform::MonitorUnref::operator()(udev_monitor* m) const {
    udev_monitor_unref(m);
}

ArrivalSource ResolveArrivalSource(ArrivalSource wanted, bool udevDaemonRuns) {
    if (wanted != ArrivalSource::Automatic) return wanted;
    return udevDaemonRuns ? ArrivalSource::Udev : ArrivalSource::Kernel;
}

bool UdevDaemonRuns() {
    return ::access("/run/udev/control", F_OK) == 0;
}

std::unique_ptr<LinuxHidPlatform> LinuxHidPlatform::Create(ArrivalSource source) {
    std::unique_ptr<LinuxHidPlatform> p(new LinuxHidPlatform());
    p->udev_.reset(udev_new());
    if (!p->udev_) return nullptr;

    // "udev" events come after the rules have run, so the node's permissions are final.
    // Without a udev daemon nobody sends them (libudev then listens to nothing), so the
    // kernel's own uevents are taken: devtmpfs has made the node before the kernel sends its
    // "add", and there are no rules to wait for.
    p->source_ = ResolveArrivalSource(source, UdevDaemonRuns());
    std::unique_ptr<udev_monitor, MonitorUnref> monitor(udev_monitor_new_from_netlink(
        p->udev_.get(), p->source_ == ArrivalSource::Kernel ? "kernel" : "udev"));
    if (monitor &&
        udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "hidraw", nullptr) >= 0 &&
        udev_monitor_enable_receiving(monitor.get()) >= 0)
        p->monitor_ = std::move(monitor);
    return p;
}

LinuxHidPlatform::~LinuxHidPlatform() = default;

std::optional<std::vector<HidInterfaceInfo>> LinuxHidPlatform::Enumerate() {
    EnumeratePtr e(udev_enumerate_new(udev_.get()));
    if (!e) return std::nullopt;
    if (udev_enumerate_add_match_subsystem(e.get(), "hidraw") < 0) return std::nullopt;
    if (udev_enumerate_scan_devices(e.get()) < 0) return std::nullopt;

    std::vector<HidInterfaceInfo> interfaces;
    for (udev_list_entry* entry = udev_enumerate_get_list_entry(e.get()); entry;
         entry = udev_list_entry_get_next(entry)) {
        if (auto info = Identify(udev_.get(), udev_list_entry_get_name(entry)))
            interfaces.push_back(std::move(*info));
    }
    return interfaces;
}

OpenResult LinuxHidPlatform::Open(const std::string& path) {
    sys::UniqueFd fd(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fd) return OpenResult::Failed(errno);

    int size = 0;
    if (::ioctl(fd.get(), HIDIOCGRDESCSIZE, &size) < 0) return OpenResult::Failed(errno);
    hidraw_report_descriptor descriptor;
    std::memset(&descriptor, 0, sizeof descriptor);
    descriptor.size = static_cast<__u32>(std::clamp(size, 0, HID_MAX_DESCRIPTOR_SIZE));
    if (::ioctl(fd.get(), HIDIOCGRDESC, &descriptor) < 0) return OpenResult::Failed(errno);
    const auto lengths = ParseReportDescriptor({descriptor.value, descriptor.size});
    if (!lengths) return OpenResult::Failed(EPROTO);

    return OpenResult::Opened(
        std::make_unique<HidrawConnection>(std::move(fd), lengths->UsesReportIds));
}

int LinuxHidPlatform::arrivalFd() const {
    return monitor_ ? udev_monitor_get_fd(monitor_.get()) : -1;
}

int LinuxHidPlatform::ReadArrivals() {
    if (!monitor_) return 0;
    int arrivals = 0;
    // The monitor's socket is non-blocking: this returns once the queue is empty.
    while (DevicePtr dev{udev_monitor_receive_device(monitor_.get())}) {
        const char* action = udev_device_get_action(dev.get());
        if (action && std::strcmp(action, "add") == 0) ++arrivals;
    }
    return arrivals;
}

}  // namespace device
