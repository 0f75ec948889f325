// How the simulated unit turns a raw sensor reading into its dead-zoned and curved values,
// from the same settings the host edits. Matches the curve the window plots.
#pragma once

#include <cstdint>

#include "pedal/Channel.h"
#include "pedal/Codec.h"

namespace sim {

// Position in the calibrated span after the dead zones, 0.0..1.0.
double DeadZonedPosition(const pedal::Channel& settings, std::uint16_t raw);

// Output of the response curve for input 0.0..1.0, before the output limit, 0.0..1.0.
// An unknown curve type responds linearly.
double CurveOutput(const pedal::Channel& settings, double input);

// The three live values a unit reports for `raw`.
pedal::LiveValues ComputeValues(const pedal::Channel& settings, std::uint16_t raw);

}  // namespace sim
