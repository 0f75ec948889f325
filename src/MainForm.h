// The main window: one page per connected pedal unit with the shared control set, the
// 10 ms poll of every unit, and the handlers that turn control values into unit settings.
#pragma once

#include <QFont>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "Global.h"
#include "pedal/Channel.h"
#include "pedal/Commands.h"

class PictureBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSocketNotifier;
class QTabWidget;
class QTimer;
class QPainter;

namespace device {
class DeviceScanner;
class HidPlatform;
}
namespace prompts {
class Prompts;
}

// The title of the window.
inline constexpr const char* MainFormTitle = "Korvelax - Trimdeck - v1.0";
// What the window shows while no unit is connected.
inline constexpr const char* ConnectText = "Please connect a Korvelax device to computer.";

// A file dialog's settings: its filter ("description|pattern|...") and preset name.
struct FileDialogSettings {
    std::string Filter;
    std::string FileName;
};

class MainForm : public QWidget {
public:
    // Builds every control, then InitOther(). Nothing is searched or sent before the event
    // loop runs. `platform` and `prompts` must outlive the window.
    MainForm(device::HidPlatform& platform, prompts::Prompts& prompts, QWidget* parent = nullptr);
    ~MainForm() override;

    // The font every window of the application is laid out for: Arial's metric twin at the
    // size whose average character is closest to the layout's 6 x 13 cell. The application
    // sets it for all its windows (dialogs included) before it builds any.
    static QFont WindowFont();

    // Raises the stop request of every unit's I/O thread (each says goodbye to its unit).
    void StopSignal();

    // --- poll loop and dispatcher ---
    void timer_communication_Tick();
    void ProcessCommand(device::HidDevice& dev, const pedal::Message& recvBytes);
    void ProcessComStart(device::HidDevice& dev, const pedal::Message& recvBytes);
    void ProcessLoadConfigFromHW(device::HidDevice& dev, const pedal::Message& recvBytes);
    void ProcessValues(device::HidDevice& dev, const pedal::Message& recvBytes);
    void ProcessUpdate(device::HidDevice& dev, const pedal::Message& recvBytes);
    // Sends `c` (a channel of the current unit) unless a unit's configuration is on show.
    void UpdateConfig(const pedal::Channel& c);

    // --- discovery and pages ---
    void FindNewDevice();
    void UpdateProductPages();

    // --- refreshes ---
    void UpdateGUIFromClutchChannel();
    void UpdateGUIFromBreakChannel();
    void UpdateGUIFromThrottleChannel();
    void UpdateCurrentDevFWInfo();
    // The current unit's channel for a pedal tag ("CLUTCH", "BREAK", "THROTTLE"), marking
    // that pedal for repainting; none for another tag or without a current unit.
    pedal::Channel* GetTagChannel(const QString& tag);

    Global& global() { return global_; }
    const Global& global() const { return global_; }

    // Window state.
    bool UpdateGUIConfig = false;
    bool NeedRedrawClutch = false;
    bool NeedRedrawBreak = false;
    bool NeedRedrawThrottle = false;

    // --- controls (each also carries its name as objectName) ---
    QPushButton* bt_refdev = nullptr;
    QTabWidget* tc_Family = nullptr;
    QWidget* tabPage1 = nullptr;
    QTabWidget* tc_Product = nullptr;
    QWidget* tp_Product = nullptr;
    QLabel* pb_logo = nullptr;
    QLabel* label10 = nullptr;
    QTimer* timer_communication = nullptr;
    FileDialogSettings ofd_fw{"bin (*.bin)|*.bin|All files (*.*)|*.*", ""};
    FileDialogSettings sfd_config{"Config XML (*.xml)|*.xml|All files (*.*)|*.*", ""};
    FileDialogSettings ofd_config{"Config XML (*.xml)|*.xml|All files (*.*)|*.*", "*.xml"};

    QPushButton* bt_LoadPedal = nullptr;
    QPushButton* bt_SavePedal = nullptr;
    QPushButton* bt_LoadFile = nullptr;
    QPushButton* bt_SaveFile = nullptr;
    QPushButton* bt_ResetDefault = nullptr;
    QPushButton* bt_FWUpdate = nullptr;
    QPushButton* bt_FWinfo = nullptr;

    QGroupBox* gb_Clutch = nullptr;
    QGroupBox* gb_ClutchCalibration = nullptr;
    PictureBox* pb_Clutch_Deadzone = nullptr;
    QPushButton* bt_Clutch_RestHit = nullptr;
    QPushButton* bt_Clutch_PressHit = nullptr;
    QDoubleSpinBox* nud_Clutch_startdead = nullptr;
    QDoubleSpinBox* nud_Clutch_enddead = nullptr;
    QLabel* label6 = nullptr;
    QLabel* label5 = nullptr;
    QGroupBox* gb_Clutch_Adjustment = nullptr;
    QRadioButton* rb_Clutch_Linear = nullptr;
    QRadioButton* rb_Clutch_Exponential = nullptr;
    QDoubleSpinBox* nup_Clutch_ExpValue = nullptr;
    QRadioButton* rb_Clutch_OnePoint = nullptr;
    QDoubleSpinBox* nud_Clutch_OPvalue = nullptr;
    QDoubleSpinBox* nud_Clutch_OPoffset = nullptr;
    QRadioButton* rb_Clutch_MultiPoint = nullptr;
    QDoubleSpinBox* nud_Clutch_MPindex = nullptr;
    QDoubleSpinBox* nud_Clutch_MPvalue = nullptr;
    PictureBox* pb_Clutch_Input = nullptr;
    QLabel* lb_Clutch_Input = nullptr;
    PictureBox* pb_Clutch_Adjustment = nullptr;
    PictureBox* pb_Clutch_Output = nullptr;
    QLabel* lb_Clutch_Output = nullptr;

    QGroupBox* gb_Break = nullptr;
    QGroupBox* gb_BreakCalibration = nullptr;
    PictureBox* pb_Break_Deadzone = nullptr;
    QPushButton* bt_Break_RestHit = nullptr;
    QDoubleSpinBox* nud_Break_startdead = nullptr;
    QDoubleSpinBox* nud_Break_enddead = nullptr;
    QLabel* lb_Break_startdead = nullptr;
    QLabel* lb_Break_enddead = nullptr;
    QGroupBox* gb_Break_Adjustment = nullptr;
    QLabel* lb_Break_OutputLimit = nullptr;
    QDoubleSpinBox* nud_Break_outputlimit = nullptr;
    QRadioButton* rb_Break_Linear = nullptr;
    QRadioButton* rb_Break_Exponential = nullptr;
    QDoubleSpinBox* nup_Break_ExpValue = nullptr;
    QRadioButton* rb_Break_OnePoint = nullptr;
    QDoubleSpinBox* nud_Break_OPvalue = nullptr;
    QDoubleSpinBox* nud_Break_OPoffset = nullptr;
    QRadioButton* rb_Break_MultiPoint = nullptr;
    QDoubleSpinBox* nud_Break_MPindex = nullptr;
    QDoubleSpinBox* nud_Break_MPvalue = nullptr;
    PictureBox* pb_Break_Input = nullptr;
    QLabel* lb_Break_Input = nullptr;
    PictureBox* pb_Break_Adjustment = nullptr;
    PictureBox* pb_Break_Output = nullptr;
    QLabel* lb_Break_Output = nullptr;

    QGroupBox* gb_Throttle = nullptr;
    QGroupBox* gb_ThrottleCalibration = nullptr;
    PictureBox* pb_Throttle_Deadzone = nullptr;
    QPushButton* bt_Throttle_RestHit = nullptr;
    QPushButton* bt_Throttle_PressHit = nullptr;
    QDoubleSpinBox* nud_Throttle_startdead = nullptr;
    QDoubleSpinBox* nud_Throttle_enddead = nullptr;
    QLabel* label9 = nullptr;
    QLabel* label8 = nullptr;
    QGroupBox* gb_Throttle_Adjustment = nullptr;
    QRadioButton* rb_Throttle_Linear = nullptr;
    QRadioButton* rb_Throttle_Exponential = nullptr;
    QDoubleSpinBox* nup_Throttle_ExpValue = nullptr;
    QRadioButton* rb_Throttle_OnePoint = nullptr;
    QDoubleSpinBox* nud_Throttle_OPvalue = nullptr;
    QDoubleSpinBox* nud_Throttle_OPoffset = nullptr;
    QRadioButton* rb_Throttle_MultiPoint = nullptr;
    QDoubleSpinBox* nud_Throttle_MPindex = nullptr;
    QDoubleSpinBox* nud_Throttle_MPvalue = nullptr;
    PictureBox* pb_Throttle_Input = nullptr;
    QLabel* lb_Throttle_Input = nullptr;
    PictureBox* pb_Throttle_Adjustment = nullptr;
    PictureBox* pb_Throttle_Output = nullptr;
    QLabel* lb_Throttle_Output = nullptr;

    // The layout's scale: the application font's average character against 6 x 13.
    double ScaleX() const { return scaleX_; }
    double ScaleY() const { return scaleY_; }

private:
    // One pedal's controls, as references to the named fields above.
    struct Pedal;

    void BuildControls();
    void BuildPedal(Pedal& p);
    void FitTabHeaders();
    void ConnectHandlers();
    void ConnectPedal(Pedal& p);
    void InitOther();
    QRect Scaled(int x, int y, int w, int h) const;

    // Handlers, named after the control's role and event; each serves all three pedals.
    void bt_refdev_Click();
    void tc_Product_SelectedIndexChanged();
    void bt_LoadPedal_Click();
    void bt_SavePedal_Click();
    void bt_LoadFile_Click();
    void bt_SaveFile_Click();
    void bt_ResetDefault_Click();
    void bt_FWUpdate_Click();
    // Writes the value of the box `sender` into its channel of the current unit (unless the
    // boxes are being set from that channel) and sends the channel.
    void EditChannel(QObject* sender, const std::function<void(pedal::Channel&, double)>& write);
    void bt_RestHit_Click(QObject* sender);
    void bt_PressHit_Click(QObject* sender);
    void nud_startdead_ValueChanged(QObject* sender);
    void nud_enddead_ValueChanged(QObject* sender);
    void rb_CurveType_CheckedChanged(QObject* sender, pedal::CALCTYPE type);
    void nup_ExpValue_ValueChanged(QObject* sender);
    void nud_OPvalue_ValueChanged(QObject* sender);
    void nud_OPoffset_ValueChanged(QObject* sender);
    void nud_MPindex_ValueChanged(QObject* sender);
    void nud_MPvalue_ValueChanged(QObject* sender);
    void nud_Break_outputlimit_ValueChanged();

    // --- settings file ---

    // --- firmware update ---
    // Owns the progress window of the latest update; Global::updateForm refers to it.
    struct UpdateFormDeleter {
        void operator()(UpdateProgressForm* form) const;
    };
    std::unique_ptr<UpdateProgressForm, UpdateFormDeleter> updateFormOwner_;

    void PaintArea(PictureBox& box, QPainter& inside, int area);

    void UpdateGUIFromChannel(Pedal& p);
    // Sends the current unit's three channels (clutch, brake, throttle), then shows them.
    void SendAndShowAllChannels(device::HidDevice& dev);
    Pedal& PedalOf(const pedal::Channel& c);
    void RepaintPedal(Pedal& p);
    void ArrivalReady();
    // The connect text, or how to grant access when a unit was seen but refused.
    void UpdateConnectText();
    static QString AccessText(const std::string& path);

    device::HidPlatform& platform_;
    prompts::Prompts& prompts_;
    Global global_;
    std::unique_ptr<device::DeviceScanner> scanner_;
    std::unique_ptr<Pedal> clutch_, break_, throttle_;
    QSocketNotifier* arrival_ = nullptr;
    double scaleX_ = 1.0, scaleY_ = 1.0;
    // While the boxes are being set from a channel, their handlers keep the channel's own
    // values (a value a box cannot show, e.g. out of its range, stays as the unit gave it).
    int showingChannel_ = 0;
    bool inPageUpdate_ = false;
    bool pageUpdateAgain_ = false;
    int oldPageNumber_ = 0;  // number of the page refreshed last, to notice a new unit
    // What the pedals without a press button or an output-limit box refer to: stays null.
    QPushButton* absentPressHit_ = nullptr;
    QLabel* absentLimitLabel_ = nullptr;
    QDoubleSpinBox* absentLimitBox_ = nullptr;
};
