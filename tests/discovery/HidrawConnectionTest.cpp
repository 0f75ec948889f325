// The hidraw framing, with a SOCK_SEQPACKET pair standing in for the node: like hidraw, it
// moves one report per read and per write.
#include "device/linux/HidrawConnection.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <vector>

using namespace std::chrono_literals;
using device::HidrawConnection;
using device::IoResult;
using pedal::Report;

namespace {

class HidrawFraming : public ::testing::Test {
protected:
    HidrawFraming() {
        auto [host, node] = sys::MakeSeqPacketPair();
        host_ = std::move(host);
        node_ = std::move(node);
    }
    HidrawConnection Connect(bool numbered) { return HidrawConnection(std::move(host_), numbered); }
    // What the kernel hands to a read: the bytes of one report.
    void Deliver(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::send(node_.get(), bytes.data(), bytes.size(), 0),
                  static_cast<ssize_t>(bytes.size()));
    }
    // What a write handed to the kernel.
    std::vector<std::uint8_t> Written() {
        std::vector<std::uint8_t> b(256);
        const ssize_t n = ::recv(node_.get(), b.data(), b.size(), MSG_DONTWAIT);
        b.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return b;
    }

    sys::UniqueFd host_, node_;
};

TEST_F(HidrawFraming, UnnumberedReportGetsIdZeroInFront) {
    auto c = Connect(false);
    std::vector<std::uint8_t> payload(64);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i + 1);
    Report r;
    EXPECT_EQ(c.ReadReport(r), IoResult::WouldBlock);

    Deliver(payload);
    r.fill(0xAA);
    ASSERT_EQ(c.ReadReport(r), IoResult::Ok);
    EXPECT_EQ(r[0], 0);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), r.begin() + 1)) << "all 64 bytes";
}

TEST_F(HidrawFraming, NumberedReportKeepsItsIdAndShortReportsAreZeroFilled) {
    auto c = Connect(true);
    Deliver({7, 16, 0x55});
    Report r;
    r.fill(0xAA);
    ASSERT_EQ(c.ReadReport(r), IoResult::Ok);
    EXPECT_EQ(r[0], 7);
    EXPECT_EQ(r[1], 16);
    EXPECT_EQ(r[2], 0x55);
    EXPECT_EQ(r[3], 0);
    EXPECT_EQ(r[64], 0);
}

TEST_F(HidrawFraming, ReportIsWrittenWholeWithItsIdByteFirst) {
    auto c = Connect(false);
    Report hello{};
    hello[1] = pedal::CmdComStart;
    hello[64] = 0x77;
    ASSERT_EQ(c.WriteReport(hello, 1000ms), IoResult::Ok);
    const auto written = Written();
    ASSERT_EQ(written.size(), 65u) << "report ID 0 and the 64-byte payload";
    EXPECT_TRUE(std::equal(hello.begin(), hello.end(), written.begin()));
}

TEST_F(HidrawFraming, GoneDeviceFailsReadsAndWrites) {
    auto c = Connect(false);
    node_.reset();  // the node's side closes, as on an unplug
    Report r{};
    EXPECT_EQ(c.ReadReport(r), IoResult::Failed);
    EXPECT_EQ(c.WriteReport(r, 100ms), IoResult::Failed);
    c.Close();
    EXPECT_EQ(c.ReadReport(r), IoResult::Failed);
    EXPECT_EQ(c.fd(), -1);
}

}  // namespace
