// The pedal controls' handlers, the refreshes that show a channel in its controls, the
// firmware text and the buttons above the pedal groups.
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "BoxUnits.h"
#include "MainForm.h"
#include "MainFormPedal.h"
#include "PictureBox.h"
#include "device/ComFW.h"
#include "pedal/BuildDate.h"

namespace {
QString TagOf(QObject* o) { return o ? o->property("tag").toString() : QString(); }
}  // namespace

void MainForm::ConnectHandlers() {
    connect(timer_communication, &QTimer::timeout, this, [this] { timer_communication_Tick(); });
    connect(bt_refdev, &QPushButton::clicked, this, [this] { bt_refdev_Click(); });
    connect(tc_Product, &QTabWidget::currentChanged, this,
            [this] { tc_Product_SelectedIndexChanged(); });
    connect(bt_LoadPedal, &QPushButton::clicked, this, [this] { bt_LoadPedal_Click(); });
    connect(bt_SavePedal, &QPushButton::clicked, this, [this] { bt_SavePedal_Click(); });
    connect(bt_LoadFile, &QPushButton::clicked, this, [this] { bt_LoadFile_Click(); });
    connect(bt_SaveFile, &QPushButton::clicked, this, [this] { bt_SaveFile_Click(); });
    connect(bt_ResetDefault, &QPushButton::clicked, this, [this] { bt_ResetDefault_Click(); });
    connect(bt_FWUpdate, &QPushButton::clicked, this, [this] { bt_FWUpdate_Click(); });
    connect(nud_Break_outputlimit, &QDoubleSpinBox::valueChanged, this,
            [this] { nud_Break_outputlimit_ValueChanged(); });
    for (Pedal* p : {clutch_.get(), break_.get(), throttle_.get()}) ConnectPedal(*p);
}

void MainForm::ConnectPedal(Pedal& p) {
    auto onValue = [this](QDoubleSpinBox* box, void (MainForm::*handler)(QObject*)) {
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, box, handler] { (this->*handler)(box); });
    };
    onValue(p.nud_startdead, &MainForm::nud_startdead_ValueChanged);
    onValue(p.nud_enddead, &MainForm::nud_enddead_ValueChanged);
    onValue(p.nup_ExpValue, &MainForm::nup_ExpValue_ValueChanged);
    onValue(p.nud_OPvalue, &MainForm::nud_OPvalue_ValueChanged);
    onValue(p.nud_OPoffset, &MainForm::nud_OPoffset_ValueChanged);
    onValue(p.nud_MPindex, &MainForm::nud_MPindex_ValueChanged);
    onValue(p.nud_MPvalue, &MainForm::nud_MPvalue_ValueChanged);

    // Every change of a button's checked state, lost or gained, stores the button's own type.
    auto onRadio = [this](QRadioButton* rb, pedal::CALCTYPE type) {
        connect(rb, &QRadioButton::toggled, this, [this, rb, type] { rb_CurveType_CheckedChanged(rb, type); });
    };
    onRadio(p.rb_Linear, pedal::CALCTYPE::Linear);
    onRadio(p.rb_Exponential, pedal::CALCTYPE::Exponential);
    onRadio(p.rb_OnePoint, pedal::CALCTYPE::OnePoint);
    onRadio(p.rb_MultiPoint, pedal::CALCTYPE::MultiPoint);

    QPushButton* rest = p.bt_RestHit;
    connect(rest, &QPushButton::clicked, this, [this, rest] { bt_RestHit_Click(rest); });
    if (QPushButton* press = p.bt_PressHit)
        connect(press, &QPushButton::clicked, this, [this, press] { bt_PressHit_Click(press); });

    p.pb_Deadzone->SetPaintHandler([this](PictureBox& b, QPainter& g) { PaintArea(b, g, 0); });
    p.pb_Input->SetPaintHandler([this](PictureBox& b, QPainter& g) { PaintArea(b, g, 1); });
    p.pb_Output->SetPaintHandler([this](PictureBox& b, QPainter& g) { PaintArea(b, g, 2); });
    p.pb_Adjustment->SetPaintHandler([this](PictureBox& b, QPainter& g) { PaintArea(b, g, 3); });
}

pedal::Channel* MainForm::GetTagChannel(const QString& tag) {
    Pedal* p = tag == "CLUTCH" ? clutch_.get()
               : tag == "BREAK" ? break_.get()
               : tag == "THROTTLE" ? throttle_.get()
                                   : nullptr;
    if (!p) return nullptr;
    p->NeedRedraw(*this) = true;
    return global_.CurrentDevice ? &p->ChannelOf(*global_.CurrentDevice) : nullptr;
}

MainForm::Pedal& MainForm::PedalOf(const pedal::Channel& c) {
    return c.ChannelIndex() == 1 ? *break_ : c.ChannelIndex() == 2 ? *throttle_ : *clutch_;
}

// --- editing a channel ------------------------------------------------------------------

void MainForm::EditChannel(QObject* sender,
                           const std::function<void(pedal::Channel&, double)>& write) {
    pedal::Channel* c = GetTagChannel(TagOf(sender));
    if (!c) return;
    if (!showingChannel_) write(*c, static_cast<QDoubleSpinBox*>(sender)->value());
    UpdateConfig(*c);
}

void MainForm::nud_startdead_ValueChanged(QObject* sender) {
    EditChannel(sender, [](pedal::Channel& c, double v) { c.DeadZoneMin = ui::DeadZoneFromBox(v); });
}

void MainForm::nud_enddead_ValueChanged(QObject* sender) {
    const bool brake = TagOf(sender) == "BREAK";  // the brake's box shows the force left
    EditChannel(sender, [brake](pedal::Channel& c, double v) {
        c.DeadZoneMax = brake ? ui::BreakForceFromBox(v) : ui::DeadZoneFromBox(v);
    });
}

void MainForm::nup_ExpValue_ValueChanged(QObject* sender) {
    EditChannel(sender, [](pedal::Channel& c, double v) { c.Exponent = ui::ExponentFromBox(v); });
}

void MainForm::nud_OPvalue_ValueChanged(QObject* sender) {
    EditChannel(sender, [](pedal::Channel& c, double v) { c.OnePointValue = ui::OnePointFromBox(v); });
}

void MainForm::nud_OPoffset_ValueChanged(QObject* sender) {
    EditChannel(sender, [](pedal::Channel& c, double v) { c.OnePointOffset = ui::OnePointFromBox(v); });
}

void MainForm::nud_MPvalue_ValueChanged(QObject* sender) {
    EditChannel(sender, [this](pedal::Channel& c, double v) {
        const int k = static_cast<int>(PedalOf(c).nud_MPindex->value());
        if (k >= 1 && k <= 9) c.MultiPointArray[k - 1] = ui::TenthsFromBox(v);
    });
}

void MainForm::nud_Break_outputlimit_ValueChanged() {
    device::HidDevice* dev = global_.CurrentDevice;
    if (!dev) return;
    if (!showingChannel_) dev->BreakChannel.BreakOutputLimit = ui::TenthsFromBox(nud_Break_outputlimit->value());
    UpdateConfig(dev->BreakChannel);
}

void MainForm::rb_CurveType_CheckedChanged(QObject* sender, pedal::CALCTYPE type) {
    pedal::Channel* c = GetTagChannel(TagOf(sender));
    if (!c) return;
    c->CalcType = type;
    UpdateConfig(*c);
}

void MainForm::nud_MPindex_ValueChanged(QObject* sender) {
    auto* box = static_cast<QDoubleSpinBox*>(sender);
    pedal::Channel* c = GetTagChannel(TagOf(sender));
    if (!c) return;
    const int i = static_cast<int>(box->value()) - 1;
    if (i < 0 || i > 8) return;
    // Showing another point is not an edit of it: the point keeps its stored value.
    ++showingChannel_;
    PedalOf(*c).nud_MPvalue->setValue(ui::TenthsToBox(c->MultiPointArray[i]));
    --showingChannel_;
    c->selected = i;
}

void MainForm::bt_RestHit_Click(QObject* sender) {
    pedal::Channel* c = GetTagChannel(TagOf(sender));
    if (!c) return;
    c->CalibMin = c->ChannelValue;
    UpdateConfig(*c);
}

void MainForm::bt_PressHit_Click(QObject* sender) {
    pedal::Channel* c = GetTagChannel(TagOf(sender));
    if (!c) return;
    c->CalibMax = c->ChannelValue;
    UpdateConfig(*c);
}

// --- showing a channel --------------------------------------------------------------------

void MainForm::UpdateGUIFromClutchChannel() { UpdateGUIFromChannel(*clutch_); }
void MainForm::UpdateGUIFromBreakChannel() { UpdateGUIFromChannel(*break_); }
void MainForm::UpdateGUIFromThrottleChannel() { UpdateGUIFromChannel(*throttle_); }

void MainForm::UpdateGUIFromChannel(Pedal& p) {
    if (!global_.CurrentDevice) return;
    const pedal::Channel& c = p.ChannelOf(*global_.CurrentDevice);
    // A box shows the nearest value it can hold; the channel keeps what the unit reported
    // until the user edits that box.
    ++showingChannel_;
    p.nud_startdead->setValue(ui::DeadZoneToBox(c.DeadZoneMin));
    p.nud_enddead->setValue(p.IsBreak() ? ui::BreakForceToBox(c.DeadZoneMax)
                                        : ui::DeadZoneToBox(c.DeadZoneMax));
    if (p.IsBreak()) p.nud_outputlimit->setValue(ui::TenthsToBox(c.BreakOutputLimit));
    switch (c.CalcType) {
        case pedal::CALCTYPE::Linear:
            p.rb_Linear->setChecked(true);
            break;
        case pedal::CALCTYPE::Exponential:
            p.rb_Exponential->setChecked(true);
            break;
        case pedal::CALCTYPE::OnePoint:
            p.rb_OnePoint->setChecked(true);
            break;
        case pedal::CALCTYPE::MultiPoint:
            p.rb_MultiPoint->setChecked(true);
            break;
        default:
            break;  // an unknown type leaves the buttons as they are
    }
    p.nup_ExpValue->setValue(ui::ExponentToBox(c.Exponent));
    p.nud_OPvalue->setValue(ui::OnePointToBox(c.OnePointValue));
    p.nud_OPoffset->setValue(ui::OnePointToBox(c.OnePointOffset));
    p.nud_MPindex->setValue(1);
    p.nud_MPvalue->setValue(ui::TenthsToBox(c.MultiPointArray[0]));
    --showingChannel_;
}

void MainForm::UpdateCurrentDevFWInfo() {
    const device::HidDevice* dev = global_.CurrentDevice;
    if (!dev) return;
    std::string date = "???";
    if (const auto d = pedal::BuildDateToCalendar(dev->BuildDate))
        date = std::to_string(d->Year) + "/" + std::to_string(d->Month) + "/" + std::to_string(d->Day);
    char serial[16];
    std::snprintf(serial, sizeof serial, "%04X", dev->SerialNum);
    bt_FWinfo->setText(QString::fromStdString("Version: " + std::to_string(dev->BuildNum) +
                                              "\nBuild date: " + date + "\nSN: " + serial));
}

// --- buttons ---------------------------------------------------------------------------------

void MainForm::bt_LoadPedal_Click() {
    if (!global_.CurrentDevice) return;
    global_.ShowMessageLoadFromFW = true;
    device::SendCommand(*global_.CurrentDevice, pedal::CmdLoadConfig);
}

void MainForm::bt_SavePedal_Click() {
    if (global_.CurrentDevice) device::SendCommand(*global_.CurrentDevice, pedal::CmdSaveConfig);
}

void MainForm::bt_ResetDefault_Click() {
    device::HidDevice* dev = global_.CurrentDevice;
    if (!dev) return;
    dev->ClutchChannel.ResetDefault();
    dev->BreakChannel.ResetDefault();
    dev->ThrottleChannel.ResetDefault();
    SendAndShowAllChannels(*dev);
}

void MainForm::SendAndShowAllChannels(device::HidDevice& dev) {
    UpdateConfig(dev.ClutchChannel);
    UpdateConfig(dev.BreakChannel);
    UpdateConfig(dev.ThrottleChannel);
    UpdateGUIFromClutchChannel();
    UpdateGUIFromBreakChannel();
    UpdateGUIFromThrottleChannel();
}
