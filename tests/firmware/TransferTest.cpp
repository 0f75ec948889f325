#include "firmware/Transfer.h"

#include <gtest/gtest.h>

using namespace firmware;

namespace {

struct Step {
    std::uint64_t length, sent;
    std::uint32_t chunk;  // bytes of the next chunk
    int bar;
    const char* label;
};

TEST(Transfer, ChunkLengthBarAndLabelAtEachPosition) {
    const Step steps[] = {
        {1000, 0, 32, 0, "0 b /1000 b"},
        {1000, 64, 32, 64, "64 b /1000 b"},
        {33, 32, 1, 969, "32 b /33 b"},  // the last chunk carries the one byte left
        {33, 33, 0, 1000, "33 b /33 b"},
        {64, 64, 0, 1000, "64 b /64 b"},
        {1600, 32, 32, 20, "32 b /1600 b"},
        {1600, 1599, 1, 999, "1599 b /1600 b"},
        // Beyond about 2 MiB a 32-bit sent * 1000 would overflow and the bar would stall.
        {3'000'000, 2'200'000, 32, 733, "2200000 b /3000000 b"},
        {4'294'967'295, 4'294'967'295, 0, 1000, "4294967295 b /4294967295 b"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.label);
        EXPECT_EQ(ChunkLength(s.length, s.sent), s.chunk);
        EXPECT_EQ(ProgressPermille(s.sent, s.length), s.bar);
        EXPECT_EQ(ProgressText(s.sent, s.length), s.label);
    }
}

}  // namespace
