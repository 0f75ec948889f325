// Announcing an image on a unit and answering its chunk requests, on a unit whose other
// end the test holds.
#include "fwupdate/ComFWUpdate.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "firmware/Crc32.h"
#include "firmware/FirmwareImage.h"
#include "pedal/Codec.h"
#include "prompts/ScriptedPrompts.h"
#include "support/SocketPeer.h"

using namespace fwupdate;
using testing_support::Peer;

namespace {

using Bytes = std::vector<std::uint8_t>;

class UpdateStartTest : public ::testing::Test {
protected:
    void SetUp() override { dev->BuildNum = 18; }

    // Everything the host wrote before a marker it queues now (the queue is FIFO).
    std::vector<pedal::Report> SentSoFar() {
        const std::uint8_t marker[] = {0x7E};
        dev->SendData(marker);
        std::vector<pedal::Report> sent;
        while (auto r = peer.Next()) {
            if ((*r)[1] == 0x7E) return sent;
            sent.push_back(*r);
        }
        ADD_FAILURE() << "the marker never arrived";
        return sent;
    }

    Peer peer;
    std::shared_ptr<device::ThreadStop> stop = std::make_shared<device::ThreadStop>();
    std::unique_ptr<device::HidDevice> dev =
        device::HidDevice::Create(peer.TakeHostEnd(), "/dev/test0", stop);
    prompts::ScriptedPrompts prompts;
    const Bytes file = firmware::MakeFirmwareFile(Bytes(40, 0xC3), 19);
};

TEST_F(UpdateStartTest, YesQueuesLengthAndCrcOfTheImageAndMakesItTheUnitsData) {
    prompts.YesNoAnswers = {true};
    dev->FWDataSendPos = 99;
    ASSERT_TRUE(ComFW_SendUpdateStart(*dev, file, prompts));

    EXPECT_EQ(prompts.Shown,
              std::vector<std::string>{"Update comfirm!: Are you sure you want to update?\r\n"
                                       "Device current BuildNum: 18\r\nFile BuildNum: 19"});
    Bytes image(file.begin() + 2048, file.end());
    ASSERT_EQ(image.size(), 52u);
    std::fill(image.begin() + 8, image.begin() + 12, 0);  // the CRC field
    EXPECT_EQ(dev->FWData, image);
    EXPECT_EQ(dev->FWDataSendPos, 0);

    const auto sent = SentSoFar();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0][1], pedal::CmdUpdateStart);
    EXPECT_EQ(pedal::Get32(sent[0], 2), 52u);
    EXPECT_EQ(pedal::Get32(sent[0], 6), firmware::Crc32Of(image));
    EXPECT_TRUE(std::all_of(sent[0].begin() + 10, sent[0].end(), [](auto b) { return b == 0; }));
}

TEST_F(UpdateStartTest, RefusalOrNoSendsNothingAndLeavesTheUnitsTransferAsItWas) {
    Bytes corrupt = file;
    corrupt[100] ^= 1;
    struct Case {
        const char* name;
        const Bytes& file;
        bool answer;
        std::vector<std::string> messages;
    } cases[] = {
        {"No", file, false, {}},
        {"corrupt", corrupt, true, {"Not valid Firmware file, error code: 3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.Messages.clear();
        prompts.YesNoAnswers = {c.answer};
        dev->FWData = Bytes{1, 2, 3};
        dev->FWDataSendPos = 2;

        EXPECT_FALSE(ComFW_SendUpdateStart(*dev, c.file, prompts));
        EXPECT_EQ(prompts.Messages, c.messages);
        EXPECT_EQ(dev->FWData, (Bytes{1, 2, 3}));
        EXPECT_EQ(dev->FWDataSendPos, 2);
        EXPECT_TRUE(SentSoFar().empty());
    }
    EXPECT_EQ(prompts.YesNoAnswers.size(), 1u) << "the corrupt file is refused before the question";
}

TEST_F(UpdateStartTest, EachRequestGetsTheNextChunkUntilNothingIsLeft) {
    EXPECT_EQ(ComFW_AnswerChunkRequest(*dev).Result, ChunkAnswer::Kind::Ignored) << "no image";

    Bytes image(33);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i + 1);
    dev->FWData = image;
    dev->FWDataSendPos = 0;
    const ChunkAnswer first = ComFW_AnswerChunkRequest(*dev);
    const ChunkAnswer second = ComFW_AnswerChunkRequest(*dev);
    const ChunkAnswer third = ComFW_AnswerChunkRequest(*dev);
    EXPECT_EQ(first.Result, ChunkAnswer::Kind::Sent);
    EXPECT_EQ(first.Sent, 32u);
    EXPECT_EQ(second.Sent, 33u);
    EXPECT_EQ(second.Length, 33u);
    EXPECT_EQ(third.Result, ChunkAnswer::Kind::AllSent);
    EXPECT_EQ(dev->FWDataSendPos, 33);

    const auto sent = SentSoFar();
    ASSERT_EQ(sent.size(), 2u) << "nothing is sent for the request after the last chunk";
    pedal::Report chunk1{}, chunk2{};
    chunk1[1] = chunk2[1] = pedal::CmdUpdateData;
    std::copy(image.begin(), image.begin() + 32, chunk1.begin() + 2);
    chunk2[2] = 33;  // the one byte left, then zeros
    EXPECT_EQ(sent[0], chunk1);
    EXPECT_EQ(sent[1], chunk2);
}

}  // namespace
