// Command codes of the pedal protocol and the sizes that frame its messages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace pedal {

inline constexpr std::uint8_t CmdComStart = 1;
inline constexpr std::uint8_t CmdSendConfig = 3;
inline constexpr std::uint8_t CmdLoadConfig = 4;
inline constexpr std::uint8_t CmdSaveConfig = 5;
inline constexpr std::uint8_t CmdComStop = 15;
inline constexpr std::uint8_t CmdValues = 16;
inline constexpr std::uint8_t CmdUpdateStart = 32;
inline constexpr std::uint8_t CmdUpdateData = 33;
inline constexpr std::uint8_t CmdUpdateDisable = 34;

// The firmware build the host expects of a unit.
inline constexpr std::uint16_t RequiredBuildNum = 18;

// USB identity of a pedal unit and the length of its output reports (report ID included).
inline constexpr std::uint16_t PedalVendorId = 0x03EB;
inline constexpr std::uint16_t PedalProductId = 0x5A17;
inline constexpr int PedalOutputReportLength = 65;

// Payload bytes per report.
inline constexpr std::size_t MESSAGESIZEVALID = 64;
// Report bytes: report ID (always 0) and the payload.
inline constexpr std::size_t ReportSize = MESSAGESIZEVALID + 1;

// One received message: the 64-byte payload of a report, its command code at byte 0.
using Message = std::array<std::uint8_t, MESSAGESIZEVALID>;
using MessageView = std::span<const std::uint8_t, MESSAGESIZEVALID>;
// One framed report as it crosses the connection.
using Report = std::array<std::uint8_t, ReportSize>;

// Image bytes per firmware chunk.
inline constexpr std::size_t FirmwareChunkSize = 32;

}  // namespace pedal
