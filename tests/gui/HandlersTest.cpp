// The pedal controls: what each writes into its channel and sends, and what a refresh shows.
#include <QTest>
#include <QWidget>
#include <cmath>

#include "BoxUnits.h"
#include "FormFixture.h"

namespace {

class HandlersTest : public FormFixture {
protected:
    void SetUp() override {
        AddUnit(0);
        ASSERT_TRUE(StartAndSettle(1));
        // Let the first page refresh and the unit's configs settle.
        ASSERT_TRUE(RunUntil([&] { return Received(0, pedal::CmdLoadConfig) >= 1; }));
        Settle();
    }
    // Lets every queued send reach the unit.
    void Settle() { RunFor(80); }
    // Sets a box as a user would and returns what the unit received last.
    std::optional<pedal::Channel> Edit(const char* box, double value) {
        const int before = Received(0, pedal::CmdSendConfig);
        Find<QDoubleSpinBox>(box)->setValue(value);
        if (!RunUntil([&] { return Received(0, pedal::CmdSendConfig) > before; }, 2000))
            return std::nullopt;
        return SentConfig(0, Received(0, pedal::CmdSendConfig) - 1);
    }
};

struct EditCase {
    const char* radio;  // the curve whose parameters the box edits, checked first
    const char* box;
    double value;
    int channel;
    std::int32_t pedal::Channel::*field;
    std::int32_t stored;
};
void PrintTo(const EditCase& c, std::ostream* os) { *os << c.box << " = " << c.value; }

class EditTable : public HandlersTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditTable, BoxValueIsStoredInItsFieldAndSentAtOnce) {
    const auto& p = GetParam();
    if (p.radio) {
        Find<QRadioButton>(p.radio)->setChecked(true);
        Settle();
    }
    const auto sent = Edit(p.box, p.value);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->ChannelIndex(), p.channel);
    EXPECT_EQ((*sent).*p.field, p.stored);
    const auto& dev = Unit(0);
    const pedal::Channel& c = p.channel == 0 ? dev.ClutchChannel : p.channel == 1 ? dev.BreakChannel : dev.ThrottleChannel;
    EXPECT_EQ(c.*p.field, p.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, EditTable,
    ::testing::Values(
        EditCase{nullptr, "nud_Break_enddead", 90.0, 1, &pedal::Channel::DeadZoneMax, 1000},
        EditCase{nullptr, "nud_Clutch_enddead", 10.0, 0, &pedal::Channel::DeadZoneMax, 1000},
        EditCase{nullptr, "nud_Throttle_startdead", 0.53, 2, &pedal::Channel::DeadZoneMin, 53},
        EditCase{"rb_Clutch_Exponential", "nup_Clutch_ExpValue", -1.5, 0, &pedal::Channel::Exponent,
                 31267},
        EditCase{"rb_Break_OnePoint", "nud_Break_OPvalue", -12.5, 1, &pedal::Channel::OnePointValue,
                 375},
        EditCase{"rb_Throttle_OnePoint", "nud_Throttle_OPoffset", 49.0, 2,
                 &pedal::Channel::OnePointOffset, 990},
        EditCase{nullptr, "nud_Break_outputlimit", 80.0, 1, &pedal::Channel::BreakOutputLimit, 800}));

TEST_F(HandlersTest, MultipointValueGoesToThePointTheIndexShows) {
    Find<QRadioButton>("rb_Clutch_MultiPoint")->setChecked(true);
    Find<QDoubleSpinBox>("nud_Clutch_MPindex")->setValue(4);
    Settle();
    const auto sent = Edit("nud_Clutch_MPvalue", 55.5);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->MultiPointArray[3], 555);
    EXPECT_EQ(Unit(0).ClutchChannel.MultiPointArray[3], 555);
    EXPECT_EQ(Unit(0).ClutchChannel.MultiPointArray[0], 100);
    EXPECT_EQ(Unit(0).ClutchChannel.selected, 3);
}

TEST_F(HandlersTest, IndexShowsItsPointAndSelectsIt) {
    Unit(0).ThrottleChannel.MultiPointArray[2] = 455;
    Find<QDoubleSpinBox>("nud_Throttle_MPindex")->setValue(3);
    EXPECT_EQ(Find<QDoubleSpinBox>("nud_Throttle_MPvalue")->value(), 45.5);
    EXPECT_EQ(Unit(0).ThrottleChannel.selected, 2);
    EXPECT_EQ(Unit(0).ThrottleChannel.MultiPointArray[2], 455);
}

TEST_F(HandlersTest, CheckingAnotherCurveSendsTheOldTypeThenTheNew) {
    const int before = Received(0, pedal::CmdSendConfig);
    Find<QRadioButton>("rb_Clutch_Exponential")->setChecked(true);
    ASSERT_TRUE(RunUntil([&] { return Received(0, pedal::CmdSendConfig) == before + 2; }));
    EXPECT_EQ(SentConfig(0, before)->CalcType, pedal::CALCTYPE::Linear);
    EXPECT_EQ(SentConfig(0, before + 1)->CalcType, pedal::CALCTYPE::Exponential);
    EXPECT_EQ(Unit(0).ClutchChannel.CalcType, pedal::CALCTYPE::Exponential);
}

TEST_F(HandlersTest, SettingABoxToItsOwnValueSendsNothing) {
    const int before = Received(0, pedal::CmdSendConfig);
    auto* box = Find<QDoubleSpinBox>("nud_Clutch_startdead");
    box->setValue(box->value());
    RunFor(50);
    EXPECT_EQ(Received(0, pedal::CmdSendConfig), before);
}

TEST_F(HandlersTest, CalibrationButtonsTakeTheLiveRawPosition) {
    units.at(0)->SetRaw(0, 1234);
    ASSERT_TRUE(RunUntil([&] { return Unit(0).ClutchChannel.ChannelValue == 1234; }));
    Find<QPushButton>("bt_Clutch_RestHit")->click();
    EXPECT_EQ(Unit(0).ClutchChannel.CalibMin, 1234);
    units.at(0)->SetRaw(0, 60000);
    ASSERT_TRUE(RunUntil([&] { return Unit(0).ClutchChannel.ChannelValue == 60000; }));
    Find<QPushButton>("bt_Clutch_PressHit")->click();
    EXPECT_EQ(Unit(0).ClutchChannel.CalibMax, 60000);
    ASSERT_TRUE(RunUntil([&] {
        auto c = SentConfig(0, Received(0, pedal::CmdSendConfig) - 1);
        return c && c->CalibMin == 1234 && c->CalibMax == 60000;
    }));
    EXPECT_EQ(form->findChild<QPushButton*>("bt_Break_PressHit"), nullptr);
}

TEST_F(HandlersTest, ResetSendsAllThreeDefaultsAndShowsThem) {
    Edit("nud_Clutch_startdead", 5.0);
    Edit("nud_Break_enddead", 70.0);
    Find<QRadioButton>("rb_Throttle_MultiPoint")->setChecked(true);
    Find<QDoubleSpinBox>("nud_Throttle_MPindex")->setValue(5);
    Settle();
    const int before = Received(0, pedal::CmdSendConfig);

    Find<QPushButton>("bt_ResetDefault")->click();
    ASSERT_TRUE(RunUntil([&] { return Received(0, pedal::CmdSendConfig) >= before + 3; }));
    for (int i = 0; i < 3; ++i) {
        const auto c = SentConfig(0, before + i);
        EXPECT_EQ(c->ChannelIndex(), i) << "clutch, brake, throttle";
        EXPECT_TRUE(c->SameSettings(pedal::Channel(i)));
    }
    for (const char* name : {"Clutch", "Break", "Throttle"}) {
        auto box = [&](const char* pattern) {
            return Find<QDoubleSpinBox>(QString(pattern).arg(name).toUtf8().constData())->value();
        };
        EXPECT_EQ(box("nud_%1_startdead"), 0.0);
        EXPECT_EQ(box("nud_%1_enddead"), QString(name) == "Break" ? 100.0 : 0.0);
        EXPECT_EQ(box("nup_%1_ExpValue"), 0.0);
        EXPECT_EQ(box("nud_%1_OPvalue"), 0.0);
        EXPECT_EQ(box("nud_%1_OPoffset"), 0.0);
        EXPECT_EQ(box("nud_%1_MPindex"), 1.0);
        EXPECT_EQ(box("nud_%1_MPvalue"), 10.0);
        EXPECT_TRUE(Find<QRadioButton>(QString("rb_%1_Linear").arg(name).toUtf8().constData())->isChecked());
    }
    EXPECT_EQ(Find<QDoubleSpinBox>("nud_Break_outputlimit")->value(), 100.0);
    EXPECT_EQ(Unit(0).ThrottleChannel.selected, 0);
}

TEST_F(HandlersTest, UnitValuesOutsideTheBoxesAreShownClampedAndKeptUntilEdited) {
    pedal::Channel clutch(0), brake(1), throttle(2);
    clutch.DeadZoneMin = 12000;  // above 100 %
    clutch.CalcType = pedal::CALCTYPE::Exponential;
    clutch.Exponent = 65535;  // beyond +32.0
    brake.CalcType = static_cast<pedal::CALCTYPE>(7);
    throttle.CalcType = pedal::CALCTYPE::OnePoint;
    throttle.OnePointValue = 1;  // below -49.0
    units.at(0)->SetSettings(0, clutch);
    units.at(0)->SetSettings(1, brake);
    units.at(0)->SetSettings(2, throttle);
    Find<QRadioButton>("rb_Break_OnePoint")->setChecked(true);
    Settle();
    const int before = Received(0, pedal::CmdSendConfig);
    Find<QPushButton>("bt_LoadPedal")->click();
    ASSERT_TRUE(RunUntil([&] { return !prompts.Messages.empty(); }));

    EXPECT_EQ(Find<QDoubleSpinBox>("nud_Clutch_startdead")->value(), 100.0);
    EXPECT_EQ(Find<QDoubleSpinBox>("nup_Clutch_ExpValue")->value(), 32.0);
    EXPECT_EQ(Find<QDoubleSpinBox>("nud_Throttle_OPvalue")->value(), -49.0);
    EXPECT_TRUE(Find<QRadioButton>("rb_Break_OnePoint")->isChecked()) << "type 7 leaves the buttons";
    EXPECT_TRUE(Unit(0).ClutchChannel.SameSettings(clutch)) << "the unit's values are kept";
    EXPECT_EQ(Unit(0).ThrottleChannel.OnePointValue, 1);
    EXPECT_EQ(static_cast<int>(Unit(0).BreakChannel.CalcType), 7);
    Settle();
    EXPECT_EQ(Received(0, pedal::CmdSendConfig), before) << "nothing the user did not ask for";

    const auto sent = Edit("nud_Clutch_startdead", 99.0);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->DeadZoneMin, 9900);
    EXPECT_EQ(sent->Exponent, 65535) << "an edit of one box leaves the others' values";
}

TEST_F(HandlersTest, TypedDeadZoneIsRoundedToWhatTheSettingCanHold) {
    auto* box = Find<QDoubleSpinBox>("nud_Clutch_startdead");
    box->selectAll();
    QTest::keyClicks(box, "0.536");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(box->value(), 0.54);
    Settle();
    EXPECT_EQ(Unit(0).ClutchChannel.DeadZoneMin, 54);
}

TEST(RadioGroup, TheButtonLosingItsCheckIsNotifiedBeforeTheOneGainingIt) {
    QWidget group;
    QRadioButton a("a", &group), b("b", &group);
    a.setChecked(true);
    std::vector<std::string> order;
    QObject::connect(&a, &QRadioButton::toggled, [&](bool on) { order.push_back(on ? "a+" : "a-"); });
    QObject::connect(&b, &QRadioButton::toggled, [&](bool on) { order.push_back(on ? "b+" : "b-"); });
    b.setChecked(true);
    EXPECT_EQ(order, (std::vector<std::string>{"a-", "b+"}));
}

// Every value each box can show converts to a setting and back to exactly that value.
struct BoxRange {
    const char* name;
    double resolution;  // the box holds multiples of this
    double min, max;
    std::int32_t (*from)(double);
    double (*to)(std::int32_t);
};
void PrintTo(const BoxRange& r, std::ostream* os) { *os << r.name; }

class BoxRoundTrip : public ::testing::TestWithParam<BoxRange> {};

TEST_P(BoxRoundTrip, EveryShownValueRoundTrips) {
    const auto& r = GetParam();
    const double step = r.resolution;
    const long n = std::lround((r.max - r.min) / step);
    for (long i = 0; i <= n; ++i) {
        const double shown = std::round((r.min + i * step) / step) * step;
        const double back = r.to(r.from(shown));
        ASSERT_EQ(std::round(back / step), std::round(shown / step)) << r.name << " " << shown;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, BoxRoundTrip,
    ::testing::Values(BoxRange{"startdead", 0.01, 0, 100, ui::DeadZoneFromBox, ui::DeadZoneToBox},
                      BoxRange{"breakforce", 0.01, 0, 100, ui::BreakForceFromBox, ui::BreakForceToBox},
                      BoxRange{"exponent", 0.1, -32, 32, ui::ExponentFromBox, ui::ExponentToBox},
                      BoxRange{"onepoint", 0.1, -49, 49, ui::OnePointFromBox, ui::OnePointToBox},
                      BoxRange{"tenths", 0.1, 0, 100, ui::TenthsFromBox, ui::TenthsToBox}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
