// Shutdown time with connected units streaming values: from raising the stop request to the
// last I/O thread having sent its stop report, closed its connection and been joined.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "device/HidDevice.h"
#include "device/SocketConnection.h"
#include "sim/SimulatedUnit.h"

using Clock = std::chrono::steady_clock;

namespace {

double ShutdownOnce(int units) {
    std::vector<std::unique_ptr<sim::SimulatedUnit>> sims;
    std::vector<std::unique_ptr<device::HidDevice>> devices;
    auto stop = std::make_shared<device::ThreadStop>();
    for (int i = 0; i < units; ++i) {
        sims.push_back(std::make_unique<sim::SimulatedUnit>());
        devices.push_back(device::HidDevice::Create(
            std::make_unique<device::SocketConnection>(sims.back()->Connect()),
            "/dev/sim" + std::to_string(i), stop));
    }
    // Let every unit stream for a while, so each I/O thread is in its normal rhythm.
    const auto until = Clock::now() + std::chrono::milliseconds(200);
    for (auto& d : devices) {
        while (!d->CheckRecvMessage() && Clock::now() < until + std::chrono::seconds(5))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_until(until);

    for (auto& s : sims)
        if (!s->IsConnected()) std::fprintf(stderr, "unit not connected before stop\n");
    for (auto& d : devices)
        if (d->HasError) std::fprintf(stderr, "device failed before stop\n");
    const auto t0 = Clock::now();
    stop->Raise();
    devices.clear();  // joins every I/O thread
    const auto t1 = Clock::now();

    for (auto& s : sims) {
        const bool said = s->WaitForReports(
            [](const auto& r) { return !r.empty() && r.back()[1] == 15; }, std::chrono::seconds(2));
        if (!said) {
            const auto r = s->ReceivedReports();
            std::fprintf(stderr, "a unit got no stop report (%zu reports, last code %d)\n",
                         r.size(), r.empty() ? -1 : r.back()[1]);
        }
    }
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

}  // namespace

int main() {
    constexpr int kRuns = 25;
    std::printf("%-8s %10s %10s %10s %14s\n", "units", "median ms", "p90 ms", "max ms",
                "vs 4000 ms wait");
    for (int units : {1, 4}) {
        std::vector<double> t;
        for (int i = 0; i < kRuns; ++i)
            t.push_back(ShutdownOnce(units));
        std::sort(t.begin(), t.end());
        const double median = t[t.size() / 2];
        std::printf("%-8d %10.3f %10.3f %10.3f %13.5fx\n", units, median, t[t.size() * 9 / 10],
                    t.back(), median / 4000.0);
    }
}
