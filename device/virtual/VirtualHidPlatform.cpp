#include "device/virtual/VirtualHidPlatform.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "device/SocketConnection.h"

namespace device {

struct VirtualHidPlatform::Interface {
    HidInterfaceInfo Info;
    std::unique_ptr<sim::SimulatedUnit> Unit;  // none for a foreign device
    std::vector<sys::UniqueFd> ForeignEnds;    // the unanswered ends of a foreign device
    bool Plugged = true;
    int OpenError = 0;
    int Opens = 0;
};

VirtualHidPlatform::VirtualHidPlatform() = default;

VirtualHidPlatform::~VirtualHidPlatform() {
    std::vector<std::unique_ptr<Interface>> gone;
    {
        std::lock_guard lock(mutex_);
        gone.swap(interfaces_);
    }
    // Unlocked: each unit joins its thread, and a restart hook running meanwhile takes the
    // lock (and finds nothing).
    gone.clear();
}

sim::SimulatedUnit& VirtualHidPlatform::AddUnit(const std::string& path,
                                                sim::SimulatedUnit::Options options) {
    auto unit = std::make_unique<sim::SimulatedUnit>(options);
    unit->SetOnRestart([this, path] { Restarted(path); });
    std::lock_guard lock(mutex_);
    auto& i = AddLocked(
        {path, pedal::PedalVendorId, pedal::PedalProductId, pedal::PedalOutputReportLength});
    i.Unit = std::move(unit);
    return *i.Unit;
}

void VirtualHidPlatform::AddForeign(const HidInterfaceInfo& info) {
    std::lock_guard lock(mutex_);
    AddLocked(info);
}

VirtualHidPlatform::Interface& VirtualHidPlatform::AddLocked(const HidInterfaceInfo& info) {
    if (FindLocked(info.Path)) throw std::invalid_argument("path taken: " + info.Path);
    interfaces_.push_back(std::make_unique<Interface>());
    interfaces_.back()->Info = info;
    ArrivedLocked();
    return *interfaces_.back();
}

void VirtualHidPlatform::Unplug(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (auto* i = FindLocked(path)) UnplugLocked(*i);
}

void VirtualHidPlatform::Replug(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto* i = FindLocked(path);
    if (!i) return;
    UnplugLocked(*i);
    i->Plugged = true;
    ArrivedLocked();
}

void VirtualHidPlatform::SetOpenError(const std::string& path, int error) {
    std::lock_guard lock(mutex_);
    if (auto* i = FindLocked(path)) i->OpenError = error;
}

bool VirtualHidPlatform::IsPlugged(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto* i = FindLocked(path);
    return i && i->Plugged;
}

int VirtualHidPlatform::OpenCount(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto* i = FindLocked(path);
    return i ? i->Opens : 0;
}

int VirtualHidPlatform::EnumerateCount() const {
    std::lock_guard lock(mutex_);
    return enumerations_;
}

std::optional<std::vector<HidInterfaceInfo>> VirtualHidPlatform::Enumerate() {
    std::lock_guard lock(mutex_);
    ++enumerations_;
    std::vector<HidInterfaceInfo> present;
    for (const auto& i : interfaces_)
        if (i->Plugged) present.push_back(i->Info);
    return present;
}

OpenResult VirtualHidPlatform::Open(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto* i = FindLocked(path);
    if (!i) return OpenResult::Failed(ENOENT);
    ++i->Opens;
    if (!i->Plugged) return OpenResult::Failed(ENOENT);
    if (i->OpenError != 0) return OpenResult::Failed(i->OpenError);
    try {
        if (i->Unit)
            return OpenResult::Opened(std::make_unique<SocketConnection>(i->Unit->Connect()));
        auto [host, device] = sys::MakeSeqPacketPair();
        i->ForeignEnds.push_back(std::move(device));
        return OpenResult::Opened(std::make_unique<SocketConnection>(std::move(host)));
    } catch (const std::system_error& e) {
        return OpenResult::Failed(e.code().value());
    }
}

int VirtualHidPlatform::ReadArrivals() {
    std::lock_guard lock(mutex_);
    arrival_.Reset();
    return std::exchange(pendingArrivals_, 0);
}

VirtualHidPlatform::Interface* VirtualHidPlatform::FindLocked(const std::string& path) const {
    const auto it = std::find_if(interfaces_.begin(), interfaces_.end(),
                                 [&](const auto& i) { return i->Info.Path == path; });
    return it == interfaces_.end() ? nullptr : it->get();
}

void VirtualHidPlatform::UnplugLocked(Interface& i) {
    i.Plugged = false;
    if (i.Unit) i.Unit->Unplug();
    i.ForeignEnds.clear();
}

void VirtualHidPlatform::ArrivedLocked() {
    ++pendingArrivals_;
    arrival_.Signal();
}

void VirtualHidPlatform::Restarted(const std::string& path) {
    // The unit has dropped its connection and powered up again: on the bus that is a removal
    // and an arrival under the same path.
    std::lock_guard lock(mutex_);
    auto* i = FindLocked(path);
    if (i && i->Plugged) ArrivedLocked();
}

}  // namespace device
