// An in-process HID platform for tests and the demo: interfaces registered at run time, each
// either a simulated pedal unit (opening it connects the unit over a socket pair) or a
// foreign device nobody serves. Interfaces can be unplugged, plugged in again under the same
// path, and made to refuse opening; an eventfd signals every arrival. All members are safe
// from any thread: tests plug and unplug while the window's thread scans.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/HidPlatform.h"
#include "sim/SimulatedUnit.h"
#include "sys/EventFd.h"

namespace device {

class VirtualHidPlatform final : public HidPlatform {
public:
    VirtualHidPlatform();
    // Stops every unit; connections still open then fail as on an unplug.
    ~VirtualHidPlatform() override;
    VirtualHidPlatform(const VirtualHidPlatform&) = delete;
    VirtualHidPlatform& operator=(const VirtualHidPlatform&) = delete;

    // Registers and plugs in a pedal unit (its IDs, 65-byte output reports) under a new
    // `path`, and returns the unit, which lives as long as the platform. After a firmware
    // restart the unit comes back under the same path, with an arrival. Throws
    // std::invalid_argument when `path` is taken.
    sim::SimulatedUnit& AddUnit(const std::string& path, sim::SimulatedUnit::Options options = {});
    // Registers and plugs in an interface no unit serves: another kind of device, or one
    // with the pedal's IDs and another report length. Opening it gives a connection that
    // nobody answers. Throws std::invalid_argument when the path is taken.
    void AddForeign(const HidInterfaceInfo& info);

    // Gone from the enumeration; connections to it fail (a unit drops its end).
    void Unplug(const std::string& path);
    // Plugs a registered interface in again under the same path (unplugging it first if it
    // is plugged) and signals an arrival.
    void Replug(const std::string& path);
    // Makes opening `path` fail with `error` (EACCES, EPERM, EIO...); 0 lets it open.
    void SetOpenError(const std::string& path, int error);

    bool IsPlugged(const std::string& path) const;
    // How often Open was asked for `path`, refused or not.
    int OpenCount(const std::string& path) const;
    // How often the interfaces were enumerated (one per scan).
    int EnumerateCount() const;

    std::optional<std::vector<HidInterfaceInfo>> Enumerate() override;
    OpenResult Open(const std::string& path) override;
    int arrivalFd() const override { return arrival_.fd(); }
    int ReadArrivals() override;

private:
    struct Interface;

    Interface& AddLocked(const HidInterfaceInfo& info);
    Interface* FindLocked(const std::string& path) const;
    void UnplugLocked(Interface& i);
    void ArrivedLocked();
    void Restarted(const std::string& path);

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Interface>> interfaces_;  // in enumeration order
    int pendingArrivals_ = 0;
    int enumerations_ = 0;
    sys::EventFd arrival_;
};

}  // namespace device
