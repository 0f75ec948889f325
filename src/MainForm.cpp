// MainForm's life and its poll: construction, start-up, the 10 ms tick that drains every
// unit and dispatches its messages, and the stop.
#include "MainForm.h"

#include <QIcon>
#include <QLabel>
#include <QSocketNotifier>
#include <QTabWidget>
#include <QTimer>

#include "MainFormPedal.h"
#include "PictureBox.h"
#include "device/ComFW.h"
#include "device/DeviceScanner.h"
#include "pedal/Trace.h"
#include "prompts/Prompts.h"

MainForm::MainForm(device::HidPlatform& platform, prompts::Prompts& prompts, QWidget* parent)
    : QWidget(parent),
      platform_(platform),
      prompts_(prompts),
      scanner_(std::make_unique<device::DeviceScanner>(platform, global_.AllThreadStop)) {
    clutch_.reset(new Pedal{0, "Clutch", "CLUTCH", gb_Clutch, gb_ClutchCalibration,
                            pb_Clutch_Deadzone, bt_Clutch_RestHit, bt_Clutch_PressHit,
                            nud_Clutch_startdead, nud_Clutch_enddead, label6, label5,
                            gb_Clutch_Adjustment, absentLimitLabel_, absentLimitBox_,
                            rb_Clutch_Linear, rb_Clutch_Exponential, nup_Clutch_ExpValue,
                            rb_Clutch_OnePoint, nud_Clutch_OPvalue, nud_Clutch_OPoffset,
                            rb_Clutch_MultiPoint, nud_Clutch_MPindex, nud_Clutch_MPvalue,
                            pb_Clutch_Input, lb_Clutch_Input, pb_Clutch_Adjustment,
                            pb_Clutch_Output, lb_Clutch_Output, "label6", "label5"});
    break_.reset(new Pedal{1, "Break", "BREAK", gb_Break, gb_BreakCalibration, pb_Break_Deadzone,
                           bt_Break_RestHit, absentPressHit_, nud_Break_startdead,
                           nud_Break_enddead, lb_Break_startdead, lb_Break_enddead,
                           gb_Break_Adjustment, lb_Break_OutputLimit, nud_Break_outputlimit,
                           rb_Break_Linear, rb_Break_Exponential, nup_Break_ExpValue,
                           rb_Break_OnePoint, nud_Break_OPvalue, nud_Break_OPoffset,
                           rb_Break_MultiPoint, nud_Break_MPindex, nud_Break_MPvalue,
                           pb_Break_Input, lb_Break_Input, pb_Break_Adjustment, pb_Break_Output,
                           lb_Break_Output, "lb_Break_startdead", "lb_Break_enddead"});
    throttle_.reset(new Pedal{2, "Throttle", "THROTTLE", gb_Throttle, gb_ThrottleCalibration,
                              pb_Throttle_Deadzone, bt_Throttle_RestHit, bt_Throttle_PressHit,
                              nud_Throttle_startdead, nud_Throttle_enddead, label9, label8,
                              gb_Throttle_Adjustment, absentLimitLabel_, absentLimitBox_,
                              rb_Throttle_Linear, rb_Throttle_Exponential, nup_Throttle_ExpValue,
                              rb_Throttle_OnePoint, nud_Throttle_OPvalue, nud_Throttle_OPoffset,
                              rb_Throttle_MultiPoint, nud_Throttle_MPindex, nud_Throttle_MPvalue,
                              pb_Throttle_Input, lb_Throttle_Input, pb_Throttle_Adjustment,
                              pb_Throttle_Output, lb_Throttle_Output, "label9", "label8"});
    BuildControls();
    ConnectHandlers();  // after every initial value, so building runs no handler
    InitOther();
    timer_communication->start();  // first fires once the event loop runs
}

MainForm::~MainForm() {
    timer_communication->stop();
    StopSignal();  // every unit still connected says goodbye; the list's end joins its thread
    global_.CurrentDevice = nullptr;
    global_.HidDevList.clear();
}

void MainForm::StopSignal() { global_.AllThreadStop->Raise(); }

void MainForm::InitOther() {
    // The template page keeps the shared control set but is never shown as a tab.
    tc_Product->removeTab(tc_Product->indexOf(tp_Product));
    tc_Product->setCurrentIndex(-1);
    global_.OldPageIndex = -1;
    global_.HidDevList.clear();

    auto info = [](const Pedal& p) {
        auto size = [](const QWidget* w) { return pedal::Size{w->width(), w->height()}; };
        return pedal::ChannelGUIInfo{size(p.pb_Deadzone), size(p.pb_Input), size(p.pb_Output),
                                     size(p.pb_Adjustment)};
    };
    pedal::Channel::SetChannelGUIInfo(info(*clutch_), info(*break_), info(*throttle_));

    // Device arrival: each "add" the platform reports starts a search.
    if (const int fd = platform_.arrivalFd(); fd >= 0) {
        arrival_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(arrival_, &QSocketNotifier::activated, this, [this] { ArrivalReady(); });
    }

    // The images are compiled into this library; make sure its resources are registered.
    Q_INIT_RESOURCE(Media);
    QPixmap logo(":/Media/Korvelax_logo.png");
    pb_logo->setPixmap(logo.scaled(pb_logo->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    setWindowIcon(QIcon(":/Media/Korvelax_icon.png"));
}

void MainForm::ArrivalReady() {
    for (int adds = platform_.ReadArrivals(); adds > 0; --adds) FindNewDevice();
}

void MainForm::FindNewDevice() {
    scanner_->FindNewDevices(global_.HidDevList, [this] { UpdateProductPages(); });
}

void MainForm::timer_communication_Tick() {
    timer_communication->stop();
    if (!global_.FirstSearch) {
        FindNewDevice();
        global_.FirstSearch = true;
    }
    auto& list = global_.HidDevList;
    for (std::size_t i = 0; i < list.size();) {
        device::HidDevice& dev = *list[i];
        if (dev.HasError) {
            // Dropped with whatever it had queued; its thread has already closed it.
            if (global_.CurrentDevice == &dev) global_.CurrentDevice = nullptr;
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            UpdateProductPages();
            FindNewDevice();
            continue;
        }
        if (dev.CheckRecvMessage()) {
            pedal::Message m;
            while (!dev.HasError && dev.GetRecvMessage(m)) ProcessCommand(dev, m);
            for (Pedal* p : {clutch_.get(), break_.get(), throttle_.get()}) {
                if (p->NeedRedraw(*this)) {
                    RepaintPedal(*p);
                    p->NeedRedraw(*this) = false;  // after the repaint: its own marks go too
                }
            }
        }
        ++i;
    }
    timer_communication->start();
}

void MainForm::RepaintPedal(Pedal& p) {
    for (PictureBox* box : {p.pb_Deadzone, p.pb_Input, p.pb_Output, p.pb_Adjustment})
        box->repaint();
}

void MainForm::ProcessCommand(device::HidDevice& dev, const pedal::Message& recvBytes) {
    switch (recvBytes[0]) {
        case pedal::CmdComStart:
            ProcessComStart(dev, recvBytes);
            break;
        case pedal::CmdLoadConfig:
            ProcessLoadConfigFromHW(dev, recvBytes);
            break;
        case pedal::CmdSaveConfig:
            prompts_.Message("Settings successfully saved to Pedal");
            break;
        case pedal::CmdValues:
            ProcessValues(dev, recvBytes);
            break;
        case pedal::CmdUpdateStart:
            ProcessUpdate(dev, recvBytes);
            break;
        default:
            break;  // anything else is dropped without effect
    }
}

void MainForm::ProcessComStart(device::HidDevice& dev, const pedal::Message& recvBytes) {
    device::ComFW_ProecessComStart(dev, recvBytes);
    if (&dev == global_.CurrentDevice) UpdateCurrentDevFWInfo();
    if (dev.BuildNum != pedal::RequiredBuildNum) {
        prompts_.Message("FW Build Number is not correct!!\r\nCurrent FW: " +
                         std::to_string(dev.BuildNum) + "\r\nRequired Build Num: " +
                         std::to_string(pedal::RequiredBuildNum));
    }
    device::SendCommand(dev, pedal::CmdLoadConfig);
}

void MainForm::ProcessLoadConfigFromHW(device::HidDevice& dev, const pedal::Message& recvBytes) {
    const int ch = recvBytes[1];
    pedal::Channel& c = ch == 1 ? dev.BreakChannel : ch == 2 ? dev.ThrottleChannel : dev.ClutchChannel;
    pedal::DebugTrace("LoadConfig FromHW: ch: " + std::to_string(ch));
    pedal::ComFW_ProecessConfig(c, recvBytes);
    if (!global_.CurrentDevice) return;
    UpdateGUIConfig = true;
    switch (ch) {
        case 0:
            UpdateGUIFromClutchChannel();
            break;
        case 1:
            UpdateGUIFromBreakChannel();
            break;
        case 2:
            UpdateGUIFromThrottleChannel();
            if (global_.ShowMessageLoadFromFW) {
                prompts_.Message("Settings successfully loaded from Pedal");
                global_.ShowMessageLoadFromFW = false;
            }
            break;
        default:
            break;
    }
    UpdateGUIConfig = false;
}

void MainForm::ProcessValues(device::HidDevice& dev, const pedal::Message& recvBytes) {
    bool clutch = false, brake = false, throttle = false;
    device::ComFW_ProcessValues(dev, recvBytes, clutch, brake, throttle);
    if (&dev != global_.CurrentDevice) return;
    NeedRedrawClutch |= clutch;
    NeedRedrawBreak |= brake;
    NeedRedrawThrottle |= throttle;
}

void MainForm::UpdateConfig(const pedal::Channel& c) {
    if (!UpdateGUIConfig && global_.CurrentDevice) device::ComFW_SendConfig(*global_.CurrentDevice, c);
}
