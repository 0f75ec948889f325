#include "pedal/Trace.h"

#include <utility>

namespace pedal {
namespace {
TraceSink& sink() {
    static TraceSink s;
    return s;
}
}  // namespace

void DebugTrace(std::string_view line) {
    if (auto& s = sink()) s(line);
}

TraceSink SetTraceSink(TraceSink s) { return std::exchange(sink(), std::move(s)); }

}  // namespace pedal
