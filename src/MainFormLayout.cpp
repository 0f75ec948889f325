// Building the main window's controls: every position, size, caption, range and tag.
// Positions are given for a font whose average character is 6 x 13 pixels and scaled by the
// window font's own average character.
#include <QDoubleSpinBox>
#include <algorithm>
#include <cmath>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include "MainForm.h"
#include "MainFormPedal.h"
#include "NumberBox.h"
#include "PictureBox.h"

QFont MainForm::WindowFont() {
    QFont f("Liberation Sans");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
}

namespace {

template <typename W>
W* Named(W* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

void Tag(QObject* o, const QString& tag) { o->setProperty("tag", tag); }

}  // namespace

QRect MainForm::Scaled(int x, int y, int w, int h) const {
    return QRect(qRound(x * scaleX_), qRound(y * scaleY_), qRound(w * scaleX_),
                 qRound(h * scaleY_));
}

void MainForm::BuildControls() {
    setObjectName("MainForm");
    setFont(WindowFont());
    const QFontMetrics fm(font());
    scaleX_ = fm.averageCharWidth() / 6.0;
    scaleY_ = fm.height() / 13.0;

    setWindowTitle(MainFormTitle);
    setFixedSize(Scaled(0, 0, 1254, 730).size());
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    // Back to front: the connect text lies under the unit tabs.
    label10 = Named(new QLabel(ConnectText, this), "label10");
    QFont big("Liberation Sans");
    big.setStyleHint(QFont::SansSerif);
    big.setPointSizeF(15.75);
    big.setBold(true);
    label10->setFont(big);
    label10->setGeometry(Scaled(405, 351, 506, 25));
    label10->adjustSize();

    pb_logo = Named(new QLabel(this), "pb_logo");
    pb_logo->setGeometry(Scaled(4, -1, 345, 92));
    pb_logo->setAlignment(Qt::AlignCenter);

    tc_Family = Named(new QTabWidget(this), "tc_Family");
    tc_Family->setGeometry(Scaled(-3, 97, 1263, 638));
    tc_Family->setFocusPolicy(Qt::NoFocus);
    tabPage1 = Named(new QWidget(), "tabPage1");
    tabPage1->setContentsMargins(3, 3, 3, 3);
    tc_Family->addTab(tabPage1, "Pedal Unit");
    tc_Family->hide();

    tc_Product = Named(new QTabWidget(tabPage1), "tc_Product");
    tc_Product->setGeometry(Scaled(-1, 6, 1260, 628));
    tc_Product->setFocusPolicy(Qt::NoFocus);
    tp_Product = Named(new QWidget(), "tp_Product");
    tp_Product->setContentsMargins(3, 3, 3, 3);
    tp_Product->resize(Scaled(0, 0, 1252, 602).size());
    tc_Product->addTab(tp_Product, "Quorvane");

    bt_refdev = Named(new QPushButton("Refresh devices", this), "bt_refdev");
    bt_refdev->setGeometry(Scaled(1111, 12, 131, 34));

    auto topButton = [&](QPushButton*& b, const char* name, const char* text, int x, int w) {
        b = Named(new QPushButton(text, tp_Product), name);
        b->setGeometry(Scaled(x, 23, w, 53));
    };
    topButton(bt_LoadPedal, "bt_LoadPedal", "Load setting from Pedal", 19, 170);
    topButton(bt_SavePedal, "bt_SavePedal", "Save setting to Pedal", 195, 170);
    topButton(bt_LoadFile, "bt_LoadFile", "Load settings from file", 371, 170);
    topButton(bt_SaveFile, "bt_SaveFile", "Save settings to file", 547, 170);
    topButton(bt_ResetDefault, "bt_ResetDefault", "Reset to default", 723, 170);
    topButton(bt_FWUpdate, "bt_FWUpdate", "Firmware update", 899, 170);
    topButton(bt_FWinfo, "bt_FWinfo", "HW Version:\n--Build Num--\n--Build Data--", 1075, 156);
    bt_FWinfo->setEnabled(false);

    timer_communication = Named(new QTimer(this), "timer_communication");
    timer_communication->setInterval(10);

    for (Pedal* p : {clutch_.get(), break_.get(), throttle_.get()}) BuildPedal(*p);
    FitTabHeaders();
}

// The layout leaves 22 pixels for each tab control's header and frame; this style's may be
// taller. The window, both tab controls and so the pages grow by the difference, so the
// pedal groups keep their full height.
void MainForm::FitTabHeaders() {
    int extra = 0;
    for (QTabWidget* tabs : {tc_Family, tc_Product}) {
        const int frame = tabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tabs);
        const int header = tabs->tabBar()->sizeHint().height() + frame;
        extra += std::max(0, header - qRound(22 * scaleY_));
    }
    if (extra == 0) return;
    setFixedSize(width(), height() + extra);
    tc_Family->resize(tc_Family->width(), tc_Family->height() + extra);
    tc_Product->resize(tc_Product->width(), tc_Product->height() + extra);
    tp_Product->resize(tp_Product->width(), tp_Product->height() + extra);
}

void MainForm::BuildPedal(Pedal& p) {
    const bool brake = p.IsBreak();
    const int groupX = 19 + 406 * p.Index;
    auto name = [&](const char* pattern) { return QString(pattern).arg(p.Name); };
    auto spin = [&](QDoubleSpinBox*& box, const QString& objName, QWidget* parent, QRect geom,
                    int decimals, double min, double max, double step, double value,
                    bool tagged = true) {
        // The dead-zone boxes show 0.001 but their settings are hundredths of a percent.
        box = Named(new NumberBox(parent, decimals == 3 ? 0.01 : std::pow(10.0, -decimals)),
                    objName);
        box->setGeometry(geom);
        box->setDecimals(decimals);
        box->setRange(min, max);
        box->setSingleStep(step);
        box->setValue(value);
        if (tagged) Tag(box, p.Tag);
    };
    auto label = [&](QLabel*& l, const QString& objName, const char* text, QWidget* parent, int x,
                     int y) {
        l = Named(new QLabel(text, parent), objName);
        l->move(Scaled(x, y, 0, 0).topLeft());
        l->adjustSize();  // labels size themselves to their text
    };

    p.gb = Named(new QGroupBox(p.Name, tp_Product), name("gb_%1"));
    p.gb->setGeometry(Scaled(groupX, 82, 400, 496));

    p.gbCalibration = Named(new QGroupBox("Calibration", p.gb), name("gb_%1Calibration"));
    p.gbCalibration->setGeometry(Scaled(6, 19, 388, brake ? 136 : 167));
    p.pb_Deadzone = Named(new PictureBox(p.gbCalibration, true), name("pb_%1_Deadzone"));
    p.pb_Deadzone->setGeometry(Scaled(6, 19, 376, 27));
    Tag(p.pb_Deadzone, p.Tag);
    p.bt_RestHit = Named(new QPushButton("Set pedal to rest position and hit this button",
                                         p.gbCalibration),
                         name("bt_%1_RestHit"));
    p.bt_RestHit->setGeometry(Scaled(6, 52, 376, 23));
    Tag(p.bt_RestHit, p.Tag);
    if (!brake) {
        p.bt_PressHit = Named(new QPushButton("Press pedal all to way down and hit this button",
                                              p.gbCalibration),
                              name("bt_%1_PressHit"));
        p.bt_PressHit->setGeometry(Scaled(6, 81, 376, 23));
        Tag(p.bt_PressHit, p.Tag);
    }
    const int deadY = brake ? 87 : 116;
    spin(p.nud_startdead, name("nud_%1_startdead"), p.gbCalibration, Scaled(6, deadY, 130, 20), 3,
         0, 100, 1, 0);
    spin(p.nud_enddead, name("nud_%1_enddead"), p.gbCalibration, Scaled(252, deadY, 130, 20), 3, 0,
         100, 1, 100);
    label(p.lb_startdead, p.StartLabelName, "Startpoint Deadzone", p.gbCalibration, 33, deadY + 26);
    label(p.lb_enddead, p.EndLabelName, brake ? "Maximum Break Force" : "Endpoint Deadzone",
          p.gbCalibration, 247, deadY + 26);

    const int dy = brake ? 35 : 0;
    p.gbAdjustment = Named(new QGroupBox("Adjustment", p.gb), name("gb_%1_Adjustment"));
    p.gbAdjustment->setGeometry(brake ? Scaled(6, 161, 388, 328) : Scaled(6, 192, 388, 297));
    QWidget* adj = p.gbAdjustment;
    if (brake) {
        label(p.lb_OutputLimit, "lb_Break_OutputLimit", "Break Output Limit", adj, 120, 22);
        spin(p.nud_outputlimit, "nud_Break_outputlimit", adj, Scaled(249, 19, 100, 20), 1, 0, 100,
             1, 100, false);
    }
    auto radio = [&](QRadioButton*& rb, const char* pattern, const char* text, int x, int y) {
        rb = Named(new QRadioButton(text, adj), name(pattern));
        rb->move(Scaled(x, y + dy, 0, 0).topLeft());
        rb->adjustSize();
        Tag(rb, p.Tag);
    };
    radio(p.rb_Linear, "rb_%1_Linear", "Linear", 23, 32);
    p.rb_Linear->setChecked(true);
    radio(p.rb_Exponential, "rb_%1_Exponential", "Exponential", 23, 55);
    spin(p.nup_ExpValue, name("nup_%1_ExpValue"), adj, Scaled(34, 78 + dy, 61, 20), 1, -32, 32, 0.1,
         0);
    radio(p.rb_OnePoint, "rb_%1_OnePoint", "One Point", 24, 121);
    spin(p.nud_OPvalue, name("nud_%1_OPvalue"), adj, Scaled(35, 144 + dy, 61, 20), 1, -49, 49, 1, 0);
    spin(p.nud_OPoffset, name("nud_%1_OPoffset"), adj, Scaled(35, 170 + dy, 61, 20), 1, -49, 49, 1,
         0);
    radio(p.rb_MultiPoint, "rb_%1_MultiPoint", "Multi Point", 24, 205);
    spin(p.nud_MPindex, name("nud_%1_MPindex"), adj, Scaled(35, 228 + dy, 61, 20), 0, 1, 9, 1, 1);
    spin(p.nud_MPvalue, name("nud_%1_MPvalue"), adj, Scaled(35, 254 + dy, 61, 20), 1, 0, 100, 1, 10);

    p.pb_Input = Named(new PictureBox(adj, true), name("pb_%1_Input"));
    p.pb_Input->setGeometry(Scaled(133, 27 + dy, 200, 25));
    Tag(p.pb_Input, p.Tag);
    label(p.lb_Input, name("lb_%1_Input"), "Input", adj, 209, 58 + dy);
    p.pb_Adjustment = Named(new PictureBox(adj, false), name("pb_%1_Adjustment"));
    p.pb_Adjustment->setGeometry(Scaled(123, 75 + dy, 210, 209));
    Tag(p.pb_Adjustment, p.Tag);
    p.pb_Output = Named(new PictureBox(adj, true), name("pb_%1_Output"));
    p.pb_Output->setGeometry(Scaled(347, 75 + dy, 29, 199));
    Tag(p.pb_Output, p.Tag);
    label(p.lb_Output, name("lb_%1_Output"), "Output", adj, 340, 275 + dy);
}
