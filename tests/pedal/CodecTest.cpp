#include "pedal/Codec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

#include <vector>

#include "pedal/BuildDate.h"

using namespace pedal;
using ::testing::ElementsAreArray;

namespace {

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> s, std::size_t from, std::size_t to) {
    return {s.begin() + from, s.begin() + to};
}

Channel WithEveryCurveParameterSet(int index, CALCTYPE type) {
    Channel c(index);
    c.CalibMin = 0x1234;
    c.CalibMax = 0xFEDC;
    c.DeadZoneMin = 250;
    c.DeadZoneMax = 10000;
    c.BreakOutputLimit = 750;
    c.CalcType = type;
    c.Exponent = 767;  // exponent -32.0
    c.OnePointValue = 600;
    c.OnePointOffset = 0x0102;
    c.MultiPointArray = {100, 200, 300, 400, 500, 600, 700, 800, 900};
    return c;
}

TEST(EncodeConfig, FixedFieldsAreLittleEndianAfterCodeAndChannel) {
    const auto m = EncodeConfig(WithEveryCurveParameterSet(2, CALCTYPE::Linear));
    EXPECT_THAT(Bytes(m, 0, 13), ElementsAreArray<std::uint8_t>({3, 2, 0x34, 0x12, 0xDC, 0xFE, 0xFA,
                                                                 0x00, 0x10, 0x27, 0xEE, 0x02, 0}));
}

struct CurveCase {
    const char* name;
    CALCTYPE type;
    std::vector<std::uint8_t> bytes13to30;
};
void PrintTo(const CurveCase& c, std::ostream* os) { *os << c.name; }


class EncodeConfigCurve : public ::testing::TestWithParam<CurveCase> {};

TEST_P(EncodeConfigCurve, OnlyTheParametersOfTheTypeInForceTravel) {
    const auto& p = GetParam();
    const auto m = EncodeConfig(WithEveryCurveParameterSet(1, p.type));
    EXPECT_EQ(m.size(), 31u);
    EXPECT_EQ(m[12], static_cast<std::uint8_t>(p.type));
    EXPECT_THAT(Bytes(m, 13, 31), ElementsAreArray(p.bytes13to30));
}

std::vector<std::uint8_t> Zeros(std::size_t n) { return std::vector<std::uint8_t>(n, 0); }
std::vector<std::uint8_t> Then(std::vector<std::uint8_t> front, std::size_t zeros) {
    front.resize(front.size() + zeros, 0);
    return front;
}

INSTANTIATE_TEST_SUITE_P(
    Types, EncodeConfigCurve,
    ::testing::Values(
        CurveCase{"Linear", CALCTYPE::Linear, Zeros(18)},
        CurveCase{"ExponentMinus32", CALCTYPE::Exponential, Then({0xFF, 0x02}, 16)},
        CurveCase{"OnePoint", CALCTYPE::OnePoint, Then({0x58, 0x02, 0x02, 0x01}, 14)},
        CurveCase{"DefaultMultiPoints", CALCTYPE::MultiPoint,
                  {0x64, 0, 0xC8, 0, 0x2C, 1, 0x90, 1, 0xF4, 1, 0x58, 2, 0xBC, 2, 0x20, 3, 0x84, 3}},
        CurveCase{"UnknownType7", static_cast<CALCTYPE>(7), Zeros(18)}),
    [](const auto& info) { return info.param.name; });

Message ConfigFromUnit(std::uint8_t type, std::uint8_t fill) {
    Message m{};
    m[0] = CmdLoadConfig;
    m[1] = 0;
    Put16(m, 2, 100);
    Put16(m, 4, 65000);
    Put16(m, 6, 300);
    Put16(m, 8, 400);
    Put16(m, 10, 900);
    m[12] = type;
    for (std::size_t i = 13; i <= 30; ++i) m[i] = fill;
    return m;
}

TEST(ProecessConfig, ExponentialMessageUpdatesOnlyTheExponent) {
    Channel c(0);
    c.OnePointValue = 321;
    c.MultiPointArray.fill(42);
    c.ChannelValue = 77;
    c.selected = 3;
    ComFW_ProecessConfig(c, ConfigFromUnit(1, 0x11));

    EXPECT_EQ(c.CalibMin, 100);
    EXPECT_EQ(c.CalibMax, 65000);
    EXPECT_EQ(c.DeadZoneMin, 300);
    EXPECT_EQ(c.DeadZoneMax, 400);
    EXPECT_EQ(c.BreakOutputLimit, 900);
    EXPECT_EQ(c.CalcType, CALCTYPE::Exponential);
    EXPECT_EQ(c.Exponent, 0x1111);
    EXPECT_EQ(c.OnePointValue, 321);
    EXPECT_EQ(c.OnePointOffset, 500);
    EXPECT_EQ(c.MultiPointArray, (std::array<std::int32_t, 9>{42, 42, 42, 42, 42, 42, 42, 42, 42}));
    EXPECT_EQ(c.ChannelValue, 77);
    EXPECT_EQ(c.selected, 3);
}

TEST(ProecessConfig, OnePointAndMultiPointMessagesFillTheirParameters) {
    Channel c(0);
    ComFW_ProecessConfig(c, ConfigFromUnit(2, 0x02));
    EXPECT_EQ(c.OnePointValue, 0x0202);
    EXPECT_EQ(c.OnePointOffset, 0x0202);
    EXPECT_EQ(c.Exponent, 32767);

    Channel m(0);
    ComFW_ProecessConfig(m, ConfigFromUnit(3, 0xFF));
    for (auto v : m.MultiPointArray) EXPECT_EQ(v, 65535) << "0xFFFF is 65535, never -1";
    EXPECT_EQ(m.OnePointValue, 500);
}

TEST(ProecessConfig, UnknownTypeIsStoredWithNoParameterAndSentBackBare) {
    Channel c(0);
    ComFW_ProecessConfig(c, ConfigFromUnit(7, 0x33));
    EXPECT_EQ(static_cast<int>(c.CalcType), 7);
    EXPECT_TRUE(c.Exponent == 32767 && c.OnePointValue == 500 && c.MultiPointArray == DefaultMultiPoints);
    const auto back = EncodeConfig(c);
    EXPECT_EQ(back[12], 7);
    EXPECT_THAT(Bytes(back, 13, 31), ElementsAreArray(Zeros(18)));
}

struct IdentityCase {
    const char* name;
    int year, month, day;
    bool validDate;
};
void PrintTo(const IdentityCase& c, std::ostream* os) { *os << c.name; }


class IdentityReply : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(IdentityReply, KeepsNumbersAndTakesOnlyRealDates) {
    const auto& p = GetParam();
    Message m{};
    m[0] = CmdComStart;
    m[4] = 18;  // build 18
    Put16(m, 6, p.year);
    m[8] = static_cast<std::uint8_t>(p.month);
    m[9] = static_cast<std::uint8_t>(p.day);
    m[10] = 1;  // serial 513
    m[11] = 2;
    const Identity id = DecodeIdentity(m);
    EXPECT_EQ(id.BuildNum, 18);
    EXPECT_EQ(id.SerialNum, 513u);
    if (p.validDate)
        EXPECT_EQ(id.BuildDate, *BuildDateTicks(p.year, p.month, p.day));
    else
        EXPECT_EQ(id.BuildDate, 0u);
}

INSTANTIATE_TEST_SUITE_P(Dates, IdentityReply,
                         ::testing::Values(IdentityCase{"Feb29_2023", 2023, 2, 29, false},
                                           IdentityCase{"Feb29_1900", 1900, 2, 29, false},
                                           IdentityCase{"Feb29_2000", 2000, 2, 29, true},
                                           IdentityCase{"Month0", 2017, 0, 9, false},
                                           IdentityCase{"Month13", 2017, 13, 9, false},
                                           IdentityCase{"Day0", 2017, 3, 0, false},
                                           IdentityCase{"Apr31", 2017, 4, 31, false},
                                           IdentityCase{"Year0", 0, 3, 9, false},
                                           IdentityCase{"Year10000", 10000, 1, 1, false},
                                           IdentityCase{"Mar9_2017", 2017, 3, 9, true}),
                         [](const auto& info) { return info.param.name; });

TEST(DecodeValues, FlagsOnlyChangedChannelsAndAlwaysStores) {
    Channel clutch(0), brake(1), throttle(2);
    const auto first = EncodeValues({LiveValues{1, 2, 3}, LiveValues{4, 5, 6}, LiveValues{7, 8, 9}});
    bool c = false, b = false, t = false;
    DecodeValues(first, clutch, brake, throttle, c, b, t);
    EXPECT_TRUE(c && b && t);
    EXPECT_EQ(brake.ChannelValueCalculated, 6);

    c = b = t = false;
    DecodeValues(first, clutch, brake, throttle, c, b, t);
    EXPECT_FALSE(c || b || t) << "equal values set no flag";

    const auto brakeOnly =
        EncodeValues({LiveValues{1, 2, 3}, LiveValues{4, 5, 0xFFFF}, LiveValues{7, 8, 9}});
    DecodeValues(brakeOnly, clutch, brake, throttle, c, b, t);
    EXPECT_FALSE(c);
    EXPECT_TRUE(b);
    EXPECT_FALSE(t);
    EXPECT_EQ(brake.ChannelValueCalculated, 65535);

    c = true;
    DecodeValues(brakeOnly, clutch, brake, throttle, c, b, t);
    EXPECT_TRUE(c) << "the decoder never clears a flag";
}

TEST(DecodeValues, ReadsTheLayoutByteForByte) {
    Message m{};
    m[0] = CmdValues;
    for (std::size_t i = 1; i <= 18; ++i) m[i] = static_cast<std::uint8_t>(i);
    Channel clutch(0), brake(1), throttle(2);
    bool c = false, b = false, t = false;
    DecodeValues(m, clutch, brake, throttle, c, b, t);
    EXPECT_EQ(clutch.ChannelValue, 1 + 256 * 2);
    EXPECT_EQ(clutch.ChannelValueDeadZone, 3 + 256 * 4);
    EXPECT_EQ(clutch.ChannelValueCalculated, 5 + 256 * 6);
    EXPECT_EQ(brake.ChannelValue, 7 + 256 * 8);
    EXPECT_EQ(throttle.ChannelValueCalculated, 17 + 256 * 18);
}

TEST(FirmwareMessages, AnnouncementAndChunksAreLaidOutByteForByte) {
    const auto start = EncodeUpdateStart(0x01020304, 0xCBF43926);
    EXPECT_THAT(start, ElementsAreArray<std::uint8_t>({32, 4, 3, 2, 1, 0x26, 0x39, 0xF4, 0xCB}));

    std::vector<std::uint8_t> image(33);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i + 1);
    const auto first = EncodeUpdateData(image, 0);
    EXPECT_EQ(first[0], 33);
    EXPECT_THAT(Bytes(first, 1, 33), ElementsAreArray(Bytes(image, 0, 32)));
    const auto last = EncodeUpdateData(image, 32);
    EXPECT_EQ(last[1], 33);
    EXPECT_THAT(Bytes(last, 2, 33), ElementsAreArray(Zeros(31))) << "a short last chunk is zero-filled";
}

}  // namespace
