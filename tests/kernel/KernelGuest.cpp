// The Linux backend against the kernel's own HID stack. Runs as the only program of a small
// guest system (scripts/kernel-test boots it in QEMU) where the hid, uhid and hid-generic
// modules are loaded and no udev daemon runs. Simulated pedal units are plugged in through
// /dev/uhid, so the backend meets the same hidraw nodes, sysfs attributes and uevents a USB
// unit produces. Prints each check and ends with one line:
//   TRIMDECK-KERNEL-TEST: PASS
//   TRIMDECK-KERNEL-TEST: FAIL <the first reason>
// and exits 0 only on PASS.
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "device/ComFW.h"
#include "device/DeviceScanner.h"
#include "device/HidDevice.h"
#include "device/linux/LinuxHidPlatform.h"
#include "firmware/FirmwareImage.h"
#include "fwupdate/ComFWUpdate.h"
#include "pedal/BuildDate.h"
#include "prompts/ScriptedPrompts.h"
#include "sim/SimulatedUnit.h"
#include "sim/UhidTransport.h"
#include "support/Wait.h"

using namespace std::chrono_literals;
using device::HidDevice;
using pedal::Message;
using testing_support::WaitUntil;

namespace {

// Software emulation is slow; every wait is generous and still bounded.
constexpr auto kDeadline = 15s;

struct Failed {
    std::string reason;
};

class Checks {
public:
    void Check(bool ok, const std::string& what) {
        std::printf("  %s %s\n", ok ? "ok  " : "FAIL", what.c_str());
        std::fflush(stdout);
        if (!ok && first_.empty()) first_ = what;
    }
    // A check the rest cannot do without.
    void Require(bool ok, const std::string& what) {
        Check(ok, what);
        if (!ok) throw Failed{what};
    }
    const std::string& FirstFailure() const { return first_; }

private:
    std::string first_;
};

void Step(const char* title) {
    std::printf("== %s\n", title);
    std::fflush(stdout);
}

std::string Hex(unsigned v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%04x", v);
    return buf;
}

// Takes a unit's received messages, keeping the newest values message, until one with
// `code` comes; none when the deadline passes first.
class Reader {
public:
    explicit Reader(HidDevice& dev) : dev_(dev) {}

    std::optional<Message> Next(std::uint8_t code, std::chrono::milliseconds deadline = kDeadline) {
        std::optional<Message> found;
        WaitUntil(
            [&] {
                Message m;
                while (!found && dev_.GetRecvMessage(m)) {
                    if (m[0] == pedal::CmdValues) {
                        lastValues = m;
                        ++valuesSeen;
                    }
                    if (m[0] == code) found = m;
                }
                return found.has_value();
            },
            deadline);
        return found;
    }
    // Takes whatever is waiting.
    void Drain() { Next(0xFF, 0ms); }

    std::optional<Message> lastValues;
    long valuesSeen = 0;

private:
    HidDevice& dev_;
};

bool IsPedalUnit(const device::HidInterfaceInfo& i) {
    return i.VendorId == pedal::PedalVendorId && i.ProductId == pedal::PedalProductId;
}

// The pedal interfaces listed now whose paths are not in `known`.
std::vector<device::HidInterfaceInfo> NewPedalInterfaces(device::HidPlatform& platform,
                                                         const std::vector<std::string>& known) {
    std::vector<device::HidInterfaceInfo> found;
    if (const auto all = platform.Enumerate())
        for (const auto& i : *all)
            if (IsPedalUnit(i) && std::find(known.begin(), known.end(), i.Path) == known.end())
                found.push_back(i);
    return found;
}

// Waits on the arrival fd until at least one "add" has been read.
int WaitForArrivals(device::HidPlatform& platform) {
    int adds = 0;
    const auto until = std::chrono::steady_clock::now() + kDeadline;
    while (adds == 0 && std::chrono::steady_clock::now() < until) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        pollfd p{platform.arrivalFd(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::max<long>(left.count(), 0))) > 0)
            adds += platform.ReadArrivals();
    }
    return adds;
}

std::unique_ptr<sim::UhidTransport> MakeUhid(Checks& c, const std::string& uniq) {
    auto made =
        sim::UhidTransport::Create({.Name = "Trimdeck kernel test unit " + uniq, .Uniq = uniq});
    c.Require(made.transport != nullptr,
              "uhid device " + uniq + " created" +
                  (made.error ? std::string(" (") + std::strerror(made.error) + ")" : ""));
    return std::move(made.transport);
}

// Drops the units whose I/O failed, as the window's poll does.
void DropFailed(device::HidDeviceList& list) {
    std::erase_if(list, [](const auto& dev) { return dev->HasError.load(); });
}

void Identify(Checks& c, HidDevice& dev, Reader& r, std::uint16_t build, std::uint32_t serial) {
    const auto identity = r.Next(pedal::CmdComStart);
    c.Require(identity.has_value(), "the unit answers the hello");
    device::ComFW_ProecessComStart(dev, *identity);
    c.Check(dev.BuildNum == build, "build number " + std::to_string(dev.BuildNum));
    c.Check(dev.SerialNum == serial, "serial number " + std::to_string(dev.SerialNum));
    c.Check(pedal::BuildDateToCalendar(dev.BuildDate) == pedal::CalendarDate{2017, 3, 9},
            "build date 2017-03-09");
}

void Run(Checks& c) {
    c.Require(::access("/dev/uhid", R_OK | W_OK) == 0, "/dev/uhid is there");
    auto platform = device::LinuxHidPlatform::Create();
    c.Require(platform != nullptr, "libudev starts");
    c.Check(platform->arrivalSource() == device::ArrivalSource::Kernel,
            "no udev daemon: arrivals come from the kernel's uevents");
    c.Require(platform->arrivalFd() >= 0, "the arrival monitor is open");

    auto stop = std::make_shared<device::ThreadStop>();
    device::HidDeviceList list;
    device::DeviceScanner scanner(*platform, stop);
    int pageUpdates = 0;
    const auto pages = [&] { ++pageUpdates; };

    // --- one unit, listed from sysfs ---
    Step("enumeration");
    sim::SimulatedUnit unitA({.Identity = {.SerialNum = 0xA1}, .ValuesHz = 200});
    unitA.Attach(MakeUhid(c, "A"));
    std::vector<device::HidInterfaceInfo> listed;
    WaitUntil([&] { return !(listed = NewPedalInterfaces(*platform, {})).empty(); }, kDeadline);
    c.Require(listed.size() == 1,
              "the unit is listed once (" + std::to_string(listed.size()) + ")");
    const auto infoA = listed[0];
    struct stat st {};
    c.Check(std::regex_match(infoA.Path, std::regex("/dev/hidraw[0-9]+")) &&
                ::stat(infoA.Path.c_str(), &st) == 0 && S_ISCHR(st.st_mode),
            "path " + infoA.Path + " is a hidraw character device");
    c.Check(infoA.VendorId == 0x03EB, "vendor " + Hex(infoA.VendorId));
    c.Check(infoA.ProductId == 0x5A17, "product " + Hex(infoA.ProductId));
    c.Require(infoA.OutputReportLength == 65,
              "output report length " + std::to_string(infoA.OutputReportLength) + " (65)");
    c.Check(WaitForArrivals(*platform) >= 1, "its arrival was heard");

    // --- discovery, the I/O thread and the codec ---
    Step("discovery and protocol");
    c.Require(scanner.FindNewDevices(list, pages) == 1 && list.size() == 1, "one unit found");
    c.Check(pageUpdates == 1, "the pages were updated once");
    c.Check(list[0]->DevPath() == infoA.Path, "found under " + list[0]->DevPath());
    HidDevice* devA = list[0].get();
    Reader readA(*devA);
    pedal::Report hello{};
    hello[1] = pedal::CmdComStart;
    c.Check(unitA.WaitForReports([](const auto& r) { return !r.empty(); }, kDeadline) &&
                unitA.ReceivedReports().front() == hello,
            "the hello crossed hidraw and uhid as report ID 0 and 64 bytes");
    Identify(c, *devA, readA, 18, 0xA1);

    device::SendCommand(*devA, pedal::CmdLoadConfig);
    for (int ch = 0; ch < 3; ++ch) {
        const auto config = readA.Next(pedal::CmdLoadConfig);
        c.Require(config.has_value(), "load: configuration " + std::to_string(ch) + " came");
        c.Check((*config)[1] == ch, "load: channel " + std::to_string((*config)[1]) + " in order");
    }

    devA->BreakChannel.CalcType = pedal::CALCTYPE::MultiPoint;
    devA->BreakChannel.MultiPointArray = {50, 150, 250, 350, 450, 550, 650, 750, 1000};
    devA->BreakChannel.DeadZoneMax = 1500;
    devA->BreakChannel.BreakOutputLimit = 800;
    device::ComFW_SendConfig(*devA, devA->BreakChannel);
    device::SendCommand(*devA, pedal::CmdSaveConfig);
    c.Check(readA.Next(pedal::CmdSaveConfig).has_value(), "save acknowledged");
    device::SendCommand(*devA, pedal::CmdLoadConfig);
    pedal::Channel readBack(pedal::BreakIndex);
    for (int ch = 0; ch < 3; ++ch) {
        const auto config = readA.Next(pedal::CmdLoadConfig);
        c.Require(config.has_value(), "reload: configuration " + std::to_string(ch) + " came");
        if ((*config)[1] == pedal::BreakIndex) pedal::ComFW_ProecessConfig(readBack, *config);
    }
    c.Check(readBack.SameSettings(devA->BreakChannel), "the brake configuration reads back");
    c.Check(unitA.State().Stored[pedal::BreakIndex].SameSettings(devA->BreakChannel),
            "the unit stored it");

    unitA.SetRaw(pedal::BreakIndex, 65535);
    const bool flowing = WaitUntil(
        [&] {
            readA.Drain();
            if (!readA.lastValues) return false;
            bool cl = false, br = false, th = false;
            device::ComFW_ProcessValues(*devA, *readA.lastValues, cl, br, th);
            return devA->BreakChannel.ChannelValue == 65535;
        },
        kDeadline);
    c.Check(flowing, "values flow (brake raw 65535)");
    c.Check(devA->BreakChannel.ChannelValueCalculated == 52428,
            "brake output " + std::to_string(devA->BreakChannel.ChannelValueCalculated) +
                " through the 80 % limit just sent");

    // --- a second unit arrives ---
    Step("arrival");
    sim::SimulatedUnit unitB({.Identity = {.SerialNum = 0xB2}, .ValuesHz = 200});
    unitB.Attach(MakeUhid(c, "B"));
    c.Require(WaitForArrivals(*platform) >= 1, "the arrival monitor reports the second unit");
    int found = 0;
    WaitUntil([&] { return (found += scanner.FindNewDevices(list, pages)) > 0; }, kDeadline);
    c.Require(found == 1 && list.size() == 2, "the arrival finds exactly the new unit");
    HidDevice* devB = list[1].get();
    c.Check(devB->DevPath() != devA->DevPath(), "under its own path " + devB->DevPath());
    Reader readB(*devB);
    Identify(c, *devB, readB, 18, 0xB2);

    // --- a firmware image pulled by unit A, which then restarts as a new device ---
    Step("firmware");
    std::atomic<int> reattachError{-1};
    unitA.SetOnRestart([&] {
        // A restarted unit enumerates afresh: a new kernel device.
        auto made =
            sim::UhidTransport::Create({.Name = "Trimdeck kernel test unit A", .Uniq = "A"});
        reattachError = made.error;
        if (made.transport) unitA.Attach(std::move(made.transport));
    });
    std::vector<std::uint8_t> payload(4096 - firmware::HeaderSize);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i * 7);
    const auto file = firmware::MakeFirmwareFile(payload, 19);
    prompts::ScriptedPrompts prompts;
    prompts.YesNoAnswers = {true};
    c.Require(fwupdate::ComFW_SendUpdateStart(*devA, file, prompts), "the image is announced");
    int requests = 0;
    bool allSent = false;
    while (!allSent) {
        if (!readA.Next(pedal::CmdUpdateStart)) break;
        ++requests;
        allSent = fwupdate::ComFW_AnswerChunkRequest(*devA).Result ==
                  fwupdate::ChunkAnswer::Kind::AllSent;
        readB.Drain();
    }
    c.Check(allSent && requests == 4096 / 32 + 1,
            "4 KiB pulled in " + std::to_string(requests) + " requests");
    c.Check(WaitUntil([&] { return unitA.State().UpdatesVerified == 1; }, kDeadline),
            "the unit verified the image's length and CRC");
    c.Check(WaitUntil([&] { return devA->HasError.load(); }, kDeadline),
            "its restart ends the old connection (HasError)");
    c.Require(WaitUntil([&] { return reattachError.load() >= 0; }, kDeadline) && reattachError == 0,
              "the restarted unit is a new uhid device");
    c.Check(WaitForArrivals(*platform) >= 1, "its arrival is heard");
    DropFailed(list);
    found = 0;
    WaitUntil([&] { return (found += scanner.FindNewDevices(list, pages)) > 0; }, kDeadline);
    c.Require(found == 1 && list.size() == 2, "the restarted unit is found again");
    devA = list[1].get();
    Reader readA2(*devA);
    Identify(c, *devA, readA2, 19, 0xA1);

    // --- unit B destroyed mid-stream ---
    Step("unplug");
    const long before = (readB.Drain(), readB.valuesSeen);
    c.Check(WaitUntil([&] { return readB.Drain(), readB.valuesSeen >= before + 20; }, kDeadline),
            "unit B streams values");
    const std::string pathB = devB->DevPath();
    unitB.Unplug();  // UHID_DESTROY
    c.Check(WaitUntil([&] { return devB->HasError.load(); }, kDeadline),
            "destroying it mid-stream sets HasError");
    c.Check(!devA->HasError, "the other unit carries on");
    DropFailed(list);
    c.Check(list.size() == 1 && list[0]->DevPath() == devA->DevPath(),
            "the failed unit is dropped");
    const auto after = platform->Enumerate();
    c.Check(after && std::none_of(after->begin(), after->end(),
                                  [&](const auto& i) { return i.Path == pathB; }),
            pathB + " is gone from the list");
    c.Check(scanner.FindNewDevices(list, pages) == 0 && list.size() == 1,
            "a rescan finds nothing new");

    // --- shutdown ---
    Step("shutdown");
    const auto before2 = unitA.ReceivedReports().size();
    stop->Raise();
    list.clear();
    pedal::Report stopReport{};
    stopReport[1] = pedal::CmdComStop;
    c.Check(
        unitA.WaitForReports(
            [&](const auto& r) { return r.size() > before2 && r.back() == stopReport; }, kDeadline),
        "the unit got the stop report");
}

}  // namespace

int main() {
    // A last resort against a hang the waits do not cover: the guest then fails loudly.
    ::alarm(150);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Checks checks;
    std::string reason;
    try {
        Run(checks);
    } catch (const Failed& f) {
        reason = f.reason;
    } catch (const std::exception& e) {
        reason = std::string("exception: ") + e.what();
    }
    // The first check that failed says most; a later Require only stopped the run.
    if (!checks.FirstFailure().empty()) reason = checks.FirstFailure();
    if (reason.empty()) {
        std::printf("TRIMDECK-KERNEL-TEST: PASS\n");
        return 0;
    }
    std::printf("TRIMDECK-KERNEL-TEST: FAIL %s\n", reason.c_str());
    return 1;
}
