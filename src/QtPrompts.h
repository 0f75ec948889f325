// The dialogs as real modal Qt dialogs, owned by the main window.
#pragma once

#include <QPointer>
#include <QWidget>

#include "prompts/Prompts.h"

class QtPrompts : public prompts::Prompts {
public:
    // Dialogs are centred on `owner` (may be set later, once the window exists).
    explicit QtPrompts(QWidget* owner = nullptr) : owner_(owner) {}
    void SetOwner(QWidget* owner) { owner_ = owner; }

    void Message(const std::string& text) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    std::optional<std::string> OpenFile(const std::string& filter,
                                        const std::string& fileName) override;
    std::optional<std::string> SaveFile(const std::string& filter) override;
    // A new FilterForm, owned by the main window, shown modally.
    std::optional<prompts::LoadFilter> ChooseLoadFilter() override;

    // "desc|pattern|desc|pattern" as Qt's name filters ("desc (pattern)").
    static QStringList NameFilters(const std::string& filter);

private:
    QPointer<QWidget> owner_;
};
