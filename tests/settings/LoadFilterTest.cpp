// What each box of the load filter takes from the file, and nothing else.
#include <gtest/gtest.h>

#include <functional>

#include "settings/ReaderFixture.h"

using namespace settings_test;
using pedal::CALCTYPE;

namespace {

// Every setting of the file differs from the channels' own (Sentinels) and from the defaults.
std::string FileWithEverything() {
    Bodies b;
    b.Clutch =
        "<DeadZoneMin>111</DeadZoneMin><DeadZoneMax>222</DeadZoneMax>"
        "<BreakOutputLimit>999</BreakOutputLimit><CalcType>1</CalcType><ExpValue>333</ExpValue>";
    b.Break =
        "<DeadZoneMin>444</DeadZoneMin><MaxBreakForce>555</MaxBreakForce><DeadZoneMax>5</"
        "DeadZoneMax>"
        "<BreakOutputLimit>666</BreakOutputLimit><CalcType>2</CalcType>"
        "<OnePointOffset>77</OnePointOffset><OnePointValue>-88</OnePointValue>";
    b.Throttle =
        "<DeadZoneMin>777</DeadZoneMin><DeadZoneMax>888</DeadZoneMax>"
        "<BreakOutputLimit>999</BreakOutputLimit><CalcType>3</CalcType>" +
        Values(5);
    return Document(b);
}

Channels Sentinels() {
    Channels c;
    for (pedal::Channel* x : {&c.Clutch, &c.Break, &c.Throttle}) {
        x->DeadZoneMin = 1;
        x->DeadZoneMax = 2;
        x->BreakOutputLimit = 3;
        x->CalcType = CALCTYPE::Linear;
        x->Exponent = 30000;
        x->OnePointOffset = 400;
        x->OnePointValue = 600;
        x->MultiPointArray = {11, 22, 33, 44, 55, 66, 77, 88, 99};
        x->CalibMin = 4;
        x->CalibMax = 5;
    }
    return c;
}

struct BoxCase {
    const char* name;
    std::vector<bool prompts::LoadFilter::*> ticked;
    std::function<void(Channels&)> fromFile;  // what the load changes in Sentinels()
};
void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << c.name;
}

class Boxes : public ReaderFixture, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(Boxes, TakeTheirOwnSettingsFromTheFileAndLeaveTheRest) {
    prompts::LoadFilter filter = prompts::LoadFilter::None();
    for (auto box : GetParam().ticked)
        filter.*box = true;
    ch = Sentinels();
    Channels expected = Sentinels();
    GetParam().fromFile(expected);

    ASSERT_EQ(Load(FileWithEverything(), filter), settings::LoadDone);
    EXPECT_TRUE(prompts.Messages.empty());
    EXPECT_TRUE(ch.Clutch.SameSettings(expected.Clutch));
    EXPECT_TRUE(ch.Break.SameSettings(expected.Break));
    EXPECT_TRUE(ch.Throttle.SameSettings(expected.Throttle));
}

void ClutchCurve(Channels& c) {
    c.Clutch.CalcType = CALCTYPE::Exponential;
    c.Clutch.Exponent = 32767 + 333;
}
void BreakCurve(Channels& c) {
    c.Break.CalcType = CALCTYPE::OnePoint;
    c.Break.OnePointOffset = 577;
    c.Break.OnePointValue = 412;
}
void ThrottleCurve(Channels& c) {
    c.Throttle.CalcType = CALCTYPE::MultiPoint;
    c.Throttle.MultiPointArray = {5, 15, 25, 35, 45, 55, 65, 75, 85};
}

using F = prompts::LoadFilter;
INSTANTIATE_TEST_SUITE_P(
    Filter, Boxes,
    ::testing::Values(
        BoxCase{"NoBox", {}, [](Channels&) {}},
        BoxCase{"ClutchStartDead",
                {&F::ClutchStartDead},
                [](Channels& c) { c.Clutch.DeadZoneMin = 111; }},
        BoxCase{
            "ClutchEndDead", {&F::ClutchEndDead}, [](Channels& c) { c.Clutch.DeadZoneMax = 222; }},
        BoxCase{"ClutchAdj", {&F::ClutchAdj}, ClutchCurve},
        BoxCase{
            "BreakStartDead", {&F::BreakStartDead}, [](Channels& c) { c.Break.DeadZoneMin = 444; }},
        BoxCase{"BreakEndDeadIsMaxBreakForce",
                {&F::BreakEndDead},
                [](Channels& c) { c.Break.DeadZoneMax = 555; }},
        BoxCase{"BreakBreakLimit",
                {&F::BreakBreakLimit},
                [](Channels& c) { c.Break.BreakOutputLimit = 666; }},
        BoxCase{"BreakAdj", {&F::BreakAdj}, BreakCurve},
        BoxCase{"ThrottleStartDead",
                {&F::ThrottleStartDead},
                [](Channels& c) { c.Throttle.DeadZoneMin = 777; }},
        BoxCase{"ThrottleEndDead",
                {&F::ThrottleEndDead},
                [](Channels& c) { c.Throttle.DeadZoneMax = 888; }},
        BoxCase{"ThrottleAdj", {&F::ThrottleAdj}, ThrottleCurve},
        // Every box: the clutch and the throttle still read no output limit.
        BoxCase{"All",
                {&F::ClutchStartDead, &F::ClutchEndDead, &F::ClutchAdj, &F::BreakStartDead,
                 &F::BreakEndDead, &F::BreakBreakLimit, &F::BreakAdj, &F::ThrottleStartDead,
                 &F::ThrottleEndDead, &F::ThrottleAdj},
                [](Channels& c) {
                    c.Clutch.DeadZoneMin = 111;
                    c.Clutch.DeadZoneMax = 222;
                    ClutchCurve(c);
                    c.Break.DeadZoneMin = 444;
                    c.Break.DeadZoneMax = 555;
                    c.Break.BreakOutputLimit = 666;
                    BreakCurve(c);
                    c.Throttle.DeadZoneMin = 777;
                    c.Throttle.DeadZoneMax = 888;
                    ThrottleCurve(c);
                }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
