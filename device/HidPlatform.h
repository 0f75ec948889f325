// The HID platform port: what discovery needs of the operating system. A list of the HID
// interfaces present, each with a stable path and its identity; opening a path for reading
// and writing; a pollable descriptor that tells when a device has arrived. Implemented by
// the Linux hidraw/udev backend (device/linux) and the virtual platform (device/virtual).
#pragma once

#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/Connection.h"

namespace device {

// One HID interface as the platform lists it. Listing opens nothing where the platform can
// identify a device without opening it (Linux reads sysfs).
struct HidInterfaceInfo {
    std::string Path;  // stable while the device stays plugged in; identifies a unit
    std::uint16_t VendorId = 0;
    std::uint16_t ProductId = 0;
    // Bytes of the largest output report, report ID byte included; 0 when the interface has
    // no output reports or its report descriptor could not be read.
    int OutputReportLength = 0;

    bool operator==(const HidInterfaceInfo&) const = default;
};

// The outcome of opening an interface: a connection, or the errno that refused it.
struct OpenResult {
    std::unique_ptr<Connection> connection;
    int error = 0;

    static OpenResult Opened(std::unique_ptr<Connection> c) { return {std::move(c), 0}; }
    static OpenResult Failed(int errnum) { return {nullptr, errnum}; }
    // The interface is there but this user may not open it (fixable by a udev rule).
    bool PermissionDenied() const { return !connection && (error == EACCES || error == EPERM); }
};

class HidPlatform {
public:
    virtual ~HidPlatform() = default;

    // The HID interfaces present, in the platform's enumeration order; none when the list
    // cannot be built at all. An interface that cannot be identified is left out.
    virtual std::optional<std::vector<HidInterfaceInfo>> Enumerate() = 0;
    // Opens `path` for reading and writing, also while other handles to it are open.
    virtual OpenResult Open(const std::string& path) = 0;

    // Readable when a device has arrived; -1 when the platform cannot tell (units are then
    // found only by rescans).
    virtual int arrivalFd() const = 0;
    // Takes the notifications waiting on arrivalFd() without blocking and returns how many
    // were arrivals ("add"); each one is worth a scan.
    virtual int ReadArrivals() = 0;
};

}  // namespace device
