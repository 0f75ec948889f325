// A simulated unit served through the kernel's HID stack: /dev/uhid makes a HID device whose
// reports are this unit's, so the host sees it as the hidraw node, sysfs attributes and
// uevents a USB unit produces. Linux only, and only where the uhid module is loaded.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "sim/UnitTransport.h"
#include "sys/UniqueFd.h"

namespace sim {

class UhidTransport final : public UnitTransport {
public:
    // How the device presents itself; by default a pedal unit on USB.
    struct Identity {
        std::string Name = "Trimdeck simulated pedal unit";
        std::string Uniq;  // the serial-number string; anything, to tell units apart
        std::uint16_t VendorId = pedal::PedalVendorId;
        std::uint16_t ProductId = pedal::PedalProductId;
    };

    // The device, or the errno that refused it (ENOENT: no uhid; EACCES: not allowed).
    struct CreateResult {
        std::unique_ptr<UhidTransport> transport;
        int error = 0;
    };

    // Opens `uhidPath` and creates a USB HID device that declares `descriptor` (by default
    // the pedal unit's: 64-byte input and output reports, no report IDs).
    static CreateResult Create(const Identity& identity, const std::string& uhidPath = "/dev/uhid");
    static CreateResult Create(const Identity& identity, std::span<const std::uint8_t> descriptor,
                               const std::string& uhidPath = "/dev/uhid");

    // Destroys the device: the host's hidraw node goes away and its reads fail.
    ~UhidTransport() override;
    UhidTransport(const UhidTransport&) = delete;
    UhidTransport& operator=(const UhidTransport&) = delete;

    int fd() const override { return fd_.get(); }
    // Takes the kernel's events until one carries an output report the host wrote (hidraw
    // hands it over as written: report ID 0, then the 64 payload bytes). Requests for
    // feature reports are refused at once so that the host's ioctl does not wait.
    TransportResult Receive(pedal::Report& report) override;
    // Sends the bytes after the report ID byte as one input report.
    TransportResult Send(std::span<const std::uint8_t> packet) override;

private:
    explicit UhidTransport(sys::UniqueFd fd) : fd_(std::move(fd)) {}

    sys::UniqueFd fd_;
};

}  // namespace sim
