// The load filter dialog ("Load config filter"): per channel, which settings a load takes
// from a settings file.
#pragma once

#include <QDialog>

#include "prompts/LoadFilter.h"

class QCheckBox;
class QGroupBox;
class QPushButton;

class FilterForm : public QDialog {
  public:
    // Builds the dialog with every box ticked, centred on the screen of `parent`.
    explicit FilterForm(QWidget* parent = nullptr);

    // The ticks of the ten boxes.
    prompts::LoadFilter Filter() const;

    // Controls (each also carries its name as objectName).
    QPushButton* bt_ok = nullptr;
    QPushButton* bt_cancel = nullptr;
    QGroupBox* gb_Clutch = nullptr;
    QCheckBox* cb_ClutchStartDead = nullptr;
    QCheckBox* cb_ClutchEndDead = nullptr;
    QCheckBox* cb_ClutchAdj = nullptr;
    QGroupBox* gb_Break = nullptr;
    QCheckBox* cb_BreakStartDead = nullptr;
    QCheckBox* cb_BreakEndDead = nullptr;
    QCheckBox* cb_BreakBreakLimit = nullptr;
    QCheckBox* cb_BreakAdj = nullptr;
    QGroupBox* gb_Throttle = nullptr;
    QCheckBox* cb_ThrottleStartDead = nullptr;
    QCheckBox* cb_ThrottleEndDead = nullptr;
    QCheckBox* cb_ThrottleAdj = nullptr;

  protected:
    // Enter and Escape are bound to no button: only a click (or Space on a focused
    // button) loads or cancels.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void bt_ok_Click();
    void bt_cancel_Click();
    QRect Scaled(int x, int y, int w, int h) const;
    QGroupBox* Group(const char* name, const char* title, QRect geometry);
    QCheckBox* Box(QGroupBox* group, const char* name, const char* text, int x, int y);

    double scaleX_ = 1.0, scaleY_ = 1.0;
};
