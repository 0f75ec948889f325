// Kernels on the hot paths and the window's short operations: the values decoder (every
// message), the config encoder, CRC-32, saving and loading a settings file, and a full scan
// of the HID interfaces with 20 foreign devices present. The pure kernels are timed in CPU
// time (the machine may be shared); the file and scan operations, which wait on storage or
// threads, in wall time.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/DeviceScanner.h"
#include "device/virtual/VirtualHidPlatform.h"
#include "firmware/Crc32.h"
#include "pedal/Codec.h"
#include "pedal/Commands.h"
#include "prompts/ScriptedPrompts.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"

namespace {

void BM_DecodeValues(benchmark::State& state) {
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

void BM_EncodeConfig(benchmark::State& state) {
    pedal::Channel c(1);
    c.CalcType = pedal::CALCTYPE::MultiPoint;
    for (auto _ : state)
        benchmark::DoNotOptimize(pedal::EncodeConfig(c));
}
BENCHMARK(BM_EncodeConfig);

void BM_Crc32(benchmark::State& state) {
    std::vector<std::uint8_t> data(static_cast<std::size_t>(state.range(0)), 0xA5);
    for (auto _ : state)
        benchmark::DoNotOptimize(firmware::Crc32Of(data));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Crc32)->Arg(4096)->Arg(128 * 1024);

// A folder of its own for the settings files, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "trimdeck-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    bool ok() const { return !path_.empty(); }
    std::string File(const char* name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// Three channels with every curve type's parameters set, so the file holds all of them.
struct ThreeChannels {
    pedal::Channel clutch{0}, brk{1}, throttle{2};
    ThreeChannels() {
        clutch.CalcType = pedal::CALCTYPE::Exponential;
        brk.CalcType = pedal::CALCTYPE::MultiPoint;
        throttle.CalcType = pedal::CALCTYPE::OnePoint;
    }
};

// The document alone, without the file.
void BM_SettingsDocument(benchmark::State& state) {
    const ThreeChannels c;
    for (auto _ : state)
        benchmark::DoNotOptimize(settings::ConfigDocumentText(c.clutch, c.brk, c.throttle));
}
BENCHMARK(BM_SettingsDocument);

// A save as the window does it: the file is replaced whole (new file, fsync, rename, fsync of
// the folder), so the storage under the temporary folder sets most of the time.
void BM_SettingsSave(benchmark::State& state) {
    TempFolder dir;
    if (!dir.ok()) return state.SkipWithError("no temporary folder");
    const ThreeChannels c;
    const std::string file = dir.File("pedal.xml");
    prompts::ScriptedPrompts prompts;
    for (auto _ : state)
        settings::SaveConfigQuorvane(file, c.clutch, c.brk, c.throttle, prompts);
    if (!prompts.Messages.empty()) state.SkipWithError(prompts.Messages.front().c_str());
}
BENCHMARK(BM_SettingsSave)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A load with every box of the filter ticked: checks, reads and parses the file, applies it.
void BM_SettingsLoad(benchmark::State& state) {
    TempFolder dir;
    if (!dir.ok()) return state.SkipWithError("no temporary folder");
    const ThreeChannels saved;
    const std::string file = dir.File("pedal.xml");
    prompts::ScriptedPrompts prompts;
    settings::SaveConfigQuorvane(file, saved.clutch, saved.brk, saved.throttle, prompts);
    ThreeChannels into;
    int result = settings::LoadDone;
    for (auto _ : state) {
        prompts.FilterAnswers.push_back(prompts::LoadFilter{});
        result = settings::LoadConfigQuorvane(file, into.clutch, into.brk, into.throttle, prompts);
        if (result != settings::LoadDone) break;
    }
    if (result != settings::LoadDone || !prompts.Messages.empty())
        state.SkipWithError("the settings file did not load");
}
BENCHMARK(BM_SettingsLoad)->Unit(benchmark::kMicrosecond)->UseRealTime();

// 20 foreign interfaces, in front of and behind the pedal unit in the enumeration, and
// including look-alikes: the pedal's IDs with another report length, its vendor with
// another product, its product ID under another vendor.
constexpr int kForeign = 20;

std::vector<device::HidInterfaceInfo> ForeignInterfaces() {
    std::vector<device::HidInterfaceInfo> out;
    for (int i = 0; i < kForeign; ++i) {
        device::HidInterfaceInfo f;
        f.Path = "/dev/virtual/foreign" + std::to_string(i);
        switch (i % 4) {
            case 0:  // keyboards, mice, wheels...
                f.VendorId = static_cast<std::uint16_t>(0x046D + i);
                f.ProductId = static_cast<std::uint16_t>(0xC000 + i);
                f.OutputReportLength = 9;
                break;
            case 1:
                f.VendorId = pedal::PedalVendorId;
                f.ProductId = pedal::PedalProductId;
                f.OutputReportLength = 33;
                break;
            case 2:
                f.VendorId = pedal::PedalVendorId;
                f.ProductId = static_cast<std::uint16_t>(pedal::PedalProductId + 1);
                f.OutputReportLength = 65;
                break;
            default:
                f.VendorId = 0x1234;
                f.ProductId = pedal::PedalProductId;
                f.OutputReportLength = 65;
                break;
        }
        out.push_back(f);
    }
    return out;
}

bool NoForeignOpened(const device::VirtualHidPlatform& platform) {
    for (const auto& f : ForeignInterfaces())
        if (platform.OpenCount(f.Path) != 0) return false;
    return true;
}

// One quiet pedal unit (/dev/virtual/hidraw0) in the middle of the 20 foreign interfaces.
void PlugUnitAmongForeign(device::VirtualHidPlatform& platform) {
    const auto foreign = ForeignInterfaces();
    for (int i = 0; i < kForeign / 2; ++i)
        platform.AddForeign(foreign[static_cast<std::size_t>(i)]);
    sim::SimulatedUnit::Options quiet;
    quiet.ValuesHz = 0;
    platform.AddUnit("/dev/virtual/hidraw0", quiet);
    for (int i = kForeign / 2; i < kForeign; ++i)
        platform.AddForeign(foreign[static_cast<std::size_t>(i)]);
}

// The window's rescan (FindNewDevice) with its one unit already connected: one scan of 21
// interfaces, nothing opened.
void BM_FullScan20ForeignUnitConnected(benchmark::State& state) {
    device::VirtualHidPlatform platform;
    PlugUnitAmongForeign(platform);

    auto stop = std::make_shared<device::ThreadStop>();
    device::DeviceScanner scanner(platform, stop);
    device::HidDeviceList list;
    if (scanner.FindNewDevices(list, [] {}) != 1)
        return state.SkipWithError("the unit was not found");
    int pages = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(scanner.FindNewDevices(list, [&] { ++pages; }));
    if (list.size() != 1) state.SkipWithError("a unit was opened twice");
    if (platform.OpenCount("/dev/virtual/hidraw0") != 1)
        state.SkipWithError("the connected unit was opened again");
    if (!NoForeignOpened(platform)) state.SkipWithError("a foreign device was opened");
}
BENCHMARK(BM_FullScan20ForeignUnitConnected)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A unit arrives among 20 foreign interfaces: FindNewDevice opens it, starts its I/O thread,
// greets it, scans once more and rebuilds the tabs (here an empty callback). The unit is
// dropped again outside the timing.
void BM_FullScan20ForeignUnitArrives(benchmark::State& state) {
    device::VirtualHidPlatform platform;
    PlugUnitAmongForeign(platform);

    auto stop = std::make_shared<device::ThreadStop>();
    device::DeviceScanner scanner(platform, stop);
    device::HidDeviceList list;
    bool found = true;
    for (auto _ : state) {
        found = found && scanner.FindNewDevices(list, [] {}) == 1;
        state.PauseTiming();
        list.clear();  // stops and joins the unit's I/O thread
        state.ResumeTiming();
    }
    if (!found) state.SkipWithError("the unit was not found every time");
    if (!NoForeignOpened(platform)) state.SkipWithError("a foreign device was opened");
}
BENCHMARK(BM_FullScan20ForeignUnitArrives)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
