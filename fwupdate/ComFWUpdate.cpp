#include "fwupdate/ComFWUpdate.h"

#include <cerrno>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "firmware/ImageCheck.h"
#include "firmware/Transfer.h"
#include "fwupdate/FileRead.h"
#include "pedal/Codec.h"

namespace fwupdate {

bool ComFW_SendUpdateStart(device::HidDevice& h, std::span<const std::uint8_t> file,
                           prompts::Prompts& prompts) {
    try {
        if (file.size() > MaxFileSize) {  // its position could not be counted
            prompts.Message(ErrorText(EFBIG));
            return false;
        }
        firmware::CheckedImage checked = firmware::CheckImageFile(file);
        if (checked.Code != firmware::ImageCheckCode::Valid) {
            prompts.Message(firmware::InvalidImageMessage(checked.Code));
            return false;
        }
        const bool yes =
            prompts.AskYesNo("Are you sure you want to update?\r\nDevice current BuildNum: " +
                                 std::to_string(h.BuildNum) +
                                 "\r\nFile BuildNum: " + std::to_string(checked.BuildNum),
                             "Update comfirm!");
        if (!yes) return false;
        const auto length = static_cast<std::uint32_t>(checked.Image.size());
        h.FWData = std::move(checked.Image);
        h.FWDataSendPos = 0;
        h.SendData(pedal::EncodeUpdateStart(length, checked.ImageCrc));
        return true;
    } catch (const std::bad_alloc&) {
        // Copying a large image can fail; the user sees why and nothing is sent.
        prompts.Message(ErrorText(ENOMEM));
        return false;
    } catch (const std::exception& e) {
        prompts.Message(e.what());
        return false;
    }
}

ChunkAnswer ComFW_AnswerChunkRequest(device::HidDevice& dev) {
    ChunkAnswer a;
    if (!dev.FWData) return a;
    const std::vector<std::uint8_t>& image = *dev.FWData;
    a.Length = image.size();
    a.Sent = dev.FWDataSendPos < 0 ? 0 : static_cast<std::uint64_t>(dev.FWDataSendPos);
    const std::uint32_t n = firmware::ChunkLength(a.Length, a.Sent);
    if (n == 0) {
        a.Result = ChunkAnswer::Kind::AllSent;
        return a;
    }
    dev.SendData(pedal::EncodeUpdateData(image, static_cast<std::size_t>(a.Sent)));
    a.Sent += n;
    dev.FWDataSendPos = static_cast<std::int32_t>(a.Sent);
    a.Result = ChunkAnswer::Kind::Sent;
    return a;
}

}  // namespace fwupdate
