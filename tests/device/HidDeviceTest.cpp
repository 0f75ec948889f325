#include "device/HidDevice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "device/SocketConnection.h"
#include "support/SocketPeer.h"
#include "support/Wait.h"

using namespace device;
using namespace std::chrono_literals;
using pedal::Report;
using testing_support::MakeReport;
using testing_support::Peer;
using testing_support::WaitUntil;

namespace {

const Report kStopReport = MakeReport({15});

class HidDeviceTest : public ::testing::Test {
protected:
    std::unique_ptr<HidDevice> Open() {
        return HidDevice::Create(peer.TakeHostEnd(), "/dev/test0", stop);
    }
    Peer peer;
    std::shared_ptr<ThreadStop> stop = std::make_shared<ThreadStop>();
};

TEST_F(HidDeviceTest, SendDataFramesMessagesAsZeroFilledReportsWithIdZero) {
    auto dev = Open();
    std::vector<std::uint8_t> full(64);
    for (std::size_t i = 0; i < full.size(); ++i) full[i] = static_cast<std::uint8_t>(i + 1);
    dev->SendData(full);
    dev->SendData(std::vector<std::uint8_t>(65, 0x77));  // too long: dropped without trace
    dev->SendData(std::vector<std::uint8_t>{1});

    const auto first = peer.Next();
    ASSERT_TRUE(first);
    EXPECT_EQ((*first)[0], 0);
    EXPECT_TRUE(std::equal(full.begin(), full.end(), first->begin() + 1));
    EXPECT_EQ(peer.Next(), MakeReport({1})) << "the 65-byte message never reaches the unit";
    EXPECT_FALSE(dev->HasError);
}

TEST_F(HidDeviceTest, ReceivedReportsArriveInOrderWithoutTheReportId) {
    auto dev = Open();
    pedal::Message m;
    EXPECT_FALSE(dev->CheckRecvMessage());
    EXPECT_FALSE(dev->GetRecvMessage(m));

    Report a = MakeReport({16, 1, 2});
    Report b = MakeReport({4, 9});
    b[64] = 0x5A;  // the last payload byte survives
    peer.Send(a);
    peer.Send(b);
    ASSERT_TRUE(WaitUntil([&] { return dev->CheckRecvMessage(); }));

    std::vector<pedal::Message> got;
    ASSERT_TRUE(WaitUntil([&] {
        while (dev->GetRecvMessage(m)) got.push_back(m);
        return got.size() == 2;
    }));
    EXPECT_TRUE(std::equal(got[0].begin(), got[0].end(), a.begin() + 1));
    EXPECT_TRUE(std::equal(got[1].begin(), got[1].end(), b.begin() + 1));
    EXPECT_EQ(got[1][63], 0x5A);

    EXPECT_FALSE(dev->GetRecvMessage(m));
    EXPECT_TRUE(dev->CheckRecvMessage()) << "stays true once the unit has sent anything";
}

TEST_F(HidDeviceTest, UnplugFailsTheUnitAndItClosesWithoutStopReport) {
    auto dev = Open();
    peer.Close();
    EXPECT_TRUE(WaitUntil([&] { return dev->HasError.load(); }));
}

TEST_F(HidDeviceTest, StopWakesTheThreadAtOnceAndTheStopReportIsTheLastWord) {
    auto dev = Open();
    dev->SendData(std::vector<std::uint8_t>{4});
    ASSERT_EQ(peer.Next(), MakeReport({4}));

    stop->Raise();
    // Far less than the 4000 ms wait: the stop wakes the thread itself.
    EXPECT_EQ(peer.Next(1500ms), kStopReport);
    dev.reset();  // joins the thread
    EXPECT_TRUE(peer.Drain().empty());
    EXPECT_FALSE(peer.Next(0ms));
}

TEST_F(HidDeviceTest, StopLeavesQueuedReportsUnwrittenAndStillSendsTheStopReport) {
    const int filled = peer.FillHostToUnit();
    ASSERT_GT(filled, 0);
    auto dev = Open();
    dev->SendData(std::vector<std::uint8_t>{0xA1});  // waits for room
    dev->SendData(std::vector<std::uint8_t>{0xB2});  // queued behind it
    stop->Raise();

    // Make room again: only the fillers and the stop report come through.
    std::vector<Report> got;
    ASSERT_TRUE(WaitUntil([&] {
        for (auto& r : peer.Drain()) got.push_back(r);
        return !got.empty() && got.back() == kStopReport;
    }));
    dev.reset();
    for (auto& r : peer.Drain()) got.push_back(r);
    ASSERT_EQ(got.size(), static_cast<std::size_t>(filled) + 1);
    EXPECT_EQ(got.back(), kStopReport);
    for (std::size_t i = 0; i + 1 < got.size(); ++i) EXPECT_EQ(got[i][1], 0xEE);
}

TEST_F(HidDeviceTest, WriteStalledOverOneSecondFailsTheUnitAndTheRestIsStillAttempted) {
    const int filled = peer.FillHostToUnit();
    auto dev = Open();
    const auto start = std::chrono::steady_clock::now();
    dev->SendData(std::vector<std::uint8_t>{0xA1});  // times out
    dev->SendData(std::vector<std::uint8_t>{0xB2});  // attempted after the failure

    ASSERT_TRUE(WaitUntil([&] { return dev->HasError.load(); }, 3000ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1000ms);

    std::vector<Report> got;
    ASSERT_TRUE(WaitUntil([&] {
        for (auto& r : peer.Drain()) got.push_back(r);
        return static_cast<int>(got.size()) == filled + 1;
    }));
    EXPECT_EQ(got.back(), MakeReport({0xB2}));
    dev.reset();
    EXPECT_TRUE(peer.Drain().empty()) << "a failed unit gets no stop report";
}

TEST_F(HidDeviceTest, SilentUnitOutlastsTheFourSecondWaitAndKeepsReading) {
    auto dev = Open();
    const auto until = std::chrono::steady_clock::now() + HidDevice::WaitTimeout + 500ms;
    EXPECT_FALSE(WaitUntil([&] { return dev->HasError.load(); },
                           std::chrono::duration_cast<std::chrono::milliseconds>(
                               until - std::chrono::steady_clock::now())));
    peer.Send(MakeReport({16}));
    EXPECT_TRUE(WaitUntil([&] { return dev->CheckRecvMessage(); }));
    EXPECT_FALSE(dev->HasError);
}

// A connection whose reads fail on demand and whose writes are recorded.
class FailingConnection final : public Connection {
public:
    explicit FailingConnection(std::shared_ptr<std::vector<Report>> writes)
        : writes_(std::move(writes)) {}
    int fd() const override { return readable_.fd(); }
    IoResult ReadReport(Report& r) override {
        r = MakeReport({16, 0xAA});  // stale bytes a careless reader would deliver
        return IoResult::Failed;
    }
    IoResult WriteReport(const Report& r, std::chrono::milliseconds, int) override {
        writes_->push_back(r);
        return IoResult::Ok;
    }
    void Close() override { closed = true; }
    void FailNow() { readable_.Signal(); }
    std::atomic<bool> closed{false};

private:
    sys::EventFd readable_;
    std::shared_ptr<std::vector<Report>> writes_;
};

TEST_F(HidDeviceTest, FailedReadQueuesNothingWritesNoStopReportAndClosesOnce) {
    auto writes = std::make_shared<std::vector<Report>>();
    auto conn = std::make_unique<FailingConnection>(writes);
    auto* raw = conn.get();
    auto dev = HidDevice::Create(std::move(conn), "/dev/fake", stop);
    raw->FailNow();
    ASSERT_TRUE(WaitUntil([&] { return raw->closed.load(); }));
    EXPECT_TRUE(dev->HasError);
    EXPECT_FALSE(dev->CheckRecvMessage()) << "only a report actually read is queued";
    dev.reset();
    EXPECT_TRUE(writes->empty());
}

TEST_F(HidDeviceTest, StopRaisedBeforeStartGoesStraightToTheStopReport) {
    stop->Raise();
    auto dev = Open();
    EXPECT_EQ(peer.Next(), kStopReport);
}

}  // namespace
