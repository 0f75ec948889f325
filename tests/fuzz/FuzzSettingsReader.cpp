// The settings reader on any bytes as a file, with any load selection. The first two bytes
// of an input choose what the load filter dialog answers (ten boxes, or cancel); the rest
// is the file. Besides the sanitizers' checks: the result is one the reader defines, the
// user is told exactly when the reader says so, a completed load holds only values in the
// ranges the file format allows and touches only what was chosen, and a completed full
// load written out by the writer reads back to the same settings.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "pedal/Channel.h"
#include "prompts/LoadFilter.h"
#include "prompts/ScriptedPrompts.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"
#include "sys/UniqueFd.h"

namespace {

// The file the reader reads: a memory file, reached through its /proc/self/fd link (a
// regular file for stat and open), rewritten for every input.
class MemoryFile {
  public:
    MemoryFile() : fd_(::memfd_create("trimdeck-fuzz-settings", MFD_CLOEXEC)) {
        FUZZ_CHECK(fd_.get() >= 0);
        path_ = "/proc/self/fd/" + std::to_string(fd_.get());
    }
    const std::string& Write(const std::uint8_t* data, std::size_t size) {
        FUZZ_CHECK(::ftruncate(fd_.get(), 0) == 0);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pwrite(fd_.get(), data + done, size - done, static_cast<off_t>(done));
            FUZZ_CHECK(n > 0);
            done += static_cast<std::size_t>(n);
        }
        return path_;
    }

  private:
    sys::UniqueFd fd_;
    std::string path_;
};

MemoryFile& File() {
    static MemoryFile file;
    return file;
}

struct Channels {
    pedal::Channel clutch{pedal::ClutchIndex};
    pedal::Channel brake{pedal::BreakIndex};
    pedal::Channel throttle{pedal::ThrottleIndex};
};

bool In(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    return v >= lo && v <= hi;
}

// A channel after a completed load: the chosen settings in their ranges, the rest as before.
void CheckLoaded(const pedal::Channel& c, const pedal::Channel& before, bool min, bool max,
                 bool limit, bool adj) {
    FUZZ_CHECK(min ? In(c.DeadZoneMin, 0, 10000) : c.DeadZoneMin == before.DeadZoneMin);
    FUZZ_CHECK(max ? In(c.DeadZoneMax, 0, 10000) : c.DeadZoneMax == before.DeadZoneMax);
    FUZZ_CHECK(limit ? In(c.BreakOutputLimit, 0, 1000)
                     : c.BreakOutputLimit == before.BreakOutputLimit);
    FUZZ_CHECK(c.CalibMin == before.CalibMin && c.CalibMax == before.CalibMax);
    if (!adj) {
        FUZZ_CHECK(c.CalcType == before.CalcType && c.Exponent == before.Exponent &&
                   c.OnePointValue == before.OnePointValue &&
                   c.OnePointOffset == before.OnePointOffset &&
                   c.MultiPointArray == before.MultiPointArray);
        return;
    }
    FUZZ_CHECK(In(static_cast<std::int32_t>(c.CalcType), 0, 3));
    FUZZ_CHECK(In(c.Exponent, 767, 64767));
    FUZZ_CHECK(In(c.OnePointValue, 10, 990) && In(c.OnePointOffset, 10, 990));
    for (const std::int32_t p : c.MultiPointArray)
        FUZZ_CHECK(In(p, 0, 1000));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const unsigned boxes = data[0] | (data[1] & 0x03) << 8;
    const bool cancel = (data[1] & 0x80) != 0;
    const auto box = [&](int i) { return (boxes >> i & 1) != 0; };
    const prompts::LoadFilter filter{box(0), box(1), box(2), box(3), box(4),
                                     box(5), box(6), box(7), box(8), box(9)};
    const std::string& path = File().Write(data + 2, size - 2);

    prompts::ScriptedPrompts prompts;
    if (!cancel) prompts.FilterAnswers.push_back(filter);
    const Channels before;
    Channels ch;
    const int result =
        settings::LoadConfigQuorvane(path, ch.clutch, ch.brake, ch.throttle, prompts);

    const bool asked = !prompts.Shown.empty() && prompts.Shown.front() == "load filter";
    switch (result) {
        case settings::LoadDone:
            FUZZ_CHECK(!cancel && asked && prompts.Messages.empty());
            break;
        case settings::LoadCancelled:
            FUZZ_CHECK(cancel && asked && prompts.Messages.empty());
            break;
        case settings::LoadNotSettings:
        case settings::LoadWrongVersion:
        case settings::LoadWrongModel:
            // Refused from the root alone: nothing asked, nothing shown, nothing loaded.
            FUZZ_CHECK(prompts.Shown.empty());
            FUZZ_CHECK(settings::LoadResultMessage(result) != nullptr);
            break;
        case settings::LoadFailed:
            FUZZ_CHECK(!prompts.Messages.empty());
            break;
        default:
            FUZZ_CHECK(!"a result the reader does not define");
    }
    if (result == settings::LoadDone || result == settings::LoadCancelled ||
        result == settings::LoadFailed)
        FUZZ_CHECK(settings::LoadResultMessage(result) == nullptr);
    // A text taken from the file is cut short, so no message grows with the file.
    for (const std::string& m : prompts.Messages)
        FUZZ_CHECK(m.size() <= 400);
    if (result != settings::LoadDone) return 0;

    const prompts::LoadFilter& f = filter;
    CheckLoaded(ch.clutch, before.clutch, f.ClutchStartDead, f.ClutchEndDead, false, f.ClutchAdj);
    CheckLoaded(ch.brake, before.brake, f.BreakStartDead, f.BreakEndDead, f.BreakBreakLimit,
                f.BreakAdj);
    CheckLoaded(ch.throttle, before.throttle, f.ThrottleStartDead, f.ThrottleEndDead, false,
                f.ThrottleAdj);

    // What the writer makes of the loaded settings reads back to the same settings.
    const std::string text = settings::ConfigDocumentText(ch.clutch, ch.brake, ch.throttle);
    const std::string& again =
        File().Write(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    prompts::ScriptedPrompts all;
    all.FilterAnswers.push_back(prompts::LoadFilter{});
    Channels back;
    FUZZ_CHECK(settings::LoadConfigQuorvane(again, back.clutch, back.brake, back.throttle, all) ==
               settings::LoadDone);
    FUZZ_CHECK(back.clutch.SameSettings(ch.clutch));
    FUZZ_CHECK(back.brake.SameSettings(ch.brake));
    FUZZ_CHECK(back.throttle.SameSettings(ch.throttle));
    return 0;
}
