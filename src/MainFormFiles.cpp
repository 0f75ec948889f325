// Saving the current unit's settings to a file and loading them back.
#include "MainForm.h"
#include "prompts/Prompts.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"

namespace {
// A load ends with its unit gone when the unit is unplugged while a dialog is open.
constexpr const char* UnitGoneText =
    "The pedal unit was disconnected while the file was being loaded. Nothing was loaded.";
}  // namespace

void MainForm::bt_SaveFile_Click() {
    const device::HidDevice* dev = global_.CurrentDevice;
    if (!dev) return;
    // What the unit holds now is what gets saved, even if the unit goes while the dialog
    // is open.
    const pedal::Channel clutch = dev->ClutchChannel, brk = dev->BreakChannel,
                         throttle = dev->ThrottleChannel;
    const auto file = prompts_.SaveFile(sfd_config.Filter);
    if (!file) return;
    settings::SaveConfigQuorvane(*file, clutch, brk, throttle, prompts_);
}

void MainForm::bt_LoadFile_Click() {
    device::HidDevice* dev = global_.CurrentDevice;
    if (!dev) return;
    const auto file = prompts_.OpenFile(ofd_config.Filter, ofd_config.FileName);
    if (!file) return;

    // The file is read into copies: a load that fails part-way, or a file that is not the
    // unit's, leaves the unit's settings exactly as they were, and nothing is sent.
    pedal::Channel clutch = dev->ClutchChannel, brk = dev->BreakChannel,
                   throttle = dev->ThrottleChannel;
    const int r = settings::LoadConfigQuorvane(*file, clutch, brk, throttle, prompts_);
    if (r < 0) return;
    if (r > 0) {
        if (const char* text = settings::LoadResultMessage(r)) prompts_.Message(text);
        return;  // a general failure has been reported by the reader
    }
    // The dialogs let the poll run: the unit may have been dropped meanwhile.
    if (global_.CurrentDevice != dev) {
        prompts_.Message(UnitGoneText);
        return;
    }
    dev->ClutchChannel.AssignSettings(clutch);
    dev->BreakChannel.AssignSettings(brk);
    dev->ThrottleChannel.AssignSettings(throttle);
    SendAndShowAllChannels(*dev);
}
