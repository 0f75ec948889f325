// A Prompts that records every text it is shown and answers from a script: for tests.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "prompts/Prompts.h"

namespace prompts {

class ScriptedPrompts : public Prompts {
public:
    // What was shown, in order: message texts, questions, "open:"/"save:" + filter, and
    // "load filter" for each load filter dialog.
    std::vector<std::string> Shown;
    // The message box texts alone.
    std::vector<std::string> Messages;
    // Answers, taken oldest first; an empty script answers No / cancel.
    std::deque<bool> YesNoAnswers;
    std::deque<std::optional<std::string>> FileAnswers;
    std::deque<std::optional<LoadFilter>> FilterAnswers;
    // Runs while a message box is "open" (a test can look at the world meanwhile).
    std::function<void(const std::string&)> WhileMessageOpen;
    // Runs while the load filter dialog is "open".
    std::function<void()> WhileFilterOpen;

    void Message(const std::string& text) override {
        Shown.push_back(text);
        Messages.push_back(text);
        if (WhileMessageOpen) WhileMessageOpen(text);
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        Shown.push_back(caption + ": " + text);
        return Take(YesNoAnswers, false);
    }
    std::optional<std::string> OpenFile(const std::string& filter,
                                        const std::string& fileName) override {
        Shown.push_back("open: " + filter + " [" + fileName + "]");
        return Take(FileAnswers, std::optional<std::string>{});
    }
    std::optional<std::string> SaveFile(const std::string& filter) override {
        Shown.push_back("save: " + filter);
        return Take(FileAnswers, std::optional<std::string>{});
    }
    std::optional<LoadFilter> ChooseLoadFilter() override {
        Shown.push_back("load filter");
        if (WhileFilterOpen) WhileFilterOpen();
        return Take(FilterAnswers, std::optional<LoadFilter>{});
    }

private:
    template <typename T>
    static T Take(std::deque<T>& script, T fallback) {
        if (script.empty()) return fallback;
        T answer = std::move(script.front());
        script.pop_front();
        return answer;
    }
};

}  // namespace prompts
