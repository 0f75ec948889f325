// The firmware update: the image check and announcement, then the unit's chunk requests.
#include <QTimer>

#include "MainForm.h"
#include "UpdateProgressForm.h"
#include "firmware/Transfer.h"
#include "fwupdate/ComFWUpdate.h"
#include "fwupdate/FileRead.h"
#include "prompts/Prompts.h"

namespace {

// Holds the poll for a scope. While the user is asked about an image, a tick could drop
// the unit the question is about and destroy it under the caller; ticks that fall due
// meanwhile run once the hold ends. A timer that was not running stays off (a handler
// called from inside a tick must not start a nested one).
class PollHold {
public:
    explicit PollHold(QTimer& timer) : timer_(timer), wasActive_(timer.isActive()) {
        timer_.stop();
    }
    ~PollHold() { Release(); }
    PollHold(const PollHold&) = delete;
    PollHold& operator=(const PollHold&) = delete;
    void Release() {
        if (wasActive_) timer_.start();
        wasActive_ = false;
    }

private:
    QTimer& timer_;
    bool wasActive_;
};

}  // namespace

void MainForm::UpdateFormDeleter::operator()(UpdateProgressForm* form) const {
    delete form;
}

void MainForm::bt_FWUpdate_Click() {
    const auto fileName = prompts_.OpenFile(ofd_fw.Filter, ofd_fw.FileName);
    if (!fileName) return;

    PollHold hold(*timer_communication);
    device::HidDevice* h = global_.CurrentDevice;  // after the dialog: units may have come and gone
    if (!h) {
        prompts_.Message("No pedal unit is connected.");
        return;
    }
    const fwupdate::ReadResult file = fwupdate::ReadWholeFile(*fileName);
    if (file.Error != 0) {
        prompts_.Message(fwupdate::ErrorText(file.Error));
        return;
    }
    if (!fwupdate::ComFW_SendUpdateStart(*h, file.Bytes, prompts_)) return;
    hold.Release();  // the unit pulls its image through the poll, under the progress window

    updateFormOwner_.reset(new UpdateProgressForm(global_, this));
    global_.updateForm = updateFormOwner_.get();
    global_.updateForm->exec();
}

void MainForm::ProcessUpdate(device::HidDevice& dev, const pedal::Message&) {
    const fwupdate::ChunkAnswer answer = fwupdate::ComFW_AnswerChunkRequest(dev);
    UpdateProgressForm* form = global_.updateForm;
    switch (answer.Result) {
        case fwupdate::ChunkAnswer::Kind::Ignored:  // a unit with no image
            return;
        case fwupdate::ChunkAnswer::Kind::Sent:
            if (form) form->ShowProgress(answer.Sent, answer.Length);
            return;
        case fwupdate::ChunkAnswer::Kind::AllSent:
            prompts_.Message(firmware::CompletionMessage);
            if (form) form->CloseForGood();
            return;
    }
}
