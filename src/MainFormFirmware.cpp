// The firmware update: the image check and announcement, then the unit's chunk requests.
#include "MainForm.h"

void MainForm::bt_FWUpdate_Click() {}

void MainForm::ProcessUpdate(device::HidDevice& dev, const pedal::Message&) {
    if (!dev.FWData) return;  // a request from a unit with no image is ignored
}
