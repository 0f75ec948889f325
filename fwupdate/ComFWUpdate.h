// The firmware update's side of the protocol on one unit: announcing a checked image and
// answering the unit's chunk requests. Dialogs go through Prompts; no Qt.
#pragma once

#include <cstdint>
#include <span>

#include "device/HidDevice.h"
#include "prompts/Prompts.h"

namespace fwupdate {

// Checks the image file `file` (codes 5, 1, 2, 3, each shown as its message), asks the user
// with the unit's and the file's build numbers ("Update comfirm!"), and on Yes makes the
// image the unit's FWData, sets FWDataSendPos to 0 and queues the announcement (code 32,
// image length, image CRC). True when the announcement was queued. On a refusal, a No or a
// failure nothing is sent and the unit's FWData and FWDataSendPos stay as they were, so no
// byte of a refused file can ever be handed out as a chunk. `h` must stay alive while the
// question is open (the caller holds off whatever could drop the unit). Window's thread.
bool ComFW_SendUpdateStart(device::HidDevice& h, std::span<const std::uint8_t> file,
                           prompts::Prompts& prompts);

// What one chunk request of a unit led to.
struct ChunkAnswer {
    enum class Kind {
        Ignored,  // the unit has no image
        Sent,     // the next chunk was queued; Sent bytes of Length are now out
        AllSent,  // nothing was left: the transfer is complete
    };
    Kind Result = Kind::Ignored;
    std::uint64_t Sent = 0;
    std::uint64_t Length = 0;
};

// Answers one chunk request of `dev`: queues the next chunk of its FWData (code 33, up to
// 32 bytes, zero-filled) and moves FWDataSendPos on. The request carries no position, so a
// repeated request gets the next chunk. Window's thread.
ChunkAnswer ComFW_AnswerChunkRequest(device::HidDevice& dev);

}  // namespace fwupdate
