// Firmware transfer time: a simulated unit pulls an image, asking for each chunk 1 ms after
// the previous one reached it (as a USB full-speed unit polled every 1 ms would), and the
// host answers each request from a poll with the window's cadence: a tick drains the
// unit's queue and answers every request in it, and the next tick starts one poll period
// after the previous one ended (the window restarts its timer at the end of each tick).
// The host side is the window's own code path (fwupdate::ComFW_SendUpdateStart,
// fwupdate::ComFW_AnswerChunkRequest, HidDevice and its I/O thread); only the timer is
// played by a sleep, so the harness needs no display.
//   bench_firmware [KiB]    (default 128)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "device/HidDevice.h"
#include "device/SocketConnection.h"
#include "firmware/FirmwareImage.h"
#include "fwupdate/ComFWUpdate.h"
#include "prompts/ScriptedPrompts.h"
#include "sim/SimulatedUnit.h"

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr auto kChunkDelay = 1ms;

struct Outcome {
    double seconds = 0;
    bool verified = false;
};

// Transfers an image of `imageBytes` (what the unit pulls) with the given poll period.
Outcome TransferOnce(std::size_t imageBytes, std::chrono::microseconds pollPeriod) {
    sim::SimulatedUnit::Options options;
    options.ValuesHz = 0;  // a unit busy with its update sends nothing else
    options.ChunkDelay = kChunkDelay;
    sim::SimulatedUnit unit(options);
    auto stop = std::make_shared<device::ThreadStop>();
    auto dev = device::HidDevice::Create(std::make_unique<device::SocketConnection>(unit.Connect()),
                                         "/dev/bench0", stop);

    std::vector<std::uint8_t> payload(imageBytes - firmware::HeaderSize);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i * 131 + 7);
    const auto file = firmware::MakeFirmwareFile(payload, 19);
    prompts::ScriptedPrompts yes;
    yes.YesNoAnswers = {true};

    Outcome out;
    const auto t0 = Clock::now();
    if (!fwupdate::ComFW_SendUpdateStart(*dev, file, yes)) {
        std::fprintf(stderr, "the announcement was refused\n");
        return out;
    }
    for (bool complete = false; !complete;) {
        pedal::Message m;
        while (!dev->HasError && dev->GetRecvMessage(m)) {
            if (m[0] == pedal::CmdUpdateStart && fwupdate::ComFW_AnswerChunkRequest(*dev).Result ==
                                                     fwupdate::ChunkAnswer::Kind::AllSent)
                complete = true;
        }
        if (complete) break;
        if (dev->HasError || Clock::now() - t0 > 10min) {
            std::fprintf(stderr, "the transfer failed at %d bytes\n", dev->FWDataSendPos);
            return out;
        }
        std::this_thread::sleep_for(pollPeriod);
    }
    out.seconds = std::chrono::duration<double>(Clock::now() - t0).count();

    // The unit checks length and CRC of what it pulled before it restarts.
    const auto until = Clock::now() + 2s;
    while (!(out.verified = unit.State().UpdatesVerified == 1) && Clock::now() < until)
        std::this_thread::sleep_for(1ms);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const long kib = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 128;
    if (kib < 1 || kib > 64 * 1024) {
        std::fprintf(stderr, "usage: bench_firmware [KiB 1..65536]\n");
        return 2;
    }
    const std::size_t bytes = static_cast<std::size_t>(kib) * 1024;
    const std::size_t chunks = (bytes + 31) / 32;
    const double floor =
        static_cast<double>(chunks) * std::chrono::duration<double>(kChunkDelay).count();

    std::printf("image %zu bytes, %zu chunks; the unit asks 1 ms after each chunk arrives\n", bytes,
                chunks);
    std::printf("floor: %zu chunks x 1 ms = %.3f s\n\n", chunks, floor);
    std::printf("%-18s %12s %10s %12s %9s\n", "poll period", "transfer s", "ratio", "ms/chunk",
                "verified");
    struct Row {
        const char* name;
        std::chrono::microseconds period;
    } rows[] = {{"10 ms (window)", 10ms}, {"1 ms", 1ms}};
    int status = 0;
    for (const Row& r : rows) {
        const Outcome o = TransferOnce(bytes, r.period);
        if (!o.verified) status = 1;
        std::printf("%-18s %12.3f %9.2fx %12.3f %9s\n", r.name, o.seconds, o.seconds / floor,
                    o.seconds * 1000.0 / static_cast<double>(chunks), o.verified ? "yes" : "NO");
        std::fflush(stdout);
    }
    return status;
}
