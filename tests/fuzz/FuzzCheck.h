// What the fuzz targets share: a check that stops the run with a report when a property the
// code promises does not hold (the sanitizers catch memory and undefined-behaviour faults;
// these catch wrong results), and the splitting of an input into 64-byte messages.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "pedal/Commands.h"

#define FUZZ_CHECK(cond)                                                                     \
    do {                                                                                     \
        if (!(cond)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (0)

namespace fuzz {

// Cuts `data` into 64-byte messages, the last one zero-filled, and calls `each` on every one.
template <typename F>
void ForEachMessage(std::span<const std::uint8_t> data, F&& each) {
    for (std::size_t at = 0; at < data.size(); at += pedal::MESSAGESIZEVALID) {
        pedal::Message m{};
        const std::size_t n = std::min(pedal::MESSAGESIZEVALID, data.size() - at);
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), n, m.begin());
        each(m);
    }
}

}  // namespace fuzz
