// A HidDevice talking to a simulated unit over a socket pair, as the window will.
#include <gtest/gtest.h>

#include <poll.h>

#include <mutex>
#include <vector>

#include "device/ComFW.h"
#include "device/HidDevice.h"
#include "device/SocketConnection.h"
#include "firmware/Crc32.h"
#include "firmware/FirmwareImage.h"
#include "pedal/BuildDate.h"
#include "sim/SimulatedUnit.h"
#include "support/Wait.h"

using namespace std::chrono_literals;
using device::HidDevice;
using pedal::Message;
using testing_support::WaitUntil;

namespace {

class EndToEnd : public ::testing::Test {
protected:
    std::unique_ptr<HidDevice> Plug() {
        return HidDevice::Create(std::make_unique<device::SocketConnection>(unit.Connect()),
                                 "/dev/sim0", stop);
    }

    // The next message with `code`, skipping others (values stream all the time).
    std::optional<Message> Next(HidDevice& dev, std::uint8_t code,
                                std::chrono::milliseconds deadline = 3000ms) {
        std::optional<Message> found;
        WaitUntil(
            [&] {
                Message m;
                while (!found && dev.GetRecvMessage(m)) {
                    if (m[0] == pedal::CmdValues) lastValues = m;
                    if (m[0] == code) found = m;
                }
                return found.has_value();
            },
            deadline);
        return found;
    }

    sim::SimulatedUnit unit{sim::SimulatedUnit::Options{.Identity = {}, .ValuesHz = 500}};
    std::shared_ptr<device::ThreadStop> stop = std::make_shared<device::ThreadStop>();
    std::optional<Message> lastValues;
};

TEST_F(EndToEnd, HelloLoadConfigSaveAndValues) {
    auto dev = Plug();

    device::SendCommand(*dev, pedal::CmdComStart);
    auto identity = Next(*dev, pedal::CmdComStart);
    ASSERT_TRUE(identity);
    device::ComFW_ProecessComStart(*dev, *identity);
    EXPECT_EQ(dev->BuildNum, 18);
    EXPECT_EQ(dev->SerialNum, 0x2Au);
    EXPECT_EQ(pedal::BuildDateToCalendar(dev->BuildDate), (pedal::CalendarDate{2017, 3, 9}));

    // Load: three configuration messages, throttle last.
    device::SendCommand(*dev, pedal::CmdLoadConfig);
    for (int ch = 0; ch < 3; ++ch) {
        auto config = Next(*dev, pedal::CmdLoadConfig);
        ASSERT_TRUE(config);
        EXPECT_EQ((*config)[1], ch);
    }

    // A brake configuration sent, stored, and read back.
    dev->BreakChannel.CalcType = pedal::CALCTYPE::MultiPoint;
    dev->BreakChannel.MultiPointArray = {50, 150, 250, 350, 450, 550, 650, 750, 1000};
    dev->BreakChannel.DeadZoneMax = 1500;
    dev->BreakChannel.BreakOutputLimit = 800;
    device::ComFW_SendConfig(*dev, dev->BreakChannel);
    device::SendCommand(*dev, pedal::CmdSaveConfig);
    ASSERT_TRUE(Next(*dev, pedal::CmdSaveConfig)) << "save acknowledged";

    device::SendCommand(*dev, pedal::CmdLoadConfig);
    pedal::Channel readBack(1);
    for (int ch = 0; ch < 3; ++ch) {
        auto config = Next(*dev, pedal::CmdLoadConfig);
        ASSERT_TRUE(config);
        if ((*config)[1] == 1) pedal::ComFW_ProecessConfig(readBack, *config);
    }
    EXPECT_TRUE(readBack.SameSettings(dev->BreakChannel));

    // Values flow, computed through the settings just sent.
    unit.SetRaw(1, 65535);
    ASSERT_TRUE(WaitUntil([&] {
        Next(*dev, 0xFF, 5ms);  // collect values only
        if (!lastValues) return false;
        bool c = false, b = false, t = false;
        device::ComFW_ProcessValues(*dev, *lastValues, c, b, t);
        return dev->BreakChannel.ChannelValue == 65535;
    }));
    EXPECT_EQ(dev->BreakChannel.ChannelValueDeadZone, 65535);
    EXPECT_EQ(dev->BreakChannel.ChannelValueCalculated, 52428) << "80 % output limit";
}

TEST_F(EndToEnd, FaultSwitchesReachTheHost) {
    auto dev = Plug();
    unit.SetIdentity({.BuildNum = 17, .Year = 2023, .Month = 2, .Day = 29, .SerialNum = 5});
    device::SendCommand(*dev, pedal::CmdComStart);
    auto identity = Next(*dev, pedal::CmdComStart);
    ASSERT_TRUE(identity);
    device::ComFW_ProecessComStart(*dev, *identity);
    EXPECT_EQ(dev->BuildNum, 17);
    EXPECT_EQ(dev->BuildDate, 0u);

    const std::uint8_t garbage[] = {0xC3, 0x00, 0xFF, 0x13};
    unit.SendMessage(garbage);
    auto odd = Next(*dev, 0xC3);
    ASSERT_TRUE(odd);
    EXPECT_EQ((*odd)[2], 0xFF);

    const std::uint8_t shortPacket[] = {0, 7, 7};  // a report cut short by the unit
    unit.SendPacket(shortPacket);
    auto cut = Next(*dev, 7);
    ASSERT_TRUE(cut);
    EXPECT_EQ((*cut)[2], 0) << "zero-filled to 64 bytes";

    unit.SetValuesRate(0);
    unit.Flood(200);
    int values = 0;
    EXPECT_TRUE(WaitUntil([&] {
        Message m;
        while (dev->GetRecvMessage(m)) values += m[0] == pedal::CmdValues;
        return values >= 200;
    }));
    EXPECT_FALSE(dev->HasError);

    unit.Unplug();
    EXPECT_TRUE(WaitUntil([&] { return dev->HasError.load(); }));
}

TEST_F(EndToEnd, FirmwareIsPulledVerifiedAndTheUnitComesBackWithTheNewBuild) {
    std::vector<std::uint8_t> payload(4096 - firmware::HeaderSize);
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    const auto file = firmware::MakeFirmwareFile(payload, 19);
    std::vector<std::uint8_t> image(file.begin() + firmware::LeadingBlockSize, file.end());
    ASSERT_EQ(image.size(), 4096u);
    pedal::Put32(image, firmware::FileCrcOffset, 0);

    std::atomic<bool> restarted{false};
    unit.SetOnRestart([&] { restarted = true; });
    auto dev = Plug();
    dev->SendData(pedal::EncodeUpdateStart(static_cast<std::uint32_t>(image.size()),
                                           firmware::Crc32Of(image)));
    // Answer each chunk request with the next chunk, as the window does.
    std::size_t pos = 0;
    int requests = 0;
    while (auto request = Next(*dev, pedal::CmdUpdateStart)) {
        ++requests;
        if (pos >= image.size()) break;
        dev->SendData(pedal::EncodeUpdateData(image, pos));
        pos += std::min<std::size_t>(32, image.size() - pos);
    }
    EXPECT_EQ(requests, 4096 / 32 + 1);
    ASSERT_TRUE(WaitUntil([&] { return restarted.load(); }));
    EXPECT_TRUE(WaitUntil([&] { return dev->HasError.load(); })) << "a restart ends the connection";
    EXPECT_EQ(unit.State().UpdatesVerified, 1);

    auto again = Plug();
    device::SendCommand(*again, pedal::CmdComStart);
    auto identity = Next(*again, pedal::CmdComStart);
    ASSERT_TRUE(identity);
    device::ComFW_ProecessComStart(*again, *identity);
    EXPECT_EQ(again->BuildNum, 19);
}

TEST(SimulatedUnitRestart, UnpluggedWhileARestartIsDueComesBackWithTheNewBuildAndStays) {
    sim::SimulatedUnit::Options options;
    options.ValuesHz = 0;
    options.RestartDelay = std::chrono::milliseconds(300);
    sim::SimulatedUnit unit(options);
    auto stop = std::make_shared<device::ThreadStop>();
    auto dev = HidDevice::Create(std::make_unique<device::SocketConnection>(unit.Connect()),
                                 "/dev/sim0", stop);
    const auto file = firmware::MakeFirmwareFile(std::vector<std::uint8_t>(20, 7), 21);
    std::vector<std::uint8_t> image(file.begin() + firmware::LeadingBlockSize, file.end());
    pedal::Put32(image, firmware::FileCrcOffset, 0);
    dev->SendData(pedal::EncodeUpdateStart(static_cast<std::uint32_t>(image.size()),
                                           firmware::Crc32Of(image)));
    dev->SendData(pedal::EncodeUpdateData(image, 0));
    ASSERT_TRUE(WaitUntil([&] { return unit.State().UpdatesVerified == 1; }));

    unit.Unplug();  // before the restart is due
    auto again = HidDevice::Create(std::make_unique<device::SocketConnection>(unit.Connect()),
                                   "/dev/sim0", stop);
    EXPECT_FALSE(WaitUntil([&] { return again->HasError.load(); }, 800ms))
        << "the restart that was due must not drop the new connection";
    EXPECT_EQ(unit.State().Identity.BuildNum, 21) << "plugging in powered the new build up";
}

TEST_F(EndToEnd, CorruptImageIsRejectedAndDisableAbandonsAPull) {
    auto dev = Plug();
    std::vector<std::uint8_t> image(64, 1);
    dev->SendData(pedal::EncodeUpdateStart(64, 0xDEADBEEF));
    for (std::size_t pos = 0; pos <= image.size(); pos += 32) {
        ASSERT_TRUE(Next(*dev, pedal::CmdUpdateStart));
        if (pos < image.size()) dev->SendData(pedal::EncodeUpdateData(image, pos));
    }
    ASSERT_TRUE(WaitUntil([&] { return unit.State().UpdatesRejected == 1; }));
    EXPECT_TRUE(unit.IsConnected()) << "a rejected image leaves the unit running";

    dev->SendData(pedal::EncodeUpdateStart(64, 0));
    ASSERT_TRUE(Next(*dev, pedal::CmdUpdateStart));
    device::SendCommand(*dev, pedal::CmdUpdateDisable);
    ASSERT_TRUE(WaitUntil([&] { return !unit.State().Pull.has_value(); }));
    EXPECT_FALSE(dev->HasError);
}

TEST_F(EndToEnd, ShutdownEndsWithTheStopReport) {
    auto dev = Plug();
    device::SendCommand(*dev, pedal::CmdComStart);
    ASSERT_TRUE(Next(*dev, pedal::CmdComStart));
    stop->Raise();
    dev.reset();
    ASSERT_TRUE(unit.WaitForReports([](const auto& r) { return !r.empty() && r.back()[1] == 15; },
                                    2000ms));
    const auto reports = unit.ReceivedReports();
    pedal::Report stopReport{};
    stopReport[1] = pedal::CmdComStop;
    EXPECT_EQ(reports.back(), stopReport);
}

}  // namespace

namespace {

TEST(SimulatedUnitTransport, ReportsWrittenJustBeforeTheHostClosesAreStillRead) {
    // A host that closes with the unit's values unread makes the unit's next read fail with
    // a reset; the reports the host wrote before closing must not be lost behind it.
    sim::SimulatedUnit unit;
    sys::UniqueFd host = unit.Connect();
    pollfd p{host.get(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1) << "values are waiting, unread";
    pedal::Report report{};
    report[1] = pedal::CmdComStop;
    ASSERT_EQ(device::WritePacket(host.get(), report, 1000ms), device::IoResult::Ok);
    host.reset();
    EXPECT_TRUE(unit.WaitForReports([](const auto& r) { return r.size() == 1 && r[0][1] == 15; },
                                    2000ms));
    EXPECT_TRUE(WaitUntil([&] { return !unit.IsConnected(); }));
}

TEST(SimulatedUnitObservation, OnValuesSentSeesEveryValuesMessageTheHostReadsAndNothingElse) {
    std::mutex mutex;
    std::vector<Message> sent;  // declared before the unit, so it outlives the unit's thread
    sim::SimulatedUnit unit;
    unit.SetRaw(2, 1234);
    unit.SetOnValuesSent([&](const Message& m) {
        std::lock_guard lock(mutex);
        sent.push_back(m);
    });
    auto stop = std::make_shared<device::ThreadStop>();
    auto dev = HidDevice::Create(std::make_unique<device::SocketConnection>(unit.Connect()),
                                 "/dev/sim0", stop);
    device::SendCommand(*dev, pedal::CmdComStart);

    std::vector<Message> read;
    bool identitySeen = false;
    ASSERT_TRUE(WaitUntil([&] {
        Message m;
        while (dev->GetRecvMessage(m)) {
            if (m[0] == pedal::CmdValues) read.push_back(m);
            identitySeen |= m[0] == pedal::CmdComStart;
        }
        return identitySeen && read.size() >= 20;
    }));
    std::lock_guard lock(mutex);
    ASSERT_GE(sent.size(), read.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        ASSERT_EQ(sent[i], read[i]) << "message " << i << ": in the order the host reads them";
        EXPECT_EQ(sent[i][13] | sent[i][14] << 8, 1234) << "the throttle's held raw value";
    }
    for (const Message& m : sent) EXPECT_EQ(m[0], pedal::CmdValues) << "values messages only";
}

}  // namespace
