// The whole application on Qt's offscreen platform: the main window on the virtual HID
// platform, with simulated units streaming changing values at 1 kHz.
//
//   bench_app cpu N [SECONDS]       CPU seconds per wall second and peak resident memory
//   bench_app latency N [SECONDS]   from a unit writing a values report to the paint of the
//                                   clutch's output bar showing it (unit 0, the one on show)
//
// Each run prints one line of key=value pairs (bench/run collects them over repeated runs).
//
// CPU is getrusage(RUSAGE_SELF) over SECONDS of wall time (default 5) after a second of
// warm-up. The simulated units run in this process on their own threads; their CPU time is
// read from their thread clocks and reported apart, so `app_cpu_per_wall` is the window, its
// poll and the units' I/O threads alone. Peak resident memory (ru_maxrss) includes the units.
//
// Latency: every values report unit 0 writes is stamped on the unit's thread as it is
// written (SimulatedUnit::SetOnValuesSent), with its three raw values. An event filter on
// pb_Clutch_Output stamps the end of each of its paints with the raw values the window holds
// for the current unit then; the three raw values together name the report on show. A
// report's latency is the time from its writing to the end of the first paint that shows it
// or a later report. Reports that leave the clutch's raw value as it was need no paint and
// are not counted.
#include <pthread.h>
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "MainForm.h"
#include "PictureBox.h"
#include "device/virtual/VirtualHidPlatform.h"
#include "prompts/ScriptedPrompts.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kMaxUnits = 8;
constexpr auto kSettleLimit = std::chrono::seconds(20);
constexpr auto kWarmUp = std::chrono::seconds(1);

using RawTriple = std::array<std::uint16_t, 3>;

RawTriple RawOf(const pedal::Message& m) {
    auto get = [&](std::size_t at) { return static_cast<std::uint16_t>(m[at] | m[at + 1] << 8); };
    return {get(1), get(7), get(13)};
}

double Seconds(const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6;
}

double CpuSeconds(clockid_t clock) {
    timespec ts{};
    if (::clock_gettime(clock, &ts) != 0) return 0;
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct ProcessUsage {
    double cpu = 0;  // user + system seconds
    long maxRssKiB = 0;
};

ProcessUsage Usage() {
    rusage ru{};
    ::getrusage(RUSAGE_SELF, &ru);
    return {Seconds(ru.ru_utime) + Seconds(ru.ru_stime), ru.ru_maxrss};
}

// What one simulated unit's thread tells the harness: its CPU clock, and (when recording)
// every values report it writes.
struct UnitProbe {
    std::atomic<bool> haveClock{false};
    clockid_t clock{};
    std::atomic<bool> recording{false};
    std::mutex mutex;
    std::vector<std::pair<Clock::time_point, RawTriple>> sent;

    void OnValuesSent(const pedal::Message& m) {
        if (!haveClock.load(std::memory_order_acquire)) {
            if (::pthread_getcpuclockid(::pthread_self(), &clock) == 0)
                haveClock.store(true, std::memory_order_release);
        }
        if (recording.load(std::memory_order_relaxed)) {
            const auto now = Clock::now();
            std::lock_guard lock(mutex);
            sent.emplace_back(now, RawOf(m));
        }
    }
};

// Stamps the end of every paint of the box it watches, with the raw values on show.
class PaintProbe : public QObject {
  public:
    PaintProbe(MainForm& form, PictureBox& box) : form_(form), box_(box) {
        box_.installEventFilter(this);
    }
    ~PaintProbe() override { box_.removeEventFilter(this); }
    PaintProbe(const PaintProbe&) = delete;
    PaintProbe& operator=(const PaintProbe&) = delete;

    bool recording = false;
    int paints = 0;
    std::vector<std::pair<Clock::time_point, RawTriple>> painted;
    std::vector<double> durations;  // ms

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &box_ || event->type() != QEvent::Paint) return false;
        // Let the box paint now, then stamp: the stamp is the end of the paint.
        const auto start = Clock::now();
        static_cast<QObject&>(box_).event(event);
        const auto end = Clock::now();
        ++paints;
        const device::HidDevice* dev = form_.global().CurrentDevice;
        if (recording && dev) {
            durations.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            painted.emplace_back(
                end, RawTriple{static_cast<std::uint16_t>(dev->ClutchChannel.ChannelValue),
                               static_cast<std::uint16_t>(dev->BreakChannel.ChannelValue),
                               static_cast<std::uint16_t>(dev->ThrottleChannel.ChannelValue)});
        }
        return true;
    }

  private:
    MainForm& form_;
    PictureBox& box_;
};

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

// Latency of each report that changed the clutch's raw value, in ms (see the top).
std::vector<double> Latencies(const std::vector<std::pair<Clock::time_point, RawTriple>>& sent,
                              const std::vector<std::pair<Clock::time_point, RawTriple>>& painted,
                              std::size_t& unmatchedPaints) {
    std::vector<double> out;
    std::size_t next = 0;  // first report not yet shown
    unmatchedPaints = 0;
    for (const auto& [paintAt, shown] : painted) {
        // The latest report written before this paint that carries what it shows.
        auto hi = std::upper_bound(sent.begin(), sent.end(), paintAt,
                                   [](Clock::time_point t, const auto& s) { return t < s.first; });
        std::optional<std::size_t> match;
        for (auto it = hi; it != sent.begin();) {
            --it;
            if (it->second == shown) {
                match = static_cast<std::size_t>(it - sent.begin());
                break;
            }
            if (paintAt - it->first > std::chrono::seconds(1)) break;
        }
        if (!match) {
            ++unmatchedPaints;
            continue;
        }
        for (; next <= *match; ++next) {
            if (next > 0 && sent[next].second[0] == sent[next - 1].second[0]) continue;
            out.push_back(
                std::chrono::duration<double, std::milli>(paintAt - sent[next].first).count());
        }
    }
    return out;
}

int BadArguments(const char* why) {
    std::fprintf(stderr, "bench_app: %s\nusage: bench_app cpu|latency UNITS(1..%d) [SECONDS]\n",
                 why, kMaxUnits);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return BadArguments("too few arguments");
    const std::string mode = argv[1];
    if (mode != "cpu" && mode != "latency") return BadArguments("unknown mode");
    const int units = std::atoi(argv[2]);
    if (units < 1 || units > kMaxUnits) return BadArguments("bad number of units");
    const double seconds = argc > 3 ? std::atof(argv[3]) : 5.0;
    if (!(seconds > 0 && seconds <= 600)) return BadArguments("bad number of seconds");

    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setFont(MainForm::WindowFont());

    // The probes are declared before the platform, so they outlive the units' threads.
    std::vector<std::unique_ptr<UnitProbe>> probes;
    device::VirtualHidPlatform platform;
    for (int i = 0; i < units; ++i) {
        sim::SimulatedUnit::Options options;
        options.Identity.SerialNum = 0x2A + static_cast<std::uint32_t>(i);
        options.ValuesHz = 1000;
        probes.push_back(std::make_unique<UnitProbe>());
        auto& unit = platform.AddUnit("/dev/virtual/hidraw" + std::to_string(i), options);
        unit.SetOnValuesSent(
            [p = probes.back().get()](const pedal::Message& m) { p->OnValuesSent(m); });
    }
    prompts::ScriptedPrompts prompts;
    MainForm form(platform, prompts);
    PaintProbe paintProbe(form, *form.pb_Clutch_Output);
    form.show();

    auto settled = [&] {
        const auto& list = form.global().HidDevList;
        if (static_cast<int>(list.size()) != units || !form.global().CurrentDevice) return false;
        for (const auto& d : list)
            if (d->BuildNum == 0) return false;
        for (const auto& p : probes)
            if (!p->haveClock.load()) return false;
        return paintProbe.paints > 0;
    };

    int status = 0;
    ProcessUsage u0;
    std::vector<double> sim0(static_cast<std::size_t>(units));
    Clock::time_point t0;
    int paints0 = 0;
    const auto started = Clock::now();

    auto finish = [&] {
        const auto t1 = Clock::now();
        const ProcessUsage u1 = Usage();
        double simCpu = 0;
        for (std::size_t i = 0; i < probes.size(); ++i)
            simCpu += CpuSeconds(probes[i]->clock) - sim0[i];
        for (auto& p : probes)
            p->recording = false;
        paintProbe.recording = false;
        const double wall = std::chrono::duration<double>(t1 - t0).count();
        const double paintsPerS = (paintProbe.paints - paints0) / wall;
        if (!prompts.Messages.empty()) {
            std::fprintf(stderr, "bench_app: the window said \"%s\"\n",
                         prompts.Messages.front().c_str());
            status = 1;
        }
        if (mode == "cpu") {
            const double cpu = u1.cpu - u0.cpu;
            std::printf(
                "cpu units=%d wall_s=%.3f cpu_per_wall=%.4f app_cpu_per_wall=%.4f "
                "sim_cpu_per_wall=%.4f peak_rss_mib=%.1f output_paints_per_s=%.1f\n",
                units, wall, cpu / wall, (cpu - simCpu) / wall, simCpu / wall,
                static_cast<double>(u1.maxRssKiB) / 1024.0, paintsPerS);
        } else {
            std::vector<std::pair<Clock::time_point, RawTriple>> sent;
            {
                std::lock_guard lock(probes[0]->mutex);
                sent = probes[0]->sent;
            }
            std::size_t unmatched = 0;
            const auto lat = Latencies(sent, paintProbe.painted, unmatched);
            if (lat.size() < 100) {
                std::fprintf(stderr, "bench_app: only %zu latency samples\n", lat.size());
                status = 1;
            }
            // The poll's rhythm as the paints show it: the timer's 10 ms plus the tick and
            // whatever kept the window's thread from running.
            std::vector<double> gaps;
            const auto& p = paintProbe.painted;
            for (std::size_t i = 1; i < p.size(); ++i)
                gaps.push_back(
                    std::chrono::duration<double, std::milli>(p[i].first - p[i - 1].first).count());
            std::printf(
                "latency units=%d wall_s=%.3f samples=%zu reports=%zu paints=%zu "
                "unmatched_paints=%zu median_ms=%.3f p90_ms=%.3f p99_ms=%.3f max_ms=%.3f "
                "paint_gap_median_ms=%.3f paint_gap_p99_ms=%.3f paint_ms_median=%.3f\n",
                units, wall, lat.size(), sent.size(), p.size(), unmatched, Quantile(lat, 0.5),
                Quantile(lat, 0.9), Quantile(lat, 0.99),
                lat.empty() ? 0.0 : *std::max_element(lat.begin(), lat.end()), Quantile(gaps, 0.5),
                Quantile(gaps, 0.99), Quantile(paintProbe.durations, 0.5));
        }
        std::fflush(stdout);
        QApplication::quit();
    };

    auto begin = [&] {
        for (std::size_t i = 0; i < probes.size(); ++i)
            sim0[i] = CpuSeconds(probes[i]->clock);
        for (auto& p : probes) {
            std::lock_guard lock(p->mutex);
            p->sent.clear();
            p->sent.reserve(static_cast<std::size_t>(seconds * 1100) + 1000);
        }
        paintProbe.painted.reserve(static_cast<std::size_t>(seconds * 200) + 100);
        if (mode == "latency") {
            probes[0]->recording = true;
            paintProbe.recording = true;
        }
        paints0 = paintProbe.paints;
        u0 = Usage();
        t0 = Clock::now();
        QTimer::singleShot(static_cast<int>(seconds * 1000), Qt::PreciseTimer, &form, finish);
    };

    // Wait for the units to be found, identified and on show, then warm up, then measure.
    QTimer settleCheck;
    settleCheck.setInterval(20);
    QObject::connect(&settleCheck, &QTimer::timeout, &form, [&] {
        if (settled()) {
            settleCheck.stop();
            QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(kWarmUp),
                               &form, begin);
        } else if (Clock::now() - started > kSettleLimit) {
            std::fprintf(stderr, "bench_app: the units did not settle\n");
            status = 1;
            settleCheck.stop();
            QApplication::quit();
        }
    });
    settleCheck.start();

    app.exec();
    form.StopSignal();
    return status;
}
