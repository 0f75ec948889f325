// The firmware update's progress window: bytes sent and a bar while the unit pulls its
// image, and "Cancel" as the only way out until the transfer is complete.
#pragma once

#include <QDialog>
#include <cstdint>

class Global;
class QCloseEvent;
class QLabel;
class QProgressBar;
class QPushButton;

class UpdateProgressForm : public QDialog {
public:
    // A fixed tool window without a close button, centred on the screen. `global` (the
    // window's units and this form's slot) must outlive it.
    explicit UpdateProgressForm(Global& global, QWidget* parent = nullptr);

    // While false, every attempt to close the window is refused.
    bool FormCloseEnable = false;
    QProgressBar* pb_update = nullptr;  // share of the image sent, 0..1000
    QLabel* lb_byte = nullptr;          // "sent b /all b"; "0/0" until the first chunk

    // Shows that `sent` of `length` bytes are out: the label and the bar.
    void ShowProgress(std::uint64_t sent, std::uint64_t length);
    // Lifts the refusal and closes the window (completion, "Cancel").
    void CloseForGood();

protected:
    void closeEvent(QCloseEvent* e) override;
    // Escape and the dialog's own ways out end here; refused like a close.
    void reject() override;

private:
    void bt_updisable_Click();
    void UpdateProgressForm_FormClosing(QCloseEvent& e);

    Global& global_;
    QPushButton* bt_updisable = nullptr;
};
