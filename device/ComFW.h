// The protocol functions that act on a unit: decode its replies into it, queue messages on it.
#pragma once

#include "device/HidDevice.h"
#include "pedal/Codec.h"

namespace device {

// Decodes an identity reply into the unit's SerialNum, BuildNum and BuildDate (0 when the
// reported date is not a real date; the numbers are kept all the same).
void ComFW_ProecessComStart(HidDevice& h, pedal::MessageView recvBytes);

// Queues the configuration of `c` on `h` (code 3), after a trace line.
void ComFW_SendConfig(HidDevice& h, const pedal::Channel& c);

// Stores a values message in the unit's channels; sets each flag whose channel changed.
void ComFW_ProcessValues(HidDevice& dev, pedal::MessageView recvBytes, bool& NeedUpdateClutch,
                         bool& NeedUpdateBreak, bool& NeedUpdateThrottle);

// Queues a one-byte request (CmdComStart, CmdLoadConfig, CmdSaveConfig, CmdUpdateDisable).
void SendCommand(HidDevice& h, std::uint8_t code);

}  // namespace device
