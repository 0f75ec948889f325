#include "device/ComFW.h"

#include <string>

#include "pedal/Trace.h"

namespace device {

void ComFW_ProecessComStart(HidDevice& h, pedal::MessageView recvBytes) {
    const pedal::Identity id = pedal::DecodeIdentity(recvBytes);
    h.SerialNum = id.SerialNum;
    h.BuildNum = id.BuildNum;
    h.BuildDate = id.BuildDate;
}

void ComFW_SendConfig(HidDevice& h, const pedal::Channel& c) {
    pedal::DebugTrace("SendConfig ToFW: ch: " + std::to_string(c.ChannelIndex()));
    h.SendData(pedal::EncodeConfig(c, pedal::CmdSendConfig));
}

void ComFW_ProcessValues(HidDevice& dev, pedal::MessageView recvBytes, bool& NeedUpdateClutch,
                         bool& NeedUpdateBreak, bool& NeedUpdateThrottle) {
    pedal::DecodeValues(recvBytes, dev.ClutchChannel, dev.BreakChannel, dev.ThrottleChannel,
                        NeedUpdateClutch, NeedUpdateBreak, NeedUpdateThrottle);
}

void SendCommand(HidDevice& h, std::uint8_t code) {
    const std::uint8_t message[1] = {code};
    h.SendData(message);
}

}  // namespace device
