// The message decoders on any sequence of 64-byte messages from a unit, dispatched by their
// command code as the window does (the dispatch logic alone, without the window: the fuzz
// target fuzz_dispatcher runs the window itself). Every decoder also sees every message,
// as it must take any bytes. Besides the sanitizers' checks, what was decoded is encoded
// again and must give back the message's bytes, and what a message does not carry stays.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "pedal/BuildDate.h"
#include "pedal/Channel.h"
#include "pedal/Codec.h"

namespace {

struct Unit {
    pedal::Channel clutch{pedal::ClutchIndex};
    pedal::Channel brake{pedal::BreakIndex};
    pedal::Channel throttle{pedal::ThrottleIndex};
    pedal::Identity identity;
};

// The bytes of a configuration message that carry settings: the fixed part and the curve
// parameters of the type it names.
std::size_t ConfigBytes(std::uint8_t type) {
    switch (static_cast<pedal::CALCTYPE>(type)) {
        case pedal::CALCTYPE::Exponential:
            return 15;
        case pedal::CALCTYPE::OnePoint:
            return 17;
        case pedal::CALCTYPE::MultiPoint:
            return 31;
        default:
            return 13;
    }
}

void Config(pedal::Channel& c, const pedal::Message& m) {
    const pedal::Channel before = c;
    pedal::ComFW_ProecessConfig(c, m);
    const pedal::ConfigMessage again = pedal::EncodeConfig(c, pedal::CmdLoadConfig);
    FUZZ_CHECK(again[0] == pedal::CmdLoadConfig);
    FUZZ_CHECK(again[1] == c.ChannelIndex());
    const std::size_t n = ConfigBytes(m[12]);
    for (std::size_t i = 2; i < n; ++i)
        FUZZ_CHECK(again[i] == m[i]);
    for (std::size_t i = n; i < again.size(); ++i)
        FUZZ_CHECK(again[i] == 0);
    // Live values, the point editor's selection and the other curves' parameters stay.
    FUZZ_CHECK(c.ChannelValue == before.ChannelValue);
    FUZZ_CHECK(c.ChannelValueDeadZone == before.ChannelValueDeadZone);
    FUZZ_CHECK(c.ChannelValueCalculated == before.ChannelValueCalculated);
    FUZZ_CHECK(c.selected == before.selected);
    const auto type = static_cast<pedal::CALCTYPE>(m[12]);
    if (type != pedal::CALCTYPE::Exponential) FUZZ_CHECK(c.Exponent == before.Exponent);
    if (type != pedal::CALCTYPE::OnePoint) {
        FUZZ_CHECK(c.OnePointValue == before.OnePointValue);
        FUZZ_CHECK(c.OnePointOffset == before.OnePointOffset);
    }
    if (type != pedal::CALCTYPE::MultiPoint)
        FUZZ_CHECK(c.MultiPointArray == before.MultiPointArray);
}

void Identity(Unit& u, const pedal::Message& m) {
    u.identity = pedal::DecodeIdentity(m);
    FUZZ_CHECK(u.identity.BuildNum == pedal::Get16(m, 4));
    FUZZ_CHECK(u.identity.SerialNum == pedal::Get32(m, 10));
    if (u.identity.BuildDate != 0) {
        const auto date = pedal::BuildDateToCalendar(u.identity.BuildDate);
        FUZZ_CHECK(date.has_value());
        FUZZ_CHECK(*date == (pedal::CalendarDate{pedal::Get16(m, 6), m[8], m[9]}));
    }
}

void Values(Unit& u, const pedal::Message& m) {
    const std::array<pedal::Channel, 3> before{u.clutch, u.brake, u.throttle};
    bool changed[3] = {false, false, false};
    pedal::DecodeValues(m, u.clutch, u.brake, u.throttle, changed[0], changed[1], changed[2]);
    const pedal::Channel* channels[3] = {&u.clutch, &u.brake, &u.throttle};
    std::array<pedal::LiveValues, 3> live;
    for (std::size_t i = 0; i < 3; ++i) {
        const pedal::Channel& c = *channels[i];
        for (const std::int32_t v :
             {c.ChannelValue, c.ChannelValueDeadZone, c.ChannelValueCalculated})
            FUZZ_CHECK(v >= 0 && v <= 0xFFFF);
        live[i] = {static_cast<std::uint16_t>(c.ChannelValue),
                   static_cast<std::uint16_t>(c.ChannelValueDeadZone),
                   static_cast<std::uint16_t>(c.ChannelValueCalculated)};
        // The flag tells exactly whether any of the three values changed.
        const pedal::Channel& b = before[i];
        FUZZ_CHECK(changed[i] == (c.ChannelValue != b.ChannelValue ||
                                  c.ChannelValueDeadZone != b.ChannelValueDeadZone ||
                                  c.ChannelValueCalculated != b.ChannelValueCalculated));
        FUZZ_CHECK(c.SameSettings(b));
    }
    const pedal::Message again = pedal::EncodeValues(live);
    for (std::size_t i = 1; i < 19; ++i)
        FUZZ_CHECK(again[i] == m[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Unit u;
    fuzz::ForEachMessage(std::span(data, size), [&](const pedal::Message& m) {
        switch (m[0]) {
            case pedal::CmdComStart:
                Identity(u, m);
                break;
            case pedal::CmdLoadConfig: {
                const int ch = m[1];
                Config(ch == 1 ? u.brake : ch == 2 ? u.throttle : u.clutch, m);
                break;
            }
            case pedal::CmdValues:
                Values(u, m);
                break;
            default: {
                // Unknown codes change nothing in the window; the decoders still take them.
                Unit scratch = u;
                Identity(scratch, m);
                Config(scratch.clutch, m);
                Values(scratch, m);
                break;
            }
        }
    });
    return 0;
}
