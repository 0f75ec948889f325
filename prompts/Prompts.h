// Everything the system asks of the user or tells the user in a dialog. The window shows
// real modal dialogs (src/QtPrompts); tests answer from a script (prompts/ScriptedPrompts.h).
// Texts break lines with "\r\n"; the implementation shows them as line breaks.
#pragma once

#include <optional>
#include <string>

#include "prompts/LoadFilter.h"

namespace prompts {

class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal box with `text`, an empty title and one OK button; returns when closed.
    virtual void Message(const std::string& text) = 0;
    // A modal box with `text`, `caption` and the buttons Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
    // An open-file dialog. `filter` lists description|pattern pairs separated by '|'
    // ("bin (*.bin)|*.bin|All files (*.*)|*.*"); `fileName` presets the name field.
    // Nothing when the user cancels.
    virtual std::optional<std::string> OpenFile(const std::string& filter,
                                                const std::string& fileName) = 0;
    // A save-file dialog with the same kind of filter; nothing when the user cancels.
    virtual std::optional<std::string> SaveFile(const std::string& filter) = 0;
    // The modal load filter dialog, every box ticked; the ticks when the user presses
    // "Load", nothing when the user cancels (by "Cancel" or by the window's frame).
    virtual std::optional<LoadFilter> ChooseLoadFilter() = 0;
};

}  // namespace prompts
