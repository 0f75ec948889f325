#include "pedal/Codec.h"

#include <algorithm>

#include "pedal/BuildDate.h"

namespace pedal {

ConfigMessage EncodeConfig(const Channel& c, std::uint8_t code) {
    ConfigMessage m{};
    m[0] = code;
    m[1] = static_cast<std::uint8_t>(c.ChannelIndex());
    Put16(m, 2, c.CalibMin);
    Put16(m, 4, c.CalibMax);
    Put16(m, 6, c.DeadZoneMin);
    Put16(m, 8, c.DeadZoneMax);
    Put16(m, 10, c.BreakOutputLimit);
    m[12] = static_cast<std::uint8_t>(static_cast<std::int32_t>(c.CalcType) & 0xFF);
    switch (c.CalcType) {
        case CALCTYPE::Exponential:
            Put16(m, 13, c.Exponent);
            break;
        case CALCTYPE::OnePoint:
            Put16(m, 13, c.OnePointValue);
            Put16(m, 15, c.OnePointOffset);
            break;
        case CALCTYPE::MultiPoint:
            for (std::size_t k = 0; k < 9; ++k) Put16(m, 13 + 2 * k, c.MultiPointArray[k]);
            break;
        default:
            break;
    }
    return m;
}

std::array<std::uint8_t, 9> EncodeUpdateStart(std::uint32_t imageLength, std::uint32_t imageCrc) {
    std::array<std::uint8_t, 9> m{};
    m[0] = CmdUpdateStart;
    Put32(m, 1, imageLength);
    Put32(m, 5, imageCrc);
    return m;
}

std::array<std::uint8_t, 33> EncodeUpdateData(std::span<const std::uint8_t> image,
                                               std::size_t pos) {
    std::array<std::uint8_t, 33> m{};
    m[0] = CmdUpdateData;
    if (pos < image.size()) {
        const std::size_t n = std::min(FirmwareChunkSize, image.size() - pos);
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(pos), n, m.begin() + 1);
    }
    return m;
}

void ComFW_ProecessConfig(Channel& c, MessageView recvBytes) {
    c.CalibMin = Get16(recvBytes, 2);
    c.CalibMax = Get16(recvBytes, 4);
    c.DeadZoneMin = Get16(recvBytes, 6);
    c.DeadZoneMax = Get16(recvBytes, 8);
    c.BreakOutputLimit = Get16(recvBytes, 10);
    c.CalcType = static_cast<CALCTYPE>(recvBytes[12]);
    switch (c.CalcType) {
        case CALCTYPE::Exponential:
            c.Exponent = Get16(recvBytes, 13);
            break;
        case CALCTYPE::OnePoint:
            c.OnePointValue = Get16(recvBytes, 13);
            c.OnePointOffset = Get16(recvBytes, 15);
            break;
        case CALCTYPE::MultiPoint:
            for (std::size_t k = 0; k < 9; ++k) c.MultiPointArray[k] = Get16(recvBytes, 13 + 2 * k);
            break;
        default:
            break;
    }
}

Identity DecodeIdentity(MessageView recvBytes) {
    Identity id;
    id.SerialNum = Get32(recvBytes, 10);
    id.BuildNum = Get16(recvBytes, 4);
    id.BuildDate = BuildDateTicks(Get16(recvBytes, 6), recvBytes[8], recvBytes[9]).value_or(0);
    return id;
}

namespace {
void DecodeChannelValues(MessageView m, std::size_t at, Channel& c, bool& changed) {
    const std::int32_t raw = Get16(m, at);
    const std::int32_t dead = Get16(m, at + 2);
    const std::int32_t calc = Get16(m, at + 4);
    if (raw != c.ChannelValue || dead != c.ChannelValueDeadZone || calc != c.ChannelValueCalculated)
        changed = true;
    c.ChannelValue = raw;
    c.ChannelValueDeadZone = dead;
    c.ChannelValueCalculated = calc;
}
}  // namespace

void DecodeValues(MessageView recvBytes, Channel& clutch, Channel& brake, Channel& throttle,
                  bool& NeedUpdateClutch, bool& NeedUpdateBreak, bool& NeedUpdateThrottle) {
    DecodeChannelValues(recvBytes, 1, clutch, NeedUpdateClutch);
    DecodeChannelValues(recvBytes, 7, brake, NeedUpdateBreak);
    DecodeChannelValues(recvBytes, 13, throttle, NeedUpdateThrottle);
}

Message EncodeIdentity(std::uint16_t buildNum, std::uint16_t year, std::uint8_t month,
                       std::uint8_t day, std::uint32_t serialNum) {
    Message m{};
    m[0] = CmdComStart;
    Put16(m, 4, buildNum);
    Put16(m, 6, year);
    m[8] = month;
    m[9] = day;
    Put32(m, 10, serialNum);
    return m;
}

Message EncodeValues(const std::array<LiveValues, 3>& channels) {
    Message m{};
    m[0] = CmdValues;
    for (std::size_t i = 0; i < 3; ++i) {
        Put16(m, 1 + 6 * i, channels[i].Raw);
        Put16(m, 3 + 6 * i, channels[i].DeadZone);
        Put16(m, 5 + 6 * i, channels[i].Calculated);
    }
    return m;
}

Message ToMessage(std::span<const std::uint8_t> bytes) {
    Message m{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), m.size()), m.begin());
    return m;
}

}  // namespace pedal
