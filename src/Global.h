// The application state shared by the window's handlers: the connected units and which of
// them the window shows. One per window, so windows made one after another (in tests) never
// see each other's units.
#pragma once

#include <memory>
#include <vector>

#include "device/HidDevice.h"
#include "device/ThreadStop.h"

class UpdateProgressForm;

class Global {
public:
    // The connected units, in the order they were found; owns them.
    std::vector<std::unique_ptr<device::HidDevice>> HidDevList;
    // The unit whose page is selected, or none.
    device::HidDevice* CurrentDevice = nullptr;
    // Page index selected at the last page update; -1 for none.
    int OldPageIndex = -1;
    // Unit pages made since start: numbers the captions, never decreases.
    int NumDeviceCounter = 0;
    // The first poll has searched for units.
    bool FirstSearch = false;
    // "Load setting from Pedal" was pressed and its confirmation is still due.
    bool ShowMessageLoadFromFW = false;
    // The firmware progress window of the update in progress, or none.
    UpdateProgressForm* updateForm = nullptr;
    // Raised once at shutdown: every unit's I/O thread says goodbye and ends.
    std::shared_ptr<device::ThreadStop> AllThreadStop = std::make_shared<device::ThreadStop>();
};
