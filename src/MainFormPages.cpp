// One page per connected unit; the shared control set moves to the selected page, whose
// unit becomes the current one.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

#include "MainForm.h"
#include "MainFormPedal.h"
#include "device/DeviceScanner.h"

namespace {

device::HidDevice* UnitOf(QWidget* page) {
    return static_cast<device::HidDevice*>(page->property("unit").value<void*>());
}

int NumberOf(QWidget* page) { return page->property("number").toInt(); }

}  // namespace

void MainForm::tc_Product_SelectedIndexChanged() { UpdateProductPages(); }

void MainForm::bt_refdev_Click() { FindNewDevice(); }

void MainForm::UpdateProductPages() {
    // A selection change made below runs this again; one more pass gives the same result.
    if (inPageUpdate_) {
        pageUpdateAgain_ = true;
        return;
    }
    inPageUpdate_ = true;
    const QList<QWidget*> shared{bt_FWinfo,       gb_Throttle, gb_Clutch,   bt_FWUpdate,
                                 bt_ResetDefault, bt_SaveFile, bt_LoadFile, bt_SavePedal,
                                 bt_LoadPedal,    gb_Break};
    auto& list = global_.HidDevList;
    auto listed = [&](device::HidDevice* d) {
        return std::any_of(list.begin(), list.end(), [&](const auto& u) { return u.get() == d; });
    };
    do {
        pageUpdateAgain_ = false;

        // 1. Pages of units no longer in the list go; the shared controls wait on the
        //    template page for the next unit page.
        for (int i = 0; i < tc_Product->count();) {
            QWidget* page = tc_Product->widget(i);
            if (listed(UnitOf(page))) {
                ++i;
                continue;
            }
            if (bt_FWinfo->parentWidget() == page)
                for (QWidget* w : shared) w->setParent(tp_Product);
            tc_Product->removeTab(i);
            page->deleteLater();
        }

        // 2. Units without a page get one, numbered on from every page made before.
        for (const auto& unit : list) {
            bool has = false;
            for (int i = 0; i < tc_Product->count() && !has; ++i)
                has = UnitOf(tc_Product->widget(i)) == unit.get();
            if (has) continue;
            auto* page = new QWidget();
            page->setAutoFillBackground(true);
            QPalette pal = page->palette();
            pal.setColor(QPalette::Window, Qt::white);
            page->setPalette(pal);
            page->setProperty("unit", QVariant::fromValue<void*>(unit.get()));
            page->setProperty("number", global_.NumDeviceCounter + 1);
            tc_Product->addTab(page, QString("Quorvane #%1").arg(global_.NumDeviceCounter + 1));
            ++global_.NumDeviceCounter;
        }

        // 3. Nothing selected: no current unit; select the first page if there is one.
        if (tc_Product->currentIndex() == -1) {
            global_.CurrentDevice = nullptr;
            if (!list.empty()) tc_Product->setCurrentIndex(0);
        }

        // 4. The selected page's unit is current and holds the shared controls.
        const int index = tc_Product->currentIndex();
        if (index >= 0 && index < static_cast<int>(list.size())) {
            QWidget* page = tc_Product->widget(index);
            global_.CurrentDevice = list[static_cast<std::size_t>(index)].get();
            for (QWidget* w : shared) {
                if (w->parentWidget() != page) w->setParent(page);
                w->show();
            }
            // A new index, or another unit at the same index (the selected one was dropped
            // and the next moved up): show the new current unit's settings.
            if (index != global_.OldPageIndex || NumberOf(page) != oldPageNumber_) {
                oldPageNumber_ = NumberOf(page);
                UpdateGUIFromClutchChannel();
                UpdateGUIFromBreakChannel();
                UpdateGUIFromThrottleChannel();
                UpdateCurrentDevFWInfo();
            }
        } else {
            global_.CurrentDevice = nullptr;
            oldPageNumber_ = 0;
        }

        // 5. and 6.
        global_.OldPageIndex = tc_Product->currentIndex();
        tc_Family->setVisible(!list.empty());
        UpdateConnectText();
    } while (pageUpdateAgain_);
    inPageUpdate_ = false;
}

void MainForm::UpdateConnectText() {
    const auto& denied = scanner_->PermissionDenied();
    const QString text = denied.empty() ? QString(ConnectText) : AccessText(denied.front());
    if (label10->text() == text) return;
    label10->setText(text);
    if (denied.empty()) {
        label10->setWordWrap(false);
        label10->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label10->setGeometry(Scaled(405, 351, 506, 25));
        label10->adjustSize();
    } else {
        // Several lines, centred where the connect text stands.
        label10->setWordWrap(true);
        label10->setAlignment(Qt::AlignCenter);
        label10->setGeometry(Scaled(127, 250, 1000, 230));
    }
}

QString MainForm::AccessText(const std::string& path) {
    return QString(
               "A Korvelax pedal unit is connected (%1), but this user may not open it.\n\n"
               "Install Trimdeck's access rule 70-trimdeck.rules in /usr/lib/udev/rules.d "
               "(the trimdeck package does this), run\n"
               "sudo udevadm control --reload-rules\n"
               "and plug the unit in again.")
        .arg(QString::fromStdString(path));
}
