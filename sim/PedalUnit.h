// The firmware's side of the pedal protocol, as plain state: what a unit answers to each
// host message, its current and stored settings, and its firmware pull. No I/O, no threads:
// SimulatedUnit runs it on a connection.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "pedal/Channel.h"
#include "pedal/Codec.h"

namespace sim {

// What a unit says about itself in answer to the hello.
struct UnitIdentity {
    std::uint16_t BuildNum = pedal::RequiredBuildNum;
    std::uint16_t Year = 2017;
    std::uint8_t Month = 3;
    std::uint8_t Day = 9;
    std::uint32_t SerialNum = 0x2A;
};

// Progress of a firmware pull.
struct FirmwarePull {
    std::uint32_t Length = 0;
    std::uint32_t Crc = 0;
    std::vector<std::uint8_t> Data;
};

class PedalUnit {
public:
    explicit PedalUnit(UnitIdentity identity = {});

    // What one host message makes the unit do.
    struct Reaction {
        std::vector<pedal::Message> Replies;  // to send at once, in order
        bool RequestChunk = false;            // send one chunk request [32] (may be paced)
        bool Restart = false;                 // restart once that request has gone out
    };
    Reaction Handle(pedal::MessageView fromHost);

    // A power cycle: a verified image's build takes effect, the stored settings become
    // current, a pull in progress is forgotten.
    void Restart();

    // The values message for the three raw positions, through the current settings.
    pedal::Message Values(const std::array<std::uint16_t, 3>& raw) const;

    UnitIdentity Identity;
    std::array<pedal::Channel, 3> Current{pedal::Channel(0), pedal::Channel(1), pedal::Channel(2)};
    std::array<pedal::Channel, 3> Stored{pedal::Channel(0), pedal::Channel(1), pedal::Channel(2)};
    std::optional<FirmwarePull> Pull;    // while an image is being pulled
    int UpdatesVerified = 0;             // images that passed the length and CRC check
    int UpdatesRejected = 0;             // images that failed it
    std::optional<std::uint16_t> PendingBuild;  // build of a verified image, until restart

private:
    void FinishPull(Reaction& r);
};

}  // namespace sim
