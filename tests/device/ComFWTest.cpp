#include "device/ComFW.h"

#include <gtest/gtest.h>

#include <string>

#include "pedal/Trace.h"
#include "support/SocketPeer.h"
#include "support/Wait.h"

using namespace device;
using namespace std::chrono_literals;
using testing_support::MakeReport;
using testing_support::Peer;

namespace {

class ComFWTest : public ::testing::Test {
protected:
    Peer peer;
    std::shared_ptr<ThreadStop> stop = std::make_shared<ThreadStop>();
    std::unique_ptr<HidDevice> dev = HidDevice::Create(peer.TakeHostEnd(), "/dev/test0", stop);
};

TEST_F(ComFWTest, SendConfigTracesAndQueuesTheWholeConfigurationOfTheChannel) {
    std::vector<std::string> trace;
    auto previous = pedal::SetTraceSink([&](std::string_view l) { trace.emplace_back(l); });
    dev->ThrottleChannel.CalcType = pedal::CALCTYPE::Exponential;
    dev->ThrottleChannel.Exponent = 767;
    ComFW_SendConfig(*dev, dev->ThrottleChannel);
    pedal::SetTraceSink(std::move(previous));

    EXPECT_EQ(trace, std::vector<std::string>{"SendConfig ToFW: ch: 2"});
    const auto report = peer.Next();
    ASSERT_TRUE(report);
    const auto expected = pedal::EncodeConfig(dev->ThrottleChannel);
    EXPECT_EQ((*report)[0], 0);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), report->begin() + 1));
    EXPECT_TRUE(std::all_of(report->begin() + 32, report->end(), [](auto b) { return b == 0; }));
    EXPECT_EQ((*report)[14], 0xFF);
    EXPECT_EQ((*report)[15], 0x02);
}

TEST_F(ComFWTest, IdentityReplyStoresNumbersEvenWithABadDate) {
    dev->BuildDate = 99;
    ComFW_ProecessComStart(*dev, pedal::EncodeIdentity(17, 2023, 2, 29, 0x2A));
    EXPECT_EQ(dev->BuildNum, 17);
    EXPECT_EQ(dev->SerialNum, 0x2Au);
    EXPECT_EQ(dev->BuildDate, 0u);
}

TEST_F(ComFWTest, ValuesGoIntoTheUnitsOwnChannels) {
    bool c = false, b = false, t = false;
    ComFW_ProcessValues(*dev, pedal::EncodeValues({{{0, 0, 0}, {0, 0, 0}, {10, 20, 30}}}), c, b, t);
    EXPECT_FALSE(c || b);
    EXPECT_TRUE(t);
    EXPECT_EQ(dev->ThrottleChannel.ChannelValueDeadZone, 20);
}

TEST_F(ComFWTest, OneByteRequestsAreZeroFilled) {
    for (std::uint8_t code : {pedal::CmdComStart, pedal::CmdLoadConfig, pedal::CmdSaveConfig,
                              pedal::CmdUpdateDisable}) {
        SendCommand(*dev, code);
        EXPECT_EQ(peer.Next(), MakeReport({code}));
    }
}

}  // namespace
