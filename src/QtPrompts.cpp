#include "QtPrompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "FilterForm.h"

namespace {
QString Shown(const std::string& text) {
    return QString::fromStdString(text).replace("\r\n", "\n");
}
}  // namespace

void QtPrompts::Message(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString(), Shown(text), QMessageBox::Ok, owner_);
    box.exec();
}

bool QtPrompts::AskYesNo(const std::string& text, const std::string& caption) {
    QMessageBox box(QMessageBox::NoIcon, Shown(caption), Shown(text),
                    QMessageBox::Yes | QMessageBox::No, owner_);
    return box.exec() == QMessageBox::Yes;
}

QStringList QtPrompts::NameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        // The description usually names its pattern already: "bin (*.bin)".
        const QString pattern = QString(parts[i + 1]).replace(';', ' ');
        filters << (parts[i].contains('(') ? parts[i] : parts[i] + " (" + pattern + ")");
    }
    return filters;
}

std::optional<std::string> QtPrompts::OpenFile(const std::string& filter,
                                               const std::string& fileName) {
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFilters(filter));
    if (!fileName.empty()) dialog.selectFile(QString::fromStdString(fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> QtPrompts::SaveFile(const std::string& filter) {
    QFileDialog dialog(owner_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(NameFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

std::optional<prompts::LoadFilter> QtPrompts::ChooseLoadFilter() {
    FilterForm form(owner_);
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return form.Filter();
}
