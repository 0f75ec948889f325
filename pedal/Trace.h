// The diagnostic debug output: trace lines for developers, never shown to the user.
#pragma once

#include <functional>
#include <string_view>

namespace pedal {

using TraceSink = std::function<void(std::string_view line)>;

// Writes one trace line to the installed sink (none by default: lines are dropped).
void DebugTrace(std::string_view line);

// Installs `sink` (an empty function drops lines) and returns the one it replaces.
// Install it before the threads that trace start.
TraceSink SetTraceSink(TraceSink sink);

}  // namespace pedal
