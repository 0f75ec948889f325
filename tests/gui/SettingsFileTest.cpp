// The window with the settings file: save, edit by hand, load wholly or in part; every
// failure says why and leaves the unit's settings as they were. And the load filter dialog.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QTest>
#include <QTimer>
#include <array>
#include <functional>

#include "FilterForm.h"
#include "FormFixture.h"
#include "QtPrompts.h"
#include "device/ComFW.h"
#include "settings/FileFixtures.h"
#include "settings/SettingsTexts.h"

using namespace settings_test;
using pedal::CALCTYPE;

namespace {

const std::string XmlFilter = "Config XML (*.xml)|*.xml|All files (*.*)|*.*";
// A request the unit ignores: once it has arrived, so has everything queued before it.
constexpr std::uint8_t Marker = 0x7E;

class SettingsFileTest : public FormFixture {
  protected:
    void SetUp() override {
        AddUnit(0);
        ASSERT_TRUE(StartAndSettle(1));
        RunFor(80);  // the stored settings have arrived and are shown
    }

    // Distinctive settings in the unit's channels, in memory only: the controls still show
    // the defaults, so a refresh is visible.
    void GiveUnitSettings() {
        auto& c = Unit(0).ClutchChannel;
        c.DeadZoneMin = 150;
        c.DeadZoneMax = 250;
        c.CalcType = CALCTYPE::Exponential;
        c.Exponent = 34267;
        auto& b = Unit(0).BreakChannel;
        b.DeadZoneMin = 300;
        b.DeadZoneMax = 1000;
        b.BreakOutputLimit = 800;
        b.CalcType = CALCTYPE::OnePoint;
        b.OnePointOffset = 600;
        b.OnePointValue = 375;
        auto& t = Unit(0).ThrottleChannel;
        t.DeadZoneMin = 50;
        t.DeadZoneMax = 75;
        t.CalcType = CALCTYPE::MultiPoint;
        t.MultiPointArray = {50, 150, 250, 350, 450, 550, 650, 750, 850};
        t.selected = 4;
    }
    std::array<pedal::Channel, 3> Snapshot() {
        return {Unit(0).ClutchChannel, Unit(0).BreakChannel, Unit(0).ThrottleChannel};
    }
    // Every setting equal; `selected` too when `andSelected` (a refresh shows point 1).
    static bool Same(const std::array<pedal::Channel, 3>& a, const std::array<pedal::Channel, 3>& b,
                     bool andSelected = true) {
        for (int i = 0; i < 3; ++i)
            if (!a[i].SameSettings(b[i]) || (andSelected && a[i].selected != b[i].selected))
                return false;
        return true;
    }
    // Configurations the unit has received once everything queued so far has arrived.
    int SentConfigs() {
        const int marks = Received(0, Marker);
        device::SendCommand(Unit(0), Marker);
        EXPECT_TRUE(RunUntil([&] { return Received(0, Marker) > marks; }));
        return Received(0, pedal::CmdSendConfig);
    }
    void ClickLoad(const std::string& path, std::optional<prompts::LoadFilter> filter) {
        prompts.FileAnswers = {path};
        prompts.FilterAnswers = {filter};
        Find<QPushButton>("bt_LoadFile")->click();
    }
    void ClickSave(const std::string& path) {
        prompts.FileAnswers = {path};
        Find<QPushButton>("bt_SaveFile")->click();
    }
    double Box(const char* name) { return Find<QDoubleSpinBox>(name)->value(); }
    bool Shown(const std::string& what) {
        return std::find(prompts.Shown.begin(), prompts.Shown.end(), what) != prompts.Shown.end();
    }

    TempDir dir;
};

TEST_F(SettingsFileTest, SavedSettingsComeBackWhollyAndAreSentAndShown) {
    GiveUnitSettings();
    Unit(0).ClutchChannel.CalibMin = 1234;  // calibration is not part of the file
    auto expected = Snapshot();
    ClickSave(dir / "pedal.xml");
    EXPECT_TRUE(Shown("save: " + XmlFilter));
    EXPECT_TRUE(prompts.Messages.empty());

    Find<QPushButton>("bt_ResetDefault")->click();
    const int before = SentConfigs();
    ClickLoad(dir / "pedal.xml", prompts::LoadFilter{});
    EXPECT_TRUE(Shown("open: " + XmlFilter + " [*.xml]"));
    EXPECT_TRUE(Shown("load filter"));
    EXPECT_TRUE(prompts.Messages.empty());

    expected[0].CalibMin = 0;
    EXPECT_TRUE(Same(Snapshot(), expected, false));
    ASSERT_GE(SentConfigs(), before + 3);
    for (int i = 0; i < 3; ++i) {
        const auto sent = SentConfig(0, before + i);
        EXPECT_EQ(sent->ChannelIndex(), i) << "clutch, brake, throttle";
        EXPECT_TRUE(sent->SameSettings(expected[i])) << i;
    }
    EXPECT_TRUE(Find<QRadioButton>("rb_Clutch_Exponential")->isChecked());
    EXPECT_EQ(Box("nup_Clutch_ExpValue"), 1.5);
    EXPECT_EQ(Box("nud_Break_startdead"), 3.0);
    EXPECT_EQ(Box("nud_Break_enddead"), 90.0);
    EXPECT_EQ(Box("nud_Break_outputlimit"), 80.0);
    EXPECT_EQ(Box("nud_Break_OPvalue"), -12.5);
    EXPECT_TRUE(Find<QRadioButton>("rb_Throttle_MultiPoint")->isChecked());
    EXPECT_EQ(Box("nud_Throttle_MPvalue"), 5.0);
}

TEST_F(SettingsFileTest, AFileEditedByHandLoadsOnlyTheBrakesStartDeadZone) {
    ClickSave(dir / "pedal.xml");
    std::string text = ReadFile(dir / "pedal.xml");
    for (std::size_t at = 0; (at = text.find("<DeadZoneMin>0<", at)) != std::string::npos;)
        text.replace(at, 15, "<DeadZoneMin>1234<");  // every channel's start dead zone
    WriteFile(dir / "pedal.xml", text);
    GiveUnitSettings();
    auto expected = Snapshot();
    expected[1].DeadZoneMin = 1234;

    prompts::LoadFilter onlyBrakeStart = prompts::LoadFilter::None();
    onlyBrakeStart.BreakStartDead = true;
    const int before = SentConfigs();
    ClickLoad(dir / "pedal.xml", onlyBrakeStart);
    EXPECT_TRUE(Same(Snapshot(), expected, false));
    ASSERT_GE(SentConfigs(), before + 3);
    EXPECT_EQ(SentConfig(0, before + 1)->DeadZoneMin, 1234);
    EXPECT_EQ(Box("nud_Break_startdead"), 12.34);
    EXPECT_EQ(Box("nud_Clutch_startdead"), 1.5) << "refreshed from the unit's own value";
}

TEST_F(SettingsFileTest, AllBoxesClearedLoadsNothingButSendsAndShowsAllThree) {
    ClickSave(dir / "defaults.xml");
    GiveUnitSettings();
    const auto kept = Snapshot();
    const int before = SentConfigs();
    ClickLoad(dir / "defaults.xml", prompts::LoadFilter::None());
    EXPECT_TRUE(Same(Snapshot(), kept, false));
    ASSERT_GE(SentConfigs(), before + 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(SentConfig(0, before + i)->SameSettings(kept[i])) << i;
    EXPECT_EQ(Box("nud_Clutch_startdead"), 1.5);
    EXPECT_TRUE(Find<QRadioButton>("rb_Break_OnePoint")->isChecked());
    EXPECT_TRUE(prompts.Messages.empty());
}

struct Cancel {
    const char* name;
    std::optional<std::string> file;
    bool filterShown;
};
class Cancelling : public SettingsFileTest, public ::testing::WithParamInterface<Cancel> {};

TEST_P(Cancelling, ChangesAndSendsNothing) {
    WriteFile(dir / "pedal.xml", Document(Bodies{}));
    GiveUnitSettings();
    const auto kept = Snapshot();
    const int before = SentConfigs();
    prompts.FileAnswers = {GetParam().file ? dir / *GetParam().file : std::optional<std::string>{}};
    prompts.FilterAnswers = {std::nullopt};
    Find<QPushButton>("bt_LoadFile")->click();
    EXPECT_EQ(Shown("load filter"), GetParam().filterShown);
    EXPECT_TRUE(Same(Snapshot(), kept));
    EXPECT_EQ(SentConfigs(), before);
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_EQ(Box("nud_Clutch_startdead"), 0.0) << "no refresh";
}

INSTANTIATE_TEST_SUITE_P(Load, Cancelling,
                         ::testing::Values(Cancel{"FileDialog", std::nullopt, false},
                                           Cancel{"Filter", "pedal.xml", true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Failure {
    const char* name;
    std::function<std::string(const TempDir&)> file;
    std::vector<std::string> messages;  // each message starts with its entry
};
void PrintTo(const Failure& f, std::ostream* os) {
    *os << f.name;
}

// A file whose clutch and brake would load (with other values than the unit's) before
// `throttle` fails: a load into the unit itself would leave them half-loaded.
std::function<std::string(const TempDir&)> FailingAtTheThrottle(std::string throttle) {
    return [throttle](const TempDir& d) {
        Bodies b;
        b.Clutch = WithCurve(
            "<CalcType>2</CalcType><OnePointOffset>1</OnePointOffset><OnePointValue>2</"
            "OnePointValue>");
        b.Break = "<DeadZoneMin>9</DeadZoneMin>" + WithCurve("<CalcType>3</CalcType>" + Values(1));
        b.Throttle = throttle;
        WriteFile(d / "bad.xml", Document(b));
        return d / "bad.xml";
    };
}
std::function<std::string(const TempDir&)> Text(std::string text) {
    return [text](const TempDir& d) {
        WriteFile(d / "bad.xml", text);
        return d / "bad.xml";
    };
}

class FailingLoad : public SettingsFileTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(FailingLoad, SaysWhyAndLeavesTheUnitsSettingsUnsentAndUnchanged) {
    GiveUnitSettings();
    const auto kept = Snapshot();
    const std::string path = GetParam().file(dir);
    const int before = SentConfigs();
    ClickLoad(path, prompts::LoadFilter{});
    ASSERT_EQ(prompts.Messages.size(), GetParam().messages.size());
    for (std::size_t i = 0; i < prompts.Messages.size(); ++i)
        EXPECT_EQ(prompts.Messages[i].rfind(GetParam().messages[i], 0), 0u) << prompts.Messages[i];
    EXPECT_TRUE(Same(Snapshot(), kept)) << "field for field";
    EXPECT_EQ(SentConfigs(), before);
    EXPECT_EQ(Box("nud_Clutch_startdead"), 0.0) << "no refresh";
}

INSTANTIATE_TEST_SUITE_P(
    Load, FailingLoad,
    ::testing::Values(
        Failure{"NotASettingsFile",
                Text("<Config version=\"1.0\" model=\"quorvane\"/>"),
                {settings::NotSettingsFileText}},
        Failure{"UnsupportedVersion",
                Text("<KorvelaxConfig version=\"1.1\" model=\"quorvane\"/>"),
                {settings::UnsupportedVersionText}},
        Failure{"OtherModel",
                Text("<KorvelaxConfig version=\"1.0\" model=\"other\"/>"),
                {settings::OtherModelText}},
        Failure{"ConversionError",
                FailingAtTheThrottle("<DeadZoneMin>0</DeadZoneMin><DeadZoneMax>abc</DeadZoneMax>"),
                {"Numeric convert error \"abc\" in DeadZoneMax", "Number format error: "}},
        Failure{"MissingElementWithItsBoxTicked",
                FailingAtTheThrottle("<DeadZoneMin>0</DeadZoneMin><DeadZoneMax>0</DeadZoneMax>"),
                {"Missing element: no element <CalcType> in <Throttle>"}},
        Failure{"EightValues",
                FailingAtTheThrottle(WithCurve("<CalcType>3</CalcType>" + Values(1, 8))),
                {"Invalid settings: Values count error: 8(but need 9)"}},
        Failure{"UnreadableFile", [](const TempDir& d) { return d.path(); }, {"File error: "}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, AUnitUnpluggedWhileTheFilterIsOpenIsNotTouched) {
    ClickSave(dir / "pedal.xml");
    prompts.WhileFilterOpen = [&] {
        platform.Unplug(Path(0));
        ASSERT_TRUE(RunUntil([&] { return form->global().HidDevList.empty(); }));
    };
    ClickLoad(dir / "pedal.xml", prompts::LoadFilter{});
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_NE(prompts.Messages[0].find("disconnected"), std::string::npos) << prompts.Messages[0];
    EXPECT_EQ(Current(), nullptr);
}

struct SaveFailure {
    const char* name;
    std::string target;  // in the scratch folder, or absolute
    rlim_t sizeLimit;    // 0: none
};
class FailingSave : public SettingsFileTest, public ::testing::WithParamInterface<SaveFailure> {};

TEST_P(FailingSave, SaysWhyAndLeavesThePreviousFileUnchanged) {
    const std::string target =
        GetParam().target[0] == '/' ? GetParam().target : dir / GetParam().target;
    if (GetParam().target[0] != '/')
        WriteFile(target, "previous settings, more than 32 bytes long");
    const std::string previous = ReadFile(target);
    GiveUnitSettings();
    {
        std::optional<FileSizeLimit> full;
        if (GetParam().sizeLimit) full.emplace(GetParam().sizeLimit);
        ClickSave(target);
    }
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0].rfind("XML error: ", 0), 0u) << prompts.Messages[0];
    EXPECT_EQ(ReadFile(target), previous);
}

// Tests run as root, whom permissions do not stop: /proc refuses new files to everyone.
INSTANTIATE_TEST_SUITE_P(Save, FailingSave,
                         ::testing::Values(SaveFailure{"FullDisk", "pedal.xml", 32},
                                           SaveFailure{"ReadOnlyLocation", "/proc/version", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- the load filter dialog ------------------------------------------------------------------

struct BoxOfTheForm {
    const char* name;
    const char* text;
    const char* group;
};
constexpr BoxOfTheForm Boxes[] = {
    {"cb_ClutchStartDead", "Startpoint deadzone", "gb_Clutch"},
    {"cb_ClutchEndDead", "Endpoint deadzone", "gb_Clutch"},
    {"cb_ClutchAdj", "Adjusment", "gb_Clutch"},
    {"cb_BreakStartDead", "Startpoint deadzone", "gb_Break"},
    {"cb_BreakEndDead", "Maximum Break Force", "gb_Break"},
    {"cb_BreakAdj", "Adjusment", "gb_Break"},
    {"cb_BreakBreakLimit", "Break Output Limit", "gb_Break"},
    {"cb_ThrottleStartDead", "Startpoint deadzone", "gb_Throttle"},
    {"cb_ThrottleEndDead", "Endpoint deadzone", "gb_Throttle"},
    {"cb_ThrottleAdj", "Adjusment", "gb_Throttle"},
};

TEST(FilterFormTest, HasItsBoxesAllTickedInTheirGroupsAndAFixedFrame) {
    FilterForm f;
    EXPECT_EQ(f.windowTitle(), "Load config filter");
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    EXPECT_FALSE(f.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(f.findChild<QPushButton*>("bt_ok")->text(), "Load");
    EXPECT_EQ(f.findChild<QPushButton*>("bt_cancel")->text(), "Cancel");
    for (const auto& [group, title] :
         {std::pair{"gb_Clutch", "Clutch"}, {"gb_Break", "Break"}, {"gb_Throttle", "Throttle"}})
        EXPECT_EQ(f.findChild<QGroupBox*>(group)->title(), title);
    for (const BoxOfTheForm& b : Boxes) {
        auto* box = f.findChild<QCheckBox*>(b.name);
        ASSERT_NE(box, nullptr) << b.name;
        EXPECT_EQ(box->text(), b.text);
        EXPECT_EQ(box->parent()->objectName(), b.group) << b.name;
        EXPECT_TRUE(box->isChecked()) << b.name;
    }
    // "Load" at the lower left, "Cancel" at the lower right, the groups side by side.
    EXPECT_LT(f.bt_ok->x(), f.gb_Clutch->geometry().right());
    EXPECT_GT(f.bt_cancel->x(), f.gb_Throttle->x());
    EXPECT_LT(f.gb_Clutch->geometry().right(), f.gb_Break->x());
    EXPECT_LT(f.gb_Break->geometry().right(), f.gb_Throttle->x());
    EXPECT_GT(f.bt_ok->y(), f.gb_Break->geometry().bottom());
}

TEST(FilterFormTest, TabGoesThroughTheButtonsThenEachGroupsBoxesInTheirOrder) {
    FilterForm f;
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    f.bt_ok->setFocus();
    std::vector<std::string> order{"bt_ok"};
    for (std::size_t i = 0; i < std::size(Boxes) + 2; ++i) {  // round to "Load" again
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(QApplication::focusWidget()->objectName().toStdString());
    }
    std::vector<std::string> expected{"bt_ok", "bt_cancel"};
    for (const BoxOfTheForm& b : Boxes)
        expected.push_back(b.name);
    expected.push_back("bt_ok");
    EXPECT_EQ(order, expected);
}

TEST(FilterFormTest, EnterAndEscapeDoNothingAndTheFrameCancels) {
    FilterForm f;
    f.show();
    for (QWidget* target : {static_cast<QWidget*>(&f), static_cast<QWidget*>(f.bt_ok),
                            static_cast<QWidget*>(f.cb_BreakAdj)})
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(target, key);
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.cb_BreakAdj->isChecked());
    f.close();
    EXPECT_EQ(f.result(), QDialog::Rejected);
}

// Answers the next modal FilterForm as `answer` does, once its event loop runs.
void WhenShown(std::function<void(FilterForm&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* f = dynamic_cast<FilterForm*>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        answer(*f);
    });
}

TEST(FilterFormTest, EveryLoadShowsANewDialogWithEveryBoxTicked) {
    QWidget owner;
    QtPrompts dialogs(&owner);
    WhenShown([](FilterForm& f) {
        f.cb_ClutchEndDead->setChecked(false);
        f.cb_BreakBreakLimit->setChecked(false);
        f.bt_ok->click();
    });
    prompts::LoadFilter expected;
    expected.ClutchEndDead = expected.BreakBreakLimit = false;
    const auto first = dialogs.ChooseLoadFilter();
    ASSERT_TRUE(first);
    EXPECT_TRUE(*first == expected);

    bool allTicked = false;
    WhenShown([&](FilterForm& f) {
        allTicked = f.Filter().ClutchEndDead && f.Filter().BreakBreakLimit;
        EXPECT_EQ(f.parentWidget(), &owner);
        f.close();  // by the frame
    });
    EXPECT_FALSE(dialogs.ChooseLoadFilter());
    EXPECT_TRUE(allTicked);

    WhenShown([](FilterForm& f) { f.bt_cancel->click(); });
    EXPECT_FALSE(dialogs.ChooseLoadFilter());
}

}  // namespace
