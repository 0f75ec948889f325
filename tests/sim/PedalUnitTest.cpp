#include "sim/PedalUnit.h"

#include <gtest/gtest.h>

#include <ostream>

#include "firmware/Crc32.h"
#include "firmware/FirmwareImage.h"

using namespace sim;
using pedal::Message;

namespace {

Message Msg(std::initializer_list<std::uint8_t> bytes) {
    Message m{};
    std::copy(bytes.begin(), bytes.end(), m.begin());
    return m;
}

Message ToHostMessage(const pedal::ConfigMessage& c) { return pedal::ToMessage(c); }

TEST(PedalUnit, HelloIsAnsweredWithTheConfiguredIdentity) {
    PedalUnit unit(UnitIdentity{17, 2020, 12, 31, 0x01020304});
    const auto r = unit.Handle(Msg({pedal::CmdComStart}));
    ASSERT_EQ(r.Replies.size(), 1u);
    EXPECT_EQ(r.Replies[0], pedal::EncodeIdentity(17, 2020, 12, 31, 0x01020304));
}

TEST(PedalUnit, SendConfigTouchesOnlyTheCurveInForceAndLoadRevertsToStored) {
    PedalUnit unit;
    pedal::Channel wanted(1);
    wanted.DeadZoneMin = 1234;
    wanted.CalcType = pedal::CALCTYPE::Exponential;
    wanted.Exponent = 40000;
    wanted.MultiPointArray.fill(7);  // does not travel with an exponential curve
    unit.Handle(ToHostMessage(pedal::EncodeConfig(wanted)));
    EXPECT_EQ(unit.Current[1].Exponent, 40000);
    EXPECT_EQ(unit.Current[1].MultiPointArray, pedal::DefaultMultiPoints);
    EXPECT_EQ(unit.Stored[1].DeadZoneMin, 0) << "not stored until asked";

    auto loaded = unit.Handle(Msg({pedal::CmdLoadConfig}));
    ASSERT_EQ(loaded.Replies.size(), 3u);
    EXPECT_EQ(loaded.Replies[2][1], 2) << "throttle last";
    EXPECT_EQ(unit.Current[1].DeadZoneMin, 0) << "a load reloads the stored settings";

    unit.Handle(ToHostMessage(pedal::EncodeConfig(wanted)));
    const auto saved = unit.Handle(Msg({pedal::CmdSaveConfig}));
    ASSERT_EQ(saved.Replies.size(), 1u);
    EXPECT_EQ(saved.Replies[0][0], pedal::CmdSaveConfig);
    loaded = unit.Handle(Msg({pedal::CmdLoadConfig}));
    pedal::Channel readBack(1);
    pedal::ComFW_ProecessConfig(readBack, loaded.Replies[1]);
    EXPECT_TRUE(readBack.SameSettings([&] {
        pedal::Channel c = wanted;
        c.MultiPointArray = pedal::DefaultMultiPoints;
        return c;
    }()));
}

TEST(PedalUnit, ConfigForAnUnknownChannelIsIgnored) {
    PedalUnit unit;
    pedal::Channel c(0);
    c.DeadZoneMin = 99;
    auto m = ToHostMessage(pedal::EncodeConfig(c));
    m[1] = 5;
    unit.Handle(m);
    for (const auto& ch : unit.Current) EXPECT_EQ(ch.DeadZoneMin, 0);
}

struct PullCase {
    const char* name;
    std::size_t payload;  // image = 12 header bytes + payload
    bool corruptCrc;
    bool verified;
};
void PrintTo(const PullCase& c, std::ostream* os) { *os << c.name; }


class FirmwarePullTest : public ::testing::TestWithParam<PullCase> {};

TEST_P(FirmwarePullTest, OneRequestPerChunkPlusOneThenVerify) {
    const auto& p = GetParam();
    std::vector<std::uint8_t> payload(p.payload);
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i * 7);
    const auto file = firmware::MakeFirmwareFile(payload, 19);
    std::vector<std::uint8_t> image(file.begin() + firmware::LeadingBlockSize, file.end());
    pedal::Put32(image, firmware::FileCrcOffset, 0);
    std::uint32_t crc = firmware::Crc32Of(image);
    if (p.corruptCrc) crc ^= 1;

    PedalUnit unit;
    auto r = unit.Handle(pedal::ToMessage(pedal::EncodeUpdateStart(image.size(), crc)));
    std::size_t pos = 0, requests = r.RequestChunk ? 1 : 0;
    while (pos < image.size()) {
        r = unit.Handle(pedal::ToMessage(pedal::EncodeUpdateData(image, pos)));
        pos += std::min<std::size_t>(32, image.size() - pos);
        requests += r.RequestChunk ? 1 : 0;
    }
    EXPECT_EQ(requests, (image.size() + 31) / 32 + 1);
    EXPECT_EQ(r.Restart, p.verified);
    EXPECT_EQ(unit.UpdatesVerified, p.verified ? 1 : 0);
    EXPECT_EQ(unit.UpdatesRejected, p.verified ? 0 : 1);

    unit.Restart();
    EXPECT_EQ(unit.Identity.BuildNum, p.verified ? 19 : pedal::RequiredBuildNum);
}

INSTANTIATE_TEST_SUITE_P(Images, FirmwarePullTest,
                         ::testing::Values(PullCase{"OneFullChunk", 20, false, true},
                                           PullCase{"ShortLastChunk", 21, false, true},
                                           PullCase{"FourKiB", 4096, false, true},
                                           PullCase{"BadCrc", 100, true, false}),
                         [](const auto& info) { return info.param.name; });

TEST(PedalUnit, DisableAbandonsThePull) {
    PedalUnit unit;
    unit.Handle(pedal::ToMessage(pedal::EncodeUpdateStart(1000, 0)));
    ASSERT_TRUE(unit.Pull);
    unit.Handle(Msg({pedal::CmdUpdateDisable}));
    EXPECT_FALSE(unit.Pull);
    const auto r = unit.Handle(pedal::ToMessage(pedal::EncodeUpdateData(std::vector<std::uint8_t>(32), 0)));
    EXPECT_FALSE(r.RequestChunk) << "chunks after an abandoned pull are ignored";
}

}  // namespace
