// The load filter dialog: which settings a file load applies.
#include "FilterForm.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

// Positions are given for a font whose average character is 6 x 13 pixels and scaled by the
// dialog font's own, as the main window does.
FilterForm::FilterForm(QWidget* parent) : QDialog(parent) {
    setObjectName("FilterForm");
    if (parent) setFont(parent->font());
    const QFontMetrics fm(font());
    scaleX_ = fm.averageCharWidth() / 6.0;
    scaleY_ = fm.height() / 13.0;

    setWindowTitle("Load config filter");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Scaled(0, 0, 514, 213).size());

    bt_ok = new QPushButton("Load", this);
    bt_ok->setObjectName("bt_ok");
    bt_ok->setGeometry(Scaled(12, 175, 75, 23));
    bt_cancel = new QPushButton("Cancel", this);
    bt_cancel->setObjectName("bt_cancel");
    bt_cancel->setGeometry(Scaled(427, 175, 75, 23));
    for (QPushButton* b : {bt_ok, bt_cancel}) {
        b->setAutoDefault(false);  // no button answers Enter
        b->setDefault(false);
    }

    gb_Clutch = Group("gb_Clutch", "Clutch", Scaled(12, 12, 151, 100));
    cb_ClutchStartDead = Box(gb_Clutch, "cb_ClutchStartDead", "Startpoint deadzone", 18, 19);
    cb_ClutchEndDead = Box(gb_Clutch, "cb_ClutchEndDead", "Endpoint deadzone", 18, 43);
    cb_ClutchAdj = Box(gb_Clutch, "cb_ClutchAdj", "Adjusment", 18, 66);

    gb_Break = Group("gb_Break", "Break", Scaled(182, 12, 151, 121));
    cb_BreakStartDead = Box(gb_Break, "cb_BreakStartDead", "Startpoint deadzone", 18, 19);
    cb_BreakEndDead = Box(gb_Break, "cb_BreakEndDead", "Maximum Break Force", 18, 43);
    cb_BreakBreakLimit = Box(gb_Break, "cb_BreakBreakLimit", "Break Output Limit", 18, 66);
    cb_BreakAdj = Box(gb_Break, "cb_BreakAdj", "Adjusment", 18, 89);

    gb_Throttle = Group("gb_Throttle", "Throttle", Scaled(349, 12, 151, 100));
    cb_ThrottleStartDead = Box(gb_Throttle, "cb_ThrottleStartDead", "Startpoint deadzone", 18, 19);
    cb_ThrottleEndDead = Box(gb_Throttle, "cb_ThrottleEndDead", "Endpoint deadzone", 18, 43);
    cb_ThrottleAdj = Box(gb_Throttle, "cb_ThrottleAdj", "Adjusment", 18, 66);

    // Tab order: the two buttons, then each group's boxes by their own order; the brake's
    // "Adjusment" comes before its "Break Output Limit".
    QWidget* order[] = {bt_ok,
                        bt_cancel,
                        cb_ClutchStartDead,
                        cb_ClutchEndDead,
                        cb_ClutchAdj,
                        cb_BreakStartDead,
                        cb_BreakEndDead,
                        cb_BreakAdj,
                        cb_BreakBreakLimit,
                        cb_ThrottleStartDead,
                        cb_ThrottleEndDead,
                        cb_ThrottleAdj};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(bt_ok, &QPushButton::clicked, this, [this] { bt_ok_Click(); });
    connect(bt_cancel, &QPushButton::clicked, this, [this] { bt_cancel_Click(); });

    // Centred on the screen, not on the owner (a move also keeps Qt from re-centring it).
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
}

QRect FilterForm::Scaled(int x, int y, int w, int h) const {
    return QRect(qRound(x * scaleX_), qRound(y * scaleY_), qRound(w * scaleX_),
                 qRound(h * scaleY_));
}

QGroupBox* FilterForm::Group(const char* name, const char* title, QRect geometry) {
    auto* g = new QGroupBox(title, this);
    g->setObjectName(name);
    g->setGeometry(geometry);
    g->setFocusPolicy(Qt::NoFocus);
    return g;
}

QCheckBox* FilterForm::Box(QGroupBox* group, const char* name, const char* text, int x, int y) {
    auto* b = new QCheckBox(text, group);
    b->setObjectName(name);
    b->setChecked(true);
    b->move(Scaled(x, y, 0, 0).topLeft());
    b->adjustSize();  // a box sizes itself to its text
    return b;
}

prompts::LoadFilter FilterForm::Filter() const {
    prompts::LoadFilter f;
    f.ClutchStartDead = cb_ClutchStartDead->isChecked();
    f.ClutchEndDead = cb_ClutchEndDead->isChecked();
    f.ClutchAdj = cb_ClutchAdj->isChecked();
    f.BreakStartDead = cb_BreakStartDead->isChecked();
    f.BreakEndDead = cb_BreakEndDead->isChecked();
    f.BreakBreakLimit = cb_BreakBreakLimit->isChecked();
    f.BreakAdj = cb_BreakAdj->isChecked();
    f.ThrottleStartDead = cb_ThrottleStartDead->isChecked();
    f.ThrottleEndDead = cb_ThrottleEndDead->isChecked();
    f.ThrottleAdj = cb_ThrottleAdj->isChecked();
    return f;
}

void FilterForm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();  // QDialog would cancel or press the default button
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void FilterForm::bt_ok_Click() {
    accept();
}

// Closing by the frame also gives Cancel (QDialog rejects on close).
void FilterForm::bt_cancel_Click() {
    reject();
}
