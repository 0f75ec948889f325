// What a settings-file load takes: the ticks of the load filter dialog's ten boxes.
#pragma once

namespace prompts {

// One flag per box of the dialog, named after the box; a new dialog has every box ticked.
struct LoadFilter {
    bool ClutchStartDead = true;
    bool ClutchEndDead = true;
    bool ClutchAdj = true;
    bool BreakStartDead = true;
    bool BreakEndDead = true;  // "Maximum Break Force"
    bool BreakBreakLimit = true;
    bool BreakAdj = true;
    bool ThrottleStartDead = true;
    bool ThrottleEndDead = true;
    bool ThrottleAdj = true;

    bool operator==(const LoadFilter&) const = default;

    // Every box cleared: a load that takes nothing.
    static LoadFilter None() {
        return {false, false, false, false, false, false, false, false, false, false};
    }
};

}  // namespace prompts
