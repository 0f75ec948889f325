// The window's life, its poll and its pages, on simulated units.
#include <QLabel>
#include <QTimer>
#include <cerrno>

#include "FormFixture.h"
#include "PictureBox.h"
#include "device/ComFW.h"

namespace {

using MainFormTest = FormFixture;

TEST_F(MainFormTest, StartsWithLogoRefreshButtonAndConnectTextAndSearchesOnlyOnceTheLoopRuns) {
    Start();
    EXPECT_EQ(form->windowTitle(), "Korvelax - Trimdeck - v1.0");
    EXPECT_EQ(platform.EnumerateCount(), 0) << "nothing is searched before the event loop runs";
    ASSERT_TRUE(RunUntil([&] { return platform.EnumerateCount() > 0; }));

    EXPECT_FALSE(Find<QLabel>("pb_logo")->pixmap().isNull());
    EXPECT_TRUE(Find<QPushButton>("bt_refdev")->isVisible());
    EXPECT_TRUE(Find<QLabel>("label10")->isVisible());
    EXPECT_EQ(Find<QLabel>("label10")->text(), "Please connect a Korvelax device to computer.");
    EXPECT_FALSE(Find<QTabWidget>("tc_Family")->isVisible());
    EXPECT_EQ(Find<QTabWidget>("tc_Product")->count(), 0) << "the template page is never a tab";
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "fixed size";
    EXPECT_FALSE(Find<QPushButton>("bt_FWinfo")->isEnabled());
    EXPECT_EQ(Find<QPushButton>("bt_FWinfo")->text(), "HW Version:\n--Build Num--\n--Build Data--");
}

TEST_F(MainFormTest, FirstTickFindsTwoUnitsWarnsOnlyAboutTheWrongBuildAndAsksBothForSettings) {
    AddUnit(0, 17);
    AddUnit(1, 18);
    ASSERT_TRUE(StartAndSettle(2));
    ASSERT_TRUE(RunUntil([&] { return Received(1, pedal::CmdLoadConfig) > 0; }));

    EXPECT_EQ(prompts.Messages, std::vector<std::string>{
                                    "FW Build Number is not correct!!\r\nCurrent FW: 17\r\n"
                                    "Required Build Num: 18"});
    EXPECT_EQ(Received(0, pedal::CmdComStart), 1);
    EXPECT_EQ(Received(1, pedal::CmdComStart), 1);
    auto* tabs = Find<QTabWidget>("tc_Product");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "Quorvane #1");
    EXPECT_EQ(tabs->tabText(1), "Quorvane #2");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(Current(), &Unit(0));
    EXPECT_EQ(Unit(0).DevPath(), Path(0));
    EXPECT_TRUE(Find<QTabWidget>("tc_Family")->isVisible());
    EXPECT_EQ(Find<QPushButton>("bt_FWinfo")->text(), "Version: 17\nBuild date: 2017/3/9\nSN: 002A");
}

TEST_F(MainFormTest, ConfigurationFromTheUnitIsShownAndNeverEchoed) {
    pedal::Channel brake(1);
    brake.DeadZoneMin = 1234;
    brake.DeadZoneMax = 1500;
    brake.BreakOutputLimit = 800;
    brake.CalcType = pedal::CALCTYPE::OnePoint;
    brake.OnePointValue = 625;
    AddUnit(0).SetSettings(1, brake);
    ASSERT_TRUE(StartAndSettle(1));
    ASSERT_TRUE(RunUntil([&] { return Find<QDoubleSpinBox>("nud_Break_startdead")->value() == 12.34; }));
    const int sent = Received(0, pedal::CmdSendConfig);
    RunFor(150);

    EXPECT_EQ(Find<QDoubleSpinBox>("nud_Break_enddead")->value(), 85.0);
    EXPECT_EQ(Find<QDoubleSpinBox>("nud_Break_outputlimit")->value(), 80.0);
    EXPECT_TRUE(Find<QRadioButton>("rb_Break_OnePoint")->isChecked());
    EXPECT_EQ(Find<QDoubleSpinBox>("nud_Break_OPvalue")->value(), 12.5);
    EXPECT_TRUE(Unit(0).BreakChannel.SameSettings(brake));
    EXPECT_EQ(Received(0, pedal::CmdSendConfig), sent) << "nothing sent after the config arrived";
    for (int i = 0; i < sent; ++i)
        EXPECT_FALSE(SentConfig(0, i)->SameSettings(brake)) << "the unit's own config came back";
    EXPECT_TRUE(prompts.Messages.empty()) << "an automatic load confirms nothing";
}

TEST_F(MainFormTest, LoadConfirmationOnceAfterTheThrottleAndSaveAcknowledged) {
    AddUnit(0);
    ASSERT_TRUE(StartAndSettle(1));
    Find<QPushButton>("bt_LoadPedal")->click();
    ASSERT_TRUE(RunUntil([&] { return !prompts.Messages.empty(); }));
    RunFor(100);
    EXPECT_EQ(prompts.Messages, std::vector<std::string>{"Settings successfully loaded from Pedal"});

    Find<QPushButton>("bt_SavePedal")->click();
    ASSERT_TRUE(RunUntil([&] { return prompts.Messages.size() == 2; }));
    EXPECT_EQ(prompts.Messages[1], "Settings successfully saved to Pedal");
}

TEST_F(MainFormTest, MessageBoxInATickHoldsAllPolling) {
    AddUnit(0);
    ASSERT_TRUE(StartAndSettle(1));
    bool timerIdle = false, valuesHeld = false;
    prompts.WhileMessageOpen = [&](const std::string&) {
        const auto before = Unit(0).ClutchChannel.ChannelValue;
        const auto sent = Received(0, pedal::CmdSendConfig);
        RunFor(100);  // the window keeps running; no tick may
        timerIdle = !form->timer_communication->isActive();
        valuesHeld = Unit(0).ClutchChannel.ChannelValue == before &&
                     Received(0, pedal::CmdSendConfig) == sent;
    };
    Find<QPushButton>("bt_SavePedal")->click();
    ASSERT_TRUE(RunUntil([&] { return !prompts.Messages.empty(); }));
    EXPECT_TRUE(timerIdle);
    EXPECT_TRUE(valuesHeld);
    EXPECT_TRUE(RunUntil([&] { return form->timer_communication->isActive(); }));
}

TEST_F(MainFormTest, DispatchMarksOnlyTheCurrentUnitsChangedChannels) {
    AddUnit(0);
    AddUnit(1);
    ASSERT_TRUE(StartAndSettle(2));
    form->timer_communication->stop();  // dispatch by hand from here
    form->NeedRedrawClutch = form->NeedRedrawBreak = form->NeedRedrawThrottle = false;

    const auto brakeOnly = pedal::EncodeValues({{{0, 0, 0}, {1, 2, 3}, {0, 0, 0}}});
    form->ProcessCommand(Unit(1), brakeOnly);
    EXPECT_FALSE(form->NeedRedrawBreak) << "not the current unit";
    EXPECT_EQ(Unit(1).BreakChannel.ChannelValueCalculated, 3) << "stored all the same";

    Unit(0).ClutchChannel.ChannelValue = 0;
    Unit(0).BreakChannel.ChannelValue = 0;
    form->ProcessCommand(Unit(0), pedal::EncodeValues({{{9, 9, 9}, {0, 0, 0}, {0, 0, 0}}}));
    form->ProcessCommand(Unit(0), pedal::EncodeValues({{{9, 9, 9}, {0, 0, 0}, {0, 0, 0}}}));
    EXPECT_TRUE(form->NeedRedrawClutch) << "a later message without change clears nothing";

    pedal::Message unknown{};
    for (std::uint8_t code : {2, 3, 17}) {
        unknown[0] = code;
        form->ProcessCommand(Unit(0), unknown);
    }
    pedal::Message config = pedal::ToMessage(pedal::EncodeConfig(pedal::Channel(0), pedal::CmdLoadConfig));
    config[1] = 5;
    config[6] = 0x10;  // DeadZoneMin 16
    form->ProcessCommand(Unit(0), config);
    EXPECT_EQ(Unit(0).ClutchChannel.DeadZoneMin, 16) << "channel 5 is stored in the clutch";
    EXPECT_EQ(Find<QDoubleSpinBox>("nud_Clutch_startdead")->value(), 0.0) << "and refreshes nothing";
    EXPECT_TRUE(prompts.Messages.empty());
    form->timer_communication->start();
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST_F(MainFormTest, ManyValuesBetweenTwoTicksCostOneRepaintOfTheChangedPedal) {
    AddUnit(0).SetValuesRate(0);
    ASSERT_TRUE(StartAndSettle(1));
    form->timer_communication->stop();
    units.at(0)->Flood(40);  // each one changes the clutch
    RunFor(150);             // they wait in the unit's queue: no tick runs
    PaintCounter clutch(Find<PictureBox>("pb_Clutch_Output"));
    form->NeedRedrawClutch = form->NeedRedrawBreak = form->NeedRedrawThrottle = false;

    form->timer_communication_Tick();

    EXPECT_EQ(clutch.paints, 1);
    EXPECT_FALSE(form->NeedRedrawClutch) << "the repaint's own marks are cleared";
    EXPECT_TRUE(form->timer_communication->isActive());
}

TEST_F(MainFormTest, FailedCurrentUnitIsDroppedAnotherBecomesCurrentAndAReplugGetsANewPage) {
    pedal::Channel second(0);
    second.DeadZoneMin = 700;
    AddUnit(0);
    AddUnit(1).SetSettings(0, second);
    ASSERT_TRUE(StartAndSettle(2));
    auto* tabs = Find<QTabWidget>("tc_Product");

    platform.Unplug(Path(0));
    ASSERT_TRUE(RunUntil([&] { return form->global().HidDevList.size() == 1; }));
    EXPECT_EQ(Current(), &Unit(0));
    EXPECT_EQ(Unit(0).DevPath(), Path(1));
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), "Quorvane #2");
    // The new current unit sits at the old index: its settings are shown all the same.
    EXPECT_TRUE(RunUntil([&] { return Find<QDoubleSpinBox>("nud_Clutch_startdead")->value() == 7.0; }));

    platform.Replug(Path(0));
    ASSERT_TRUE(RunUntil([&] { return form->global().HidDevList.size() == 2; }));
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), "Quorvane #3");
    EXPECT_EQ(tabs->currentIndex(), 0) << "a new unit does not move the selection";

    platform.Unplug(Path(0));
    platform.Unplug(Path(1));
    ASSERT_TRUE(RunUntil([&] { return form->global().HidDevList.empty(); }));
    EXPECT_EQ(Current(), nullptr);
    EXPECT_EQ(tabs->count(), 0);
    EXPECT_FALSE(Find<QTabWidget>("tc_Family")->isVisible());
    EXPECT_TRUE(Find<QLabel>("label10")->isVisible());
}

TEST_F(MainFormTest, AUnitThisUserMayNotOpenIsExplainedUntilItOpens) {
    AddUnit(0);
    platform.SetOpenError(Path(0), EACCES);
    Start();
    auto* text = Find<QLabel>("label10");
    ASSERT_TRUE(RunUntil([&] { return text->text().contains("may not open"); }));
    EXPECT_TRUE(text->isVisible());
    EXPECT_TRUE(text->text().contains(QString::fromStdString(Path(0))));
    EXPECT_TRUE(text->text().contains("70-trimdeck.rules"));
    EXPECT_TRUE(text->text().contains("plug the unit in again"));

    platform.SetOpenError(Path(0), 0);  // the rule is in place and the unit replugged
    platform.Replug(Path(0));
    ASSERT_TRUE(RunUntil([&] { return form->global().HidDevList.size() == 1; }));
    EXPECT_EQ(text->text(), "Please connect a Korvelax device to computer.");
    EXPECT_TRUE(Find<QTabWidget>("tc_Family")->isVisible());

    platform.Unplug(Path(0));
    ASSERT_TRUE(RunUntil([&] { return form->global().HidDevList.empty(); }));
    EXPECT_TRUE(text->isVisible());
    EXPECT_EQ(text->text(), "Please connect a Korvelax device to computer.");
}

TEST_F(MainFormTest, RefreshButtonFindsAUnitWithoutArrivalAndClosingSaysGoodbye) {
    Start();
    ASSERT_TRUE(RunUntil([&] { return platform.EnumerateCount() > 0; }));
    AddUnit(0);
    platform.ReadArrivals();  // as if the arrival was missed
    Find<QPushButton>("bt_refdev")->click();
    EXPECT_EQ(form->global().HidDevList.size(), 1u);
    ASSERT_TRUE(RunUntil([&] { return Unit(0).BuildNum == 18; }));

    form->StopSignal();
    form.reset();
    const auto reports = units.at(0)->ReceivedReports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back()[1], pedal::CmdComStop);
}

}  // namespace
