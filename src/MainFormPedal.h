// One pedal's controls inside MainForm: references to the window's named fields, so the
// code that builds, connects and refreshes them is written once for all three pedals.
#pragma once

#include <QString>

#include "MainForm.h"

struct MainForm::Pedal {
    int Index;         // 0 clutch, 1 brake, 2 throttle
    QString Name;      // "Clutch", "Break", "Throttle" (control names and caption)
    QString Tag;       // "CLUTCH", "BREAK", "THROTTLE"
    QGroupBox*& gb;
    QGroupBox*& gbCalibration;
    PictureBox*& pb_Deadzone;
    QPushButton*& bt_RestHit;
    QPushButton*& bt_PressHit;  // stays null for the brake
    QDoubleSpinBox*& nud_startdead;
    QDoubleSpinBox*& nud_enddead;
    QLabel*& lb_startdead;
    QLabel*& lb_enddead;
    QGroupBox*& gbAdjustment;
    QLabel*& lb_OutputLimit;            // brake only
    QDoubleSpinBox*& nud_outputlimit;   // brake only
    QRadioButton*& rb_Linear;
    QRadioButton*& rb_Exponential;
    QDoubleSpinBox*& nup_ExpValue;
    QRadioButton*& rb_OnePoint;
    QDoubleSpinBox*& nud_OPvalue;
    QDoubleSpinBox*& nud_OPoffset;
    QRadioButton*& rb_MultiPoint;
    QDoubleSpinBox*& nud_MPindex;
    QDoubleSpinBox*& nud_MPvalue;
    PictureBox*& pb_Input;
    QLabel*& lb_Input;
    PictureBox*& pb_Adjustment;
    PictureBox*& pb_Output;
    QLabel*& lb_Output;
    // Names of the two dead-zone labels.
    QString StartLabelName;
    QString EndLabelName;

    bool IsBreak() const { return Index == pedal::BreakIndex; }
    bool& NeedRedraw(MainForm& f) const {
        return Index == 0 ? f.NeedRedrawClutch : Index == 1 ? f.NeedRedrawBreak : f.NeedRedrawThrottle;
    }
    pedal::Channel& ChannelOf(device::HidDevice& d) const {
        return Index == 0 ? d.ClutchChannel : Index == 1 ? d.BreakChannel : d.ThrottleChannel;
    }
};
