// Kernels on the hot paths: the values decoder (every message), the config encoder, CRC-32.
#include <benchmark/benchmark.h>

#include <vector>

#include "firmware/Crc32.h"
#include "pedal/Codec.h"

static void BM_DecodeValues(benchmark::State& state) {
    pedal::Channel c(0), b(1), t(2);
    auto m = pedal::EncodeValues({{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}});
    std::uint16_t i = 0;
    for (auto _ : state) {
        m[1] = static_cast<std::uint8_t>(++i);
        bool nc = false, nb = false, nt = false;
        pedal::DecodeValues(m, c, b, t, nc, nb, nt);
        benchmark::DoNotOptimize(nc);
    }
}
BENCHMARK(BM_DecodeValues);

static void BM_EncodeConfig(benchmark::State& state) {
    pedal::Channel c(1);
    c.CalcType = pedal::CALCTYPE::MultiPoint;
    for (auto _ : state) benchmark::DoNotOptimize(pedal::EncodeConfig(c));
}
BENCHMARK(BM_EncodeConfig);

static void BM_Crc32(benchmark::State& state) {
    std::vector<std::uint8_t> data(static_cast<std::size_t>(state.range(0)), 0xA5);
    for (auto _ : state) benchmark::DoNotOptimize(firmware::Crc32Of(data));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Crc32)->Arg(4096)->Arg(128 * 1024);
