#include "sim/PedalUnit.h"

#include <algorithm>

#include "firmware/Crc32.h"
#include "firmware/FirmwareImage.h"
#include "sim/UnitMath.h"

namespace sim {

PedalUnit::PedalUnit(UnitIdentity identity) : Identity(identity) {}

PedalUnit::Reaction PedalUnit::Handle(pedal::MessageView m) {
    Reaction r;
    switch (m[0]) {
        case pedal::CmdComStart:
            r.Replies.push_back(pedal::EncodeIdentity(Identity.BuildNum, Identity.Year,
                                                      Identity.Month, Identity.Day,
                                                      Identity.SerialNum));
            break;
        case pedal::CmdSendConfig:
            // Only the curve parameters of the type in force travel; the rest stay.
            if (m[1] < 3) pedal::ComFW_ProecessConfig(Current[m[1]], m);
            break;
        case pedal::CmdLoadConfig:
            // Reload: the stored settings become current and are reported, throttle last.
            Current = Stored;
            for (const auto& c : Current)
                r.Replies.push_back(pedal::ToMessage(pedal::EncodeConfig(c, pedal::CmdLoadConfig)));
            break;
        case pedal::CmdSaveConfig:
            Stored = Current;
            r.Replies.push_back(pedal::ToMessage(std::array<std::uint8_t, 1>{pedal::CmdSaveConfig}));
            break;
        case pedal::CmdUpdateStart:
            Pull = FirmwarePull{pedal::Get32(m, 1), pedal::Get32(m, 5), {}};
            r.RequestChunk = true;
            if (Pull->Length == 0) FinishPull(r);
            break;
        case pedal::CmdUpdateData:
            if (Pull) {
                auto& p = *Pull;
                const std::size_t n =
                    std::min<std::size_t>(pedal::FirmwareChunkSize, p.Length - p.Data.size());
                p.Data.insert(p.Data.end(), m.begin() + 1, m.begin() + 1 + n);
                r.RequestChunk = true;  // the next chunk, or the one after the last
                if (p.Data.size() >= p.Length) FinishPull(r);
            }
            break;
        case pedal::CmdUpdateDisable:
            Pull.reset();
            break;
        default:  // CmdComStop and anything unknown: no answer
            break;
    }
    return r;
}

void PedalUnit::FinishPull(Reaction& r) {
    const auto& p = *Pull;
    const auto header = firmware::ReadImageHeader(p.Data);
    const bool ok = p.Data.size() == p.Length && firmware::Crc32Of(p.Data) == p.Crc && header;
    if (ok) {
        ++UpdatesVerified;
        PendingBuild = header->BuildNum;
        r.Restart = true;
    } else {
        ++UpdatesRejected;  // keeps running the old firmware
    }
    Pull.reset();
}

void PedalUnit::Restart() {
    if (PendingBuild) Identity.BuildNum = *PendingBuild;
    PendingBuild.reset();
    Current = Stored;
    Pull.reset();
}

pedal::Message PedalUnit::Values(const std::array<std::uint16_t, 3>& raw) const {
    return pedal::EncodeValues({ComputeValues(Current[0], raw[0]), ComputeValues(Current[1], raw[1]),
                                ComputeValues(Current[2], raw[2])});
}

}  // namespace sim
