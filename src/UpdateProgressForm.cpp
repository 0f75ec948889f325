// The firmware update's progress window.
#include "UpdateProgressForm.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "Global.h"
#include "device/ComFW.h"
#include "firmware/Transfer.h"

UpdateProgressForm::UpdateProgressForm(Global& global, QWidget* parent)
    : QDialog(parent), global_(global) {
    setObjectName("UpdateProgressForm");
    setWindowTitle("Device update...");
    // A tool window with a title only: no close, minimise or maximise button.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    if (parent) setFont(parent->font());  // a window does not inherit its owner's font

    // Positions are given for a font whose average character is 6 x 13 pixels.
    const QFontMetrics fm(font());
    const double sx = fm.averageCharWidth() / 6.0, sy = fm.height() / 13.0;
    const auto scaled = [&](int x, int y, int w, int h) {
        return QRect(qRound(x * sx), qRound(y * sy), qRound(w * sx), qRound(h * sy));
    };
    setFixedSize(scaled(0, 0, 450, 75).size());

    pb_update = new QProgressBar(this);
    pb_update->setObjectName("pb_update");
    pb_update->setGeometry(scaled(12, 12, 426, 23));
    pb_update->setRange(0, 1000);
    pb_update->setValue(0);
    pb_update->setTextVisible(false);

    bt_updisable = new QPushButton("Cancel", this);
    bt_updisable->setObjectName("bt_updisable");
    bt_updisable->setGeometry(scaled(191, 46, 75, 23));
    connect(bt_updisable, &QPushButton::clicked, this, [this] { bt_updisable_Click(); });

    lb_byte = new QLabel("0/0", this);
    lb_byte->setObjectName("lb_byte");
    lb_byte->move(scaled(12, 51, 0, 0).topLeft());
    lb_byte->adjustSize();

    setTabOrder(pb_update, bt_updisable);
    setTabOrder(bt_updisable, lb_byte);

    if (const QScreen* s = parent ? parent->screen() : QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

void UpdateProgressForm::ShowProgress(std::uint64_t sent, std::uint64_t length) {
    lb_byte->setText(QString::fromStdString(firmware::ProgressText(sent, length)));
    lb_byte->adjustSize();
    pb_update->setValue(firmware::ProgressPermille(sent, length));
}

void UpdateProgressForm::CloseForGood() {
    FormCloseEnable = true;
    close();
}

void UpdateProgressForm::bt_updisable_Click() {
    if (global_.CurrentDevice) device::SendCommand(*global_.CurrentDevice, pedal::CmdUpdateDisable);
    if (global_.updateForm) global_.updateForm->CloseForGood();
}

void UpdateProgressForm::closeEvent(QCloseEvent* e) {
    UpdateProgressForm_FormClosing(*e);
    if (e->isAccepted()) QDialog::closeEvent(e);
}

void UpdateProgressForm::UpdateProgressForm_FormClosing(QCloseEvent& e) {
    if (!FormCloseEnable) e.ignore();
}

void UpdateProgressForm::reject() {
    if (FormCloseEnable) QDialog::reject();
}
