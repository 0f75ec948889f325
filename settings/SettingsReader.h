// Reading a settings file into a unit's three channels: wholly or in the part the user
// chooses in the load filter dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include <pugixml.hpp>

#include "pedal/Channel.h"
#include "prompts/Prompts.h"
#include "settings/LoadError.h"

namespace settings {

// Results of LoadConfigQuorvane.
inline constexpr int LoadDone = 0;
inline constexpr int LoadCancelled = -1;    // the user cancelled the load filter dialog
inline constexpr int LoadNotSettings = 2;   // the root element is not KorvelaxConfig
inline constexpr int LoadWrongVersion = 3;  // the root's version is not "1.0"
inline constexpr int LoadWrongModel = 4;    // the root's model is not "quorvane"
inline constexpr int LoadFailed = 100;      // anything else; the user has been told why

// A settings file is a few kilobytes; a larger file is refused before it is parsed, which
// bounds what a hostile file can cost (memory grows with the number of nodes).
inline constexpr std::size_t MaxSettingsFileBytes = 1024 * 1024;

// Checks the file, asks for the load filter through `prompts`, and applies the chosen
// settings to the three channels. On 0 they hold the file's chosen values; on any other
// result they may hold part of them, so callers load into copies. Result 100 has been
// reported to the user; -1, 2, 3 and 4 have shown nothing. Nothing is sent to a unit.
int LoadConfigQuorvane(const std::string& filename, pedal::Channel& clutch, pedal::Channel& brk,
                       pedal::Channel& throttle, prompts::Prompts& prompts);

// The texts the window shows for results 2, 3 and 4; null for every other result.
const char* LoadResultMessage(int result);

// Applies the flagged settings of the channel element `nodemodel` to `c`, each the moment it
// is read. The brake (`IsBreak`) reads MaxBreakForce and BreakOutputLimit, the others
// DeadZoneMax. A null element is an error only when a flag needs it. Nothing when all went
// well, else the failure.
std::optional<LoadError> LoadChannel(pugi::xml_node nodemodel, pedal::Channel& c, bool IsBreak,
                                     bool LoadMin, bool LoadMax, bool LoadLimit, bool LoadAdj,
                                     prompts::Prompts& prompts);

// The whole number in the child element `name` of `nodemodel`, brought into
// limitMin..limitMax. A text that is not a number is first shown in its own message box.
Loaded<std::int32_t> LoadValue(pugi::xml_node nodemodel, const char* name, std::int32_t limitMin,
                               std::int32_t limitMax, prompts::Prompts& prompts);

}  // namespace settings
