// Finding pedal units on the virtual platform: what FindNewDevice takes and leaves, hot-plug,
// and the poll's drop of a failed unit followed by a rescan.
#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

#include "device/DeviceScanner.h"
#include "device/virtual/VirtualHidPlatform.h"
#include "firmware/Crc32.h"
#include "firmware/FirmwareImage.h"
#include "pedal/Codec.h"
#include "support/SocketPeer.h"
#include "support/Wait.h"

using namespace std::chrono_literals;
using namespace device;
using testing_support::MakeReport;
using testing_support::WaitUntil;

namespace {

const pedal::Report kHello = MakeReport({pedal::CmdComStart});

HidInterfaceInfo Interface(std::string path, std::uint16_t vendor, std::uint16_t product,
                           int outputLength) {
    return {std::move(path), vendor, product, outputLength};
}

const HidInterfaceInfo kKeyboard = Interface("/dev/hidraw0", 0x046D, 0xC31C, 2);

class Discovery : public ::testing::Test {
protected:
    // A unit that speaks only when spoken to, so the hello is the first report it sees.
    sim::SimulatedUnit& AddUnit(const std::string& path) {
        return platform.AddUnit(path, {.Identity = {}, .ValuesHz = 0});
    }

    // The window's FindNewDevice.
    int FindNewDevice() {
        return scanner.FindNewDevices(list, [&] { ++pageUpdates; });
    }
    // The window's arrival handler: one scan per "add".
    int OnArrival() {
        int found = 0;
        for (int n = platform.ReadArrivals(); n > 0; --n)
            found += FindNewDevice();
        return found;
    }
    bool ArrivalPending() const {
        pollfd p{platform.arrivalFd(), POLLIN, 0};
        return ::poll(&p, 1, 0) == 1;
    }
    // The poll's turn at a failed unit: it leaves the list, and a rescan follows.
    void DropFailedAndRescan() {
        if (std::erase_if(list, [](const auto& d) { return d->HasError.load(); }) > 0)
            FindNewDevice();
    }

    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const auto& d : list)
            paths.push_back(d->DevPath());
        return paths;
    }
    static bool ReceivedHellos(const sim::SimulatedUnit& unit, long n) {
        return unit.WaitForReports(
            [&](const auto& r) { return std::count(r.begin(), r.end(), kHello) >= n; }, 3000ms);
    }
    // The next message with `code` from `dev`, skipping others.
    static std::optional<pedal::Message> Next(HidDevice& dev, std::uint8_t code) {
        std::optional<pedal::Message> found;
        WaitUntil([&] {
            pedal::Message m;
            while (!found && dev.GetRecvMessage(m))
                if (m[0] == code) found = m;
            return found.has_value();
        });
        return found;
    }

    VirtualHidPlatform platform;
    std::shared_ptr<ThreadStop> stop = std::make_shared<ThreadStop>();
    DeviceScanner scanner{platform, stop};
    HidDeviceList list;  // after the platform: units are stopped before their interfaces go
    int pageUpdates = 0;
};

struct NotAUnit {
    std::string name;
    std::vector<HidInterfaceInfo> present;
};

class NothingToFind : public Discovery, public ::testing::WithParamInterface<NotAUnit> {};

TEST_P(NothingToFind, OneScanNoOpenAndTheTabsAreStillRebuilt) {
    for (const auto& i : GetParam().present)
        platform.AddForeign(i);
    EXPECT_EQ(FindNewDevice(), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(pageUpdates, 1);
    EXPECT_EQ(platform.EnumerateCount(), 1);
    for (const auto& i : GetParam().present)
        EXPECT_EQ(platform.OpenCount(i.Path), 0) << i.Path << " is told apart without opening";
    EXPECT_TRUE(scanner.PermissionDenied().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Interfaces, NothingToFind,
    ::testing::Values(
        NotAUnit{"NoDevices", {}}, NotAUnit{"Keyboard", {kKeyboard}},
        NotAUnit{"WrongReportLength", {Interface("/dev/hidraw1", 0x03EB, 0x5A17, 64)}},
        NotAUnit{"NoOutputReports", {Interface("/dev/hidraw1", 0x03EB, 0x5A17, 0)}},
        NotAUnit{"WrongVendorRightProduct", {Interface("/dev/hidraw1", 0x03EC, 0x5A17, 65)}},
        NotAUnit{"RightVendorWrongProduct", {Interface("/dev/hidraw1", 0x03EB, 0x5A18, 65)}}),
    [](const auto& info) { return info.param.name; });

TEST_F(Discovery, TwoUnitsAreFoundInEnumerationOrderByThreeScans) {
    platform.AddForeign(kKeyboard);
    auto& a = AddUnit("/dev/hidraw1");
    platform.AddForeign(Interface("/dev/hidraw2", 0x03EB, 0x5A17, 64));
    auto& b = AddUnit("/dev/hidraw3");

    EXPECT_EQ(FindNewDevice(), 2);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/dev/hidraw1", "/dev/hidraw3"}));
    EXPECT_EQ(platform.EnumerateCount(), 3) << "n + 1 scans";
    EXPECT_EQ(pageUpdates, 1);
    for (auto* unit : {&a, &b}) {
        ASSERT_TRUE(ReceivedHellos(*unit, 1));
        EXPECT_EQ(unit->ReceivedReports().front(), kHello) << "greeted first, with [1]";
        EXPECT_EQ(unit->ConnectionCount(), 1);
    }
    EXPECT_EQ(platform.OpenCount("/dev/hidraw0"), 0);
    EXPECT_EQ(platform.OpenCount("/dev/hidraw2"), 0);

    // Each unit's connection is released once, by its own I/O thread, after the stop report.
    list.clear();
    for (auto* unit : {&a, &b}) {
        EXPECT_TRUE(WaitUntil([&] { return !unit->IsConnected(); }));
        EXPECT_EQ(unit->ReceivedReports().back(), MakeReport({pedal::CmdComStop}));
    }
}

TEST_F(Discovery, ConnectedPathIsNeitherOpenedNorMadeAgain) {
    auto& a = AddUnit("/dev/hidraw1");
    ASSERT_EQ(FindNewDevice(), 1);
    HidDevice* const first = list.front().get();

    EXPECT_EQ(FindNewDevice(), 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.front().get(), first);
    EXPECT_EQ(platform.OpenCount("/dev/hidraw1"), 1);
    EXPECT_EQ(a.ConnectionCount(), 1);
    EXPECT_EQ(pageUpdates, 2) << "the tabs are rebuilt after every call";
    ASSERT_TRUE(ReceivedHellos(a, 1));
    EXPECT_FALSE(first->HasError);
}

struct Refusal {
    std::string name;
    int error;
    bool recorded;
};

class RefusedUnit : public Discovery, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedUnit, IsSkippedAndRecordedOnlyForLackOfPermission) {
    AddUnit("/dev/hidraw1");
    AddUnit("/dev/hidraw2");
    platform.SetOpenError("/dev/hidraw1", GetParam().error);

    EXPECT_EQ(FindNewDevice(), 1);
    EXPECT_EQ(Paths(), std::vector<std::string>{"/dev/hidraw2"}) << "the next unit is found";
    EXPECT_EQ(scanner.PermissionDenied(), GetParam().recorded
                                              ? std::vector<std::string>{"/dev/hidraw1"}
                                              : std::vector<std::string>{});

    platform.SetOpenError("/dev/hidraw1", 0);  // access granted
    EXPECT_EQ(FindNewDevice(), 1);
    EXPECT_EQ(Paths(), (std::vector<std::string>{"/dev/hidraw2", "/dev/hidraw1"}));
    EXPECT_TRUE(scanner.PermissionDenied().empty());
}

INSTANTIATE_TEST_SUITE_P(Errors, RefusedUnit,
                         ::testing::Values(Refusal{"Eacces", EACCES, true},
                                           Refusal{"Eperm", EPERM, true},
                                           Refusal{"Eio", EIO, false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(Discovery, ArrivalOfAForeignDeviceScansAndArrivalOfAUnitFindsIt) {
    EXPECT_FALSE(ArrivalPending());
    platform.AddForeign(kKeyboard);
    ASSERT_TRUE(ArrivalPending());
    EXPECT_EQ(OnArrival(), 0);
    EXPECT_FALSE(ArrivalPending()) << "the notification was taken";
    EXPECT_EQ(pageUpdates, 1) << "a scan ran and rebuilt the tabs";
    EXPECT_EQ(platform.OpenCount(kKeyboard.Path), 0);

    auto& a = AddUnit("/dev/hidraw1");
    ASSERT_TRUE(ArrivalPending());
    EXPECT_EQ(OnArrival(), 1);
    EXPECT_EQ(Paths(), std::vector<std::string>{"/dev/hidraw1"});
    EXPECT_TRUE(ReceivedHellos(a, 1));

    // Two arrivals before the window looks: two scans, the second finds nothing new.
    AddUnit("/dev/hidraw2");
    platform.AddForeign(Interface("/dev/hidraw3", 0x045E, 0x02E0, 0));
    EXPECT_EQ(OnArrival(), 1);
    EXPECT_EQ(pageUpdates, 4);
}

TEST_F(Discovery, UnitReplugedBeforeTheDropIsFoundByTheRescanAfterIt) {
    auto& a = AddUnit("/dev/hidraw1");
    ASSERT_EQ(FindNewDevice(), 1);
    ASSERT_TRUE(ReceivedHellos(a, 1));
    platform.ReadArrivals();

    platform.Replug("/dev/hidraw1");  // out and back in before the poll has looked
    ASSERT_TRUE(WaitUntil([&] { return list.front()->HasError.load(); }));
    EXPECT_EQ(OnArrival(), 0) << "its path is still in the list";
    EXPECT_EQ(platform.OpenCount("/dev/hidraw1"), 1);

    DropFailedAndRescan();
    ASSERT_EQ(Paths(), std::vector<std::string>{"/dev/hidraw1"});
    EXPECT_FALSE(list.front()->HasError);
    EXPECT_EQ(a.ConnectionCount(), 2);
    EXPECT_TRUE(ReceivedHellos(a, 2)) << "the new connection is greeted too";
}

// Two units; one is unplugged, fails and is dropped; plugged in again under the same path it
// comes back as a new HidDevice, while the other unit carries on untouched.
TEST_F(Discovery, FailedUnitIsDroppedAndFoundAgainAsANewUnitAfterReplug) {
    auto& a = AddUnit("/dev/hidraw1");
    auto& b = AddUnit("/dev/hidraw2");
    ASSERT_EQ(FindNewDevice(), 2);
    HidDevice* const unitB = list[1].get();
    ASSERT_TRUE(ReceivedHellos(a, 1));
    platform.ReadArrivals();

    platform.Unplug("/dev/hidraw1");
    ASSERT_TRUE(WaitUntil([&] { return list[0]->HasError.load(); }));
    DropFailedAndRescan();
    EXPECT_EQ(Paths(), std::vector<std::string>{"/dev/hidraw2"}) << "nothing to find while out";

    platform.Replug("/dev/hidraw1");
    EXPECT_EQ(OnArrival(), 1);
    ASSERT_EQ(Paths(), (std::vector<std::string>{"/dev/hidraw2", "/dev/hidraw1"}));
    EXPECT_EQ(platform.OpenCount("/dev/hidraw1"), 2);
    EXPECT_EQ(a.ConnectionCount(), 2);
    ASSERT_TRUE(ReceivedHellos(a, 2));
    EXPECT_TRUE(Next(*list[1], pedal::CmdComStart)) << "the new unit answers its hello";

    EXPECT_EQ(list[0].get(), unitB);
    EXPECT_FALSE(unitB->HasError);
    EXPECT_EQ(b.ConnectionCount(), 1);
}

TEST_F(Discovery, UnitRestartedAfterAFirmwareUpdateArrivesAgainUnderItsPath) {
    auto& a = AddUnit("/dev/hidraw1");
    ASSERT_EQ(FindNewDevice(), 1);
    platform.ReadArrivals();

    const std::vector<std::uint8_t> payload(20, 0x5A);
    const auto file = firmware::MakeFirmwareFile(payload, 19);
    std::vector<std::uint8_t> image(file.begin() + firmware::LeadingBlockSize, file.end());
    pedal::Put32(image, firmware::FileCrcOffset, 0);
    auto& dev = *list.front();
    dev.SendData(pedal::EncodeUpdateStart(static_cast<std::uint32_t>(image.size()),
                                          firmware::Crc32Of(image)));
    ASSERT_TRUE(Next(dev, pedal::CmdUpdateStart));
    dev.SendData(pedal::EncodeUpdateData(image, 0));

    ASSERT_TRUE(WaitUntil([&] { return dev.HasError.load(); })) << "the restart drops it";
    ASSERT_TRUE(WaitUntil([&] { return ArrivalPending(); })) << "and it arrives again";
    OnArrival();
    DropFailedAndRescan();
    ASSERT_EQ(Paths(), std::vector<std::string>{"/dev/hidraw1"});
    EXPECT_EQ(a.ConnectionCount(), 2);
    auto identity = Next(*list.front(), pedal::CmdComStart);
    ASSERT_TRUE(identity);
    EXPECT_EQ(pedal::DecodeIdentity(*identity).BuildNum, 19) << "running the new build";
}

// Plugging and unplugging from one thread while the window's thread handles arrivals and
// drops failed units: no path is ever in the list twice, and foreign devices stay unopened.
TEST_F(Discovery, HotPlugWhileTheWindowScans) {
    auto& a = AddUnit("/dev/hidraw1");
    std::atomic<bool> done{false};
    std::atomic<bool> duplicate{false};
    std::atomic<int> ticks{0};
    std::thread window([&] {
        for (; !done.load(); ++ticks) {
            pollfd p{platform.arrivalFd(), POLLIN, 0};
            ::poll(&p, 1, 10);  // the poll timer's tick
            OnArrival();
            DropFailedAndRescan();
            const auto paths = Paths();
            if (std::set<std::string>(paths.begin(), paths.end()).size() != paths.size())
                duplicate = true;
        }
    });
    for (int i = 0; i < 60; ++i) {
        const int tick = ticks.load();
        platform.Replug("/dev/hidraw1");
        if (i % 3 == 0) platform.Unplug("/dev/hidraw1");
        if (i % 10 == 0)
            platform.AddForeign(
                Interface("/dev/hidraw" + std::to_string(100 + i), 0x046D, 0xC31C, 2));
        // Every other step waits for the window to look, so scans meet both states.
        if (i % 2 == 0 && !WaitUntil([&] { return ticks.load() > tick + 1; })) {
            ADD_FAILURE() << "the window's thread stopped ticking";
            break;
        }
    }
    done = true;
    window.join();
    EXPECT_FALSE(duplicate);

    platform.Replug("/dev/hidraw1");
    EXPECT_TRUE(WaitUntil([&] {
        DropFailedAndRescan();
        if (list.empty()) FindNewDevice();
        return list.size() == 1 && a.IsConnected() && !list.front()->HasError;
    })) << "the unit settles as one working HidDevice";
    for (int i = 0; i < 60; i += 10)
        EXPECT_EQ(platform.OpenCount("/dev/hidraw" + std::to_string(100 + i)), 0);
}

}  // namespace
