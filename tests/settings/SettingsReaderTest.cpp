// Reading the settings file: bounds, number texts, multipoint curves, missing elements and
// the checks of the root made before the load filter is shown.
#include <gtest/gtest.h>

#include <functional>

#include "settings/ReaderFixture.h"

using namespace settings_test;
using pedal::CALCTYPE;
using pedal::Channel;

namespace {

struct BoundCase {
    const char* name;
    std::function<void(Bodies&)> file;
    std::function<void(const Channels&)> check;
};
void PrintTo(const BoundCase& c, std::ostream* os) {
    *os << c.name;
}

class Bounds : public ReaderFixture, public ::testing::WithParamInterface<BoundCase> {};

TEST_P(Bounds, ValuesOutsideTheirRangeAreBroughtToItsEnd) {
    Bodies b;
    GetParam().file(b);
    ASSERT_EQ(Load(Document(b)), settings::LoadDone);
    EXPECT_TRUE(prompts.Messages.empty());
    GetParam().check(ch);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, Bounds,
    ::testing::Values(
        BoundCase{"DeadZoneMinAbove",
                  [](Bodies& b) {
                      b.Clutch =
                          "<DeadZoneMin>12000</DeadZoneMin><DeadZoneMax>0</"
                          "DeadZoneMax><CalcType>0</CalcType>";
                  },
                  [](const Channels& c) { EXPECT_EQ(c.Clutch.DeadZoneMin, 10000); }},
        BoundCase{"DeadZoneMinBelow",
                  [](Bodies& b) {
                      b.Throttle =
                          "<DeadZoneMin>-5</DeadZoneMin><DeadZoneMax>0</DeadZoneMax><CalcType>0</"
                          "CalcType>";
                  },
                  [](const Channels& c) { EXPECT_EQ(c.Throttle.DeadZoneMin, 0); }},
        BoundCase{"MaxBreakForceAndLimit",
                  [](Bodies& b) {
                      b.Break =
                          "<DeadZoneMin>0</DeadZoneMin><MaxBreakForce>10001</MaxBreakForce>"
                          "<BreakOutputLimit>5000</BreakOutputLimit><CalcType>0</CalcType>";
                  },
                  [](const Channels& c) {
                      EXPECT_EQ(c.Break.DeadZoneMax, 10000);
                      EXPECT_EQ(c.Break.BreakOutputLimit, 1000);
                  }},
        BoundCase{"ExpValueAbove",
                  [](Bodies& b) {
                      b.Clutch = WithCurve("<CalcType>1</CalcType><ExpValue>40000</ExpValue>");
                  },
                  [](const Channels& c) { EXPECT_EQ(c.Clutch.Exponent, 64767); }},
        BoundCase{"ExpValueBelow",
                  [](Bodies& b) {
                      b.Clutch = WithCurve("<CalcType>1</CalcType><ExpValue>-40000</ExpValue>");
                  },
                  [](const Channels& c) { EXPECT_EQ(c.Clutch.Exponent, 767); }},
        BoundCase{"OnePointValueBelow",
                  [](Bodies& b) {
                      b.Break = WithCurve(
                          "<CalcType>2</CalcType><OnePointOffset>600</OnePointOffset>"
                          "<OnePointValue>-600</OnePointValue>");
                  },
                  [](const Channels& c) {
                      EXPECT_EQ(c.Break.OnePointValue, 10);
                      EXPECT_EQ(c.Break.OnePointOffset, 990);
                  }},
        BoundCase{"PointsOutside",
                  [](Bodies& b) {
                      b.Throttle = WithCurve(
                          "<CalcType>3</CalcType><Values><Value>1500</Value><Value>-3</Value>"
                          "<Value>2</Value><Value>3</Value><Value>4</Value><Value>5</Value>"
                          "<Value>6</Value><Value>7</Value><Value>8</Value></Values>");
                  },
                  [](const Channels& c) {
                      EXPECT_EQ(c.Throttle.MultiPointArray,
                                (std::array<std::int32_t, 9>{1000, 0, 2, 3, 4, 5, 6, 7, 8}));
                  }},
        BoundCase{"CalcTypeBelow",
                  [](Bodies& b) {
                      b.Clutch = WithCurve("<CalcType>-1</CalcType><ExpValue>5</ExpValue>");
                  },
                  [](const Channels& c) {
                      EXPECT_EQ(c.Clutch.CalcType, CALCTYPE::Linear);
                      EXPECT_EQ(c.Clutch.Exponent, 32767) << "a linear curve reads no parameter";
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

// --- number texts, in <DeadZoneMin> of the clutch -----------------------------------------

struct NumberCase {
    const char* name;
    std::string text;                  // the element's content, markup included
    std::optional<std::int32_t> read;  // the value stored, or a failure
    const char* shown;                 // the text in the conversion box; null: no box
};
void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.name;
}

class Numbers : public ReaderFixture, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(Numbers, AreSigned32BitDecimalsWithWhiteSpaceAround) {
    const auto& p = GetParam();
    Bodies b;
    b.Clutch = "<DeadZoneMin>" + p.text +
               "</DeadZoneMin><DeadZoneMax>0</DeadZoneMax><CalcType>0</CalcType>";
    const int r = Load(Document(b));
    if (p.read) {
        ASSERT_EQ(r, settings::LoadDone) << (prompts.Messages.empty() ? "" : prompts.Messages[0]);
        EXPECT_EQ(ch.Clutch.DeadZoneMin, *p.read);
        return;
    }
    EXPECT_EQ(r, settings::LoadFailed);
    if (p.shown) {  // the conversion box, then the general report
        ASSERT_EQ(prompts.Messages.size(), 2u);
        EXPECT_EQ(prompts.Messages[0],
                  std::string("Numeric convert error \"") + p.shown + "\" in DeadZoneMin");
        EXPECT_EQ(prompts.Messages[1].rfind("Number format error: ", 0), 0u) << prompts.Messages[1];
    } else {
        ExpectReport("Number out of range");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reader, Numbers,
    ::testing::Values(NumberCase{"BlanksAround", " 250 ", 250, nullptr},
                      NumberCase{"LineBreaksAndTabs", "\r\n\t 42\n ", 42, nullptr},
                      NumberCase{"PlusSign", "+3", 3, nullptr},
                      NumberCase{"LeadingZeros", "007", 7, nullptr},
                      NumberCase{"CommentInside", "1<!--x-->23", 123, nullptr},
                      NumberCase{"CdataAndReference", "<![CDATA[ 4]]>&#x35;", 45, nullptr},
                      NumberCase{"TextOfChildElements", "<b>1</b>2", 12, nullptr},
                      NumberCase{"SmallestInt32", "-2147483648", 0, nullptr},
                      NumberCase{"LargestInt32", "2147483647", 10000, nullptr},
                      NumberCase{"Decimal", "2.5", std::nullopt, "2.5"},
                      NumberCase{"Letters", "abc", std::nullopt, "abc"},
                      NumberCase{"Empty", "", std::nullopt, ""},
                      NumberCase{"OnlyBlanks", "  ", std::nullopt, "  "},
                      NumberCase{"SignApart", "- 3", std::nullopt, "- 3"},
                      NumberCase{"TwoNumbers", "3 4", std::nullopt, "3 4"},
                      NumberCase{"Hexadecimal", "0x10", std::nullopt, "0x10"},
                      NumberCase{"GroupSeparator", "1,000", std::nullopt, "1,000"},
                      NumberCase{"FullWidthDigits", "\xEF\xBC\x91\xEF\xBC\x92", std::nullopt,
                                 "\xEF\xBC\x91\xEF\xBC\x92"},
                      NumberCase{"TooLargeAndNotANumber", "99999999999x", std::nullopt,
                                 "99999999999x"},
                      NumberCase{"TooLarge", "99999999999", std::nullopt, nullptr},
                      NumberCase{"JustTooLarge", "2147483648", std::nullopt, nullptr},
                      NumberCase{"JustTooSmall", "-2147483649", std::nullopt, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// --- multipoint curves ---------------------------------------------------------------------

struct PointsCase {
    const char* name;
    std::string clutch;  // the body of <Clutch>
    int result;
    const char* report;  // the one message, or null for none
};
void PrintTo(const PointsCase& c, std::ostream* os) {
    *os << c.name;
}

class Points : public ReaderFixture, public ::testing::WithParamInterface<PointsCase> {};

TEST_P(Points, NeedExactlyNineValuesThatAreNumbers) {
    const auto& p = GetParam();
    Bodies b;
    b.Clutch = WithCurve(p.clutch);
    EXPECT_EQ(Load(Document(b)), p.result);
    if (!p.report) {
        EXPECT_TRUE(prompts.Messages.empty());
        EXPECT_EQ(ch.Clutch.CalcType, CALCTYPE::MultiPoint);
        EXPECT_EQ(ch.Clutch.MultiPointArray,
                  (std::array<std::int32_t, 9>{5, 15, 25, 35, 45, 55, 65, 75, 85}));
        return;
    }
    ASSERT_EQ(prompts.Messages.size(), 1u) << "no conversion box for a point";
    EXPECT_EQ(prompts.Messages[0], p.report);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, Points,
    ::testing::Values(
        PointsCase{"Nine", "<CalcType>3</CalcType>" + Values(5), 0, nullptr},
        PointsCase{"TypeSevenIsMultipoint", "<CalcType>7</CalcType>" + Values(5), 0, nullptr},
        PointsCase{"OtherNodesAmongThem",
                   "<CalcType>3</CalcType><Values><!--c--><Value>5</Value><Other>1</Other><Value>15"
                   "</Value><Value>25</Value><Value>35</Value><Value>45</Value><Value>55</Value>"
                   "<Value>65</Value><Value>75</Value><Value>85</Value><Values/></Values>",
                   0, nullptr},
        PointsCase{"TypeSevenWithoutValues", "<CalcType>7</CalcType>", 100,
                   "Missing element: no element <Values> in <Clutch>"},
        PointsCase{"Eight", "<CalcType>3</CalcType>" + Values(5, 8), 100,
                   "Invalid settings: Values count error: 8(but need 9)"},
        PointsCase{"Ten", "<CalcType>3</CalcType>" + Values(5, 10), 100,
                   "Invalid settings: Values count error: 10(but need 9)"},
        PointsCase{"ValuesInAnotherNamespace",
                   "<CalcType>3</CalcType><Values xmlns=\"urn:x\">" + Values(5).substr(8), 100,
                   "Missing element: no element <Values> in <Clutch>"},
        PointsCase{"NotANumber",
                   "<CalcType>3</CalcType><Values><Value>x</Value>" + Values(15, 8).substr(8), 100,
                   "Number format error: \"x\" in <Value> is not a whole number"},
        PointsCase{
            "TooLarge",
            "<CalcType>3</CalcType><Values><Value>99999999999</Value>" + Values(15, 8).substr(8),
            100,
            "Number out of range: \"99999999999\" in <Value> is outside the signed 32-bit range"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- missing elements ------------------------------------------------------------------------

struct MissingCase {
    const char* name;
    std::function<void(Bodies&)> remove;
    std::vector<bool prompts::LoadFilter::*> flags;  // cleared; the first then set alone
    const char* report;
};
void PrintTo(const MissingCase& c, std::ostream* os) {
    *os << c.name;
}

class Missing : public ReaderFixture, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(Missing, IsAnErrorOnlyWhenItsBoxIsTicked) {
    const auto& p = GetParam();
    Bodies b;
    p.remove(b);
    prompts::LoadFilter off;
    for (auto flag : p.flags)
        off.*flag = false;
    EXPECT_EQ(Load(Document(b), off), settings::LoadDone);
    EXPECT_TRUE(prompts.Messages.empty());

    prompts::LoadFilter on = off;
    on.*p.flags.front() = true;
    EXPECT_EQ(Load(Document(b), on), settings::LoadFailed);
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0], p.report);
}

using F = prompts::LoadFilter;
INSTANTIATE_TEST_SUITE_P(
    Reader, Missing,
    ::testing::Values(
        MissingCase{
            "DeadZoneMin",
            [](Bodies& b) { b.Clutch = "<DeadZoneMax>0</DeadZoneMax><CalcType>0</CalcType>"; },
            {&F::ClutchStartDead},
            "Missing element: no element <DeadZoneMin> in <Clutch>"},
        MissingCase{
            "DeadZoneMax",
            [](Bodies& b) { b.Throttle = "<DeadZoneMin>0</DeadZoneMin><CalcType>0</CalcType>"; },
            {&F::ThrottleEndDead},
            "Missing element: no element <DeadZoneMax> in <Throttle>"},
        MissingCase{"MaxBreakForce",
                    [](Bodies& b) {
                        b.Break =
                            "<DeadZoneMin>0</DeadZoneMin><BreakOutputLimit>1</"
                            "BreakOutputLimit><CalcType>0</CalcType>";
                    },
                    {&F::BreakEndDead},
                    "Missing element: no element <MaxBreakForce> in <Break>"},
        MissingCase{"BreakOutputLimit",
                    [](Bodies& b) {
                        b.Break =
                            "<DeadZoneMin>0</DeadZoneMin><MaxBreakForce>0</"
                            "MaxBreakForce><CalcType>0</CalcType>";
                    },
                    {&F::BreakBreakLimit},
                    "Missing element: no element <BreakOutputLimit> in <Break>"},
        MissingCase{"CurveParameter",
                    [](Bodies& b) {
                        b.Throttle =
                            "<DeadZoneMin>0</DeadZoneMin><DeadZoneMax>0</DeadZoneMax><CalcType>1</"
                            "CalcType>";
                    },
                    {&F::ThrottleAdj},
                    "Missing element: no element <ExpValue> in <Throttle>"},
        MissingCase{"ChannelElement",
                    [](Bodies& b) { b.Break.clear(); },
                    {&F::BreakBreakLimit, &F::BreakStartDead, &F::BreakEndDead, &F::BreakAdj},
                    "Missing element: no element <Break> in <KorvelaxConfig>"},
        MissingCase{"ChannelInAnotherNamespace",
                    [](Bodies& b) {
                        b.Extra = "<Clutch xmlns=\"urn:x\">" + b.Clutch + "</Clutch>";
                        b.Clutch.clear();
                    },
                    {&F::ClutchAdj, &F::ClutchStartDead, &F::ClutchEndDead},
                    "Missing element: no element <Clutch> in <KorvelaxConfig>"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- the root, before the load filter --------------------------------------------------------

struct RootCase {
    const char* name;
    std::string document;
    int result;
    const char* report;  // the general report, or null for no message
};
void PrintTo(const RootCase& c, std::ostream* os) {
    *os << c.name;
}

class Root : public ReaderFixture, public ::testing::WithParamInterface<RootCase> {};

TEST_P(Root, IsCheckedBeforeTheFilterIsShown) {
    const auto& p = GetParam();
    const Channels before = ch;
    EXPECT_EQ(Load(p.document), p.result);
    EXPECT_FALSE(FilterShown());
    EXPECT_TRUE(ch.Same(before));
    if (p.report) {
        ASSERT_EQ(prompts.Messages.size(), 1u);
        EXPECT_EQ(prompts.Messages[0], p.report);
    } else {
        EXPECT_TRUE(prompts.Messages.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reader, Root,
    ::testing::Values(
        RootCase{"OtherRoot", "<Config version=\"1.0\" model=\"quorvane\"/>", 2, nullptr},
        RootCase{"RootNameIsCaseSensitive", "<korvelaxconfig version=\"1.0\" model=\"quorvane\"/>",
                 2, nullptr},
        RootCase{"PrefixedRoot",
                 "<k:KorvelaxConfig xmlns:k=\"urn:k\" version=\"1.0\" model=\"quorvane\"/>", 2,
                 nullptr},
        RootCase{"OtherVersion", "<KorvelaxConfig version=\"1.1\" model=\"quorvane\"/>", 3,
                 nullptr},
        RootCase{"VersionWithBlank", "<KorvelaxConfig version=\"1.0 \" model=\"quorvane\"/>", 3,
                 nullptr},
        RootCase{"VersionBeforeModel", "<KorvelaxConfig version=\"2.0\" model=\"other\"/>", 3,
                 nullptr},
        RootCase{"OtherModel", "<KorvelaxConfig version=\"1.0\" model=\"Quorvane\"/>", 4, nullptr},
        RootCase{"NoVersion", "<KorvelaxConfig model=\"quorvane\"/>", 100,
                 "Missing attribute: no attribute version in <KorvelaxConfig>"},
        RootCase{"OtherVersionWithoutModel", "<KorvelaxConfig version=\"1.1\"/>", 3, nullptr},
        RootCase{"NoModel", "<KorvelaxConfig version=\"1.0\"/>", 100,
                 "Missing attribute: no attribute model in <KorvelaxConfig>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReaderFixture, CancellingTheFilterReadsNothing) {
    Bodies b;
    b.Clutch = "<DeadZoneMin>77</DeadZoneMin><DeadZoneMax>0</DeadZoneMax><CalcType>0</CalcType>";
    const Channels before = ch;
    EXPECT_EQ(Load(Document(b), std::nullopt), settings::LoadCancelled);
    EXPECT_TRUE(FilterShown());
    EXPECT_TRUE(ch.Same(before));
    EXPECT_TRUE(prompts.Messages.empty());
}

}  // namespace
