// Fault soak on the virtual platform: four units streaming values at 1 kHz are plugged and
// unplugged hundreds of times under the window, while some send garbage, some stall (one
// until the host gives up on it) and a firmware transfer is started, cancelled and started
// again. Each cycle ends only when the window shows exactly the units present; at the end
// no descriptor, thread or memory is left over.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "MainForm.h"
#include "ProcessCounts.h"
#include "UpdateProgressForm.h"
#include "device/virtual/VirtualHidPlatform.h"
#include "firmware/FirmwareImage.h"
#include "firmware/Transfer.h"
#include "prompts/ScriptedPrompts.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TRIMDECK_SOAK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TRIMDECK_SOAK_SANITIZED 1
#endif
#endif

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

#ifdef TRIMDECK_SOAK_SANITIZED
constexpr bool Sanitized = true;
constexpr int Slow = 4;  // deadlines stretch under the sanitizers
#else
constexpr bool Sanitized = false;
constexpr int Slow = 1;
#endif

constexpr int UnitCount = 4;
constexpr double ValuesHz = 1000.0;
constexpr int CycleDeadlineMs = 10000 * Slow;
constexpr std::chrono::milliseconds RestartDelay{1000};
// A marker the units ignore: [0x7E, tag, sequence].
constexpr std::uint8_t MarkerCode = 0x7E;

int EnvInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    if (!v || !*v) return fallback;
    char* end = nullptr;
    const long n = std::strtol(v, &end, 10);
    return *end == '\0' && n >= 0 ? static_cast<int>(n) : fallback;
}

std::string Path(int n) {
    return "/dev/soak" + std::to_string(n);
}

// Runs the event loop until `done` holds or `ms` pass; returns whether it held.
template <typename Pred>
bool RunUntil(Pred done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Waits (without an event loop: nothing of the window is left) until `done` holds.
template <typename Pred>
bool WaitUntil(Pred done, std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // between looks at /proc
    }
    return true;
}

// Deletes the widgets whose deletion was posted (pages of dropped units).
void FlushDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct Stats {
    int Cycles = 0;
    int Garbage = 0;
    int Stalls = 0;
    int GiveUps = 0;  // stalled units the host dropped after a write timed out
    int Transfers = 0;
    int Cancels = 0;
};

// Four simulated units on a virtual platform, the window over them, and the faults.
class SoakRig {
  public:
    explicit SoakRig(std::uint32_t seed) : rng_(seed) {
        for (int n = 0; n < UnitCount; ++n) {
            sim::SimulatedUnit::Options o;
            o.Identity.SerialNum = 0x100 + static_cast<std::uint32_t>(n);
            o.ValuesHz = ValuesHz;
            // A unit restarts some time after its last chunk request. Were it to go within a
            // tick or two, a late tick (a loaded machine) would drop it with that request
            // still queued, unhandled, and the progress window would wait for Cancel.
            o.RestartDelay = RestartDelay;
            units_[static_cast<std::size_t>(n)] = &platform_.AddUnit(Path(n), o);
        }
        form_ = std::make_unique<MainForm>(platform_, prompts_);
        form_->show();
    }
    // The window goes first: its units say goodbye to simulated units that still run.
    ~SoakRig() {
        form_.reset();
        FlushDeferredDeletes();
    }
    SoakRig(const SoakRig&) = delete;
    SoakRig& operator=(const SoakRig&) = delete;

    Stats stats;
    std::string failure;  // the first thing that went wrong; empty while all is well

    bool Failed() const { return !failure.empty(); }
    bool Fail(const std::string& what) {
        if (failure.empty()) failure = "cycle " + std::to_string(stats.Cycles) + ": " + what;
        return false;
    }

    Global& global() { return form_->global(); }
    sim::SimulatedUnit& Sim(int n) { return *units_[static_cast<std::size_t>(n)]; }
    device::VirtualHidPlatform& platform() { return platform_; }
    prompts::ScriptedPrompts& prompts() { return prompts_; }

    // The window's unit for simulated unit `n`, if it has one.
    device::HidDevice* Dev(int n) {
        for (auto& d : global().HidDevList)
            if (d->DevPath() == Path(n)) return d.get();
        return nullptr;
    }
    int IndexOf(const device::HidDevice* d) {
        for (int i = 0; i < form_->tc_Product->count(); ++i)
            if (UnitOf(i) == d) return i;
        return -1;
    }
    device::HidDevice* UnitOf(int page) {
        return static_cast<device::HidDevice*>(
            form_->tc_Product->widget(page)->property("unit").value<void*>());
    }
    int NumberOf(int page) { return form_->tc_Product->widget(page)->property("number").toInt(); }
    int PageNumberOf(const device::HidDevice* d) {
        const int i = d ? IndexOf(d) : -1;
        return i < 0 ? 0 : NumberOf(i);
    }
    int CurrentUnit() {
        for (int n = 0; n < UnitCount; ++n)
            if (Dev(n) && Dev(n) == global().CurrentDevice) return n;
        return -1;
    }

    // Every plugged, running unit is listed once, identified, on a page made after
    // `renewAbove_` (so a unit that went away is a new unit now); nothing else is listed.
    bool Settled() {
        std::size_t plugged = 0;
        for (int n = 0; n < UnitCount; ++n) {
            device::HidDevice* d = Dev(n);
            if (!platform_.IsPlugged(Path(n))) {
                if (d) return false;
                continue;
            }
            ++plugged;
            if (!d || d->HasError || d->BuildNum != pedal::RequiredBuildNum ||
                PageNumberOf(d) <= renewAbove_[static_cast<std::size_t>(n)])
                return false;
        }
        return global().HidDevList.size() == plugged &&
               form_->tc_Product->count() == static_cast<int>(plugged);
    }
    bool Settle(const std::string& after) {
        if (Failed()) return false;
        if (RunUntil([&] { return Settled(); }, CycleDeadlineMs)) return true;
        return Fail("not settled after " + after + ": " + State());
    }

    // Watches a transfer while other units are cycled: each cycle may take its time, but
    // the position has to move on within a cycle's deadline.
    class Progress {
      public:
        Progress(SoakRig& rig, int n, const UpdateProgressForm& f) : rig_(rig), n_(n), f_(f) {
            since_.start();
        }
        bool Check() {
            const device::HidDevice* d = rig_.Dev(n_);
            if (d && d->FWDataSendPos != pos_) {
                pos_ = d->FWDataSendPos;
                since_.restart();
                return true;
            }
            if (since_.elapsed() <= CycleDeadlineMs) return true;
            return rig_.Fail("the transfer stopped at " + f_.lb_byte->text().toStdString() + ": " +
                             rig_.UnitReport(n_));
        }

      private:
        SoakRig& rig_;
        int n_;
        const UpdateProgressForm& f_;
        QElapsedTimer since_;
        std::int32_t pos_ = -1;
    };

    // The transfer as both ends see it, for failure messages.
    std::string UnitReport(int n) {
        std::ostringstream s;
        const sim::PedalUnit state = Sim(n).State();
        s << "unit " << n << " connected " << Sim(n).IsConnected() << " pulling "
          << (state.Pull ? std::to_string(state.Pull->Data.size()) + "/" +
                               std::to_string(state.Pull->Length)
                         : std::string("nothing"))
          << ", received " << Received(n, pedal::CmdUpdateStart) << " announcements, "
          << Received(n, pedal::CmdUpdateData) << " chunks, "
          << Received(n, pedal::CmdUpdateDisable) << " cancels; " << State();
        return s.str();
    }

    // What the window shows against what is plugged, for failure messages.
    std::string State() {
        std::ostringstream s;
        for (int n = 0; n < UnitCount; ++n) {
            device::HidDevice* d = Dev(n);
            s << "[" << n << (platform_.IsPlugged(Path(n)) ? " plugged" : " out") << " conns "
              << Sim(n).ConnectionCount();
            if (d)
                s << " listed build " << d->BuildNum << " error " << d->HasError.load() << " page #"
                  << PageNumberOf(d);
            s << " needs page > #" << renewAbove_[static_cast<std::size_t>(n)] << "] ";
        }
        s << "list " << global().HidDevList.size() << " pages " << form_->tc_Product->count();
        return s.str();
    }

    // The window's state against the units present: one page per listed unit in list
    // order, the selected page's unit current and holding the controls, no page left over.
    ::testing::AssertionResult WindowMatchesUnits() {
        auto& list = global().HidDevList;
        std::set<std::string> present, listed;
        for (int n = 0; n < UnitCount; ++n)
            if (platform_.IsPlugged(Path(n))) present.insert(Path(n));
        for (const auto& d : list) {
            if (!listed.insert(d->DevPath()).second)
                return ::testing::AssertionFailure() << d->DevPath() << " listed twice";
            if (d->HasError) return ::testing::AssertionFailure() << d->DevPath() << " failed";
            const int n = d->DevPath().back() - '0';
            if (d->SerialNum != 0x100u + static_cast<unsigned>(n) ||
                d->BuildNum != pedal::RequiredBuildNum)
                return ::testing::AssertionFailure() << d->DevPath() << " identified as serial "
                                                     << d->SerialNum << " build " << d->BuildNum;
        }
        if (present != listed)
            return ::testing::AssertionFailure()
                   << "listed units differ from the plugged ones: " << State();
        QTabWidget& tabs = *form_->tc_Product;
        if (tabs.count() != static_cast<int>(list.size()))
            return ::testing::AssertionFailure()
                   << tabs.count() << " pages for " << list.size() << " units";
        for (int i = 0; i < tabs.count(); ++i) {
            if (UnitOf(i) != list[static_cast<std::size_t>(i)].get())
                return ::testing::AssertionFailure() << "page " << i << " shows another unit";
            if (i > 0 && NumberOf(i) <= NumberOf(i - 1))
                return ::testing::AssertionFailure() << "page numbers out of order at " << i;
            if (tabs.tabText(i) != QString("Quorvane #%1").arg(NumberOf(i)))
                return ::testing::AssertionFailure()
                       << "page " << i << " caption " << tabs.tabText(i).toStdString();
        }
        if (list.empty()) {
            if (global().CurrentDevice || tabs.currentIndex() != -1)
                return ::testing::AssertionFailure() << "a current unit without units";
            if (form_->tc_Family->isVisible() || form_->label10->text() != ConnectText)
                return ::testing::AssertionFailure() << "the connect text is not shown";
        } else {
            const int i = tabs.currentIndex();
            if (i < 0 || i >= tabs.count())
                return ::testing::AssertionFailure() << "no page selected";
            if (global().CurrentDevice != list[static_cast<std::size_t>(i)].get())
                return ::testing::AssertionFailure() << "the current unit is not page " << i;
            if (form_->bt_FWUpdate->parentWidget() != tabs.widget(i) ||
                !form_->tc_Family->isVisible())
                return ::testing::AssertionFailure() << "the controls are not on the page";
        }
        // Pages of dropped units are deleted, not piled up.
        FlushDeferredDeletes();
        int pages = 0;
        for (const QWidget* w : form_->findChildren<QWidget*>())
            if (w->property("unit").isValid()) ++pages;
        if (pages != tabs.count())
            return ::testing::AssertionFailure()
                   << pages << " unit pages alive for " << tabs.count() << " tabs";
        return ::testing::AssertionSuccess();
    }

    // --- faults ---

    // Unit `n` goes out and comes back in one of three ways; the window must drop it and
    // find it again as a new unit.
    bool PlugCycle(int n) {
        if (Failed()) return false;
        const std::string path = Path(n);
        renewAbove_[static_cast<std::size_t>(n)] = global().NumDeviceCounter;
        const int connections = Sim(n).ConnectionCount();
        switch (Pick(3)) {
            case 0:  // out until the window has dropped it, then in again
                platform_.Unplug(path);
                if (!RunUntil([&] { return Dev(n) == nullptr; }, CycleDeadlineMs))
                    return Fail("unplugged " + path + " still listed: " + State());
                platform_.Replug(path);
                break;
            case 1:  // out and straight back in: an arrival for a path the list still holds
                platform_.Replug(path);
                break;
            default:  // back in once the unit's thread has seen it go, dropped or not
                if (device::HidDevice* d = Dev(n)) {
                    platform_.Unplug(path);
                    if (!RunUntil([&] { return Dev(n) != d || d->HasError.load(); },
                                  CycleDeadlineMs))
                        return Fail("the I/O thread of " + path + " missed the unplug");
                } else {
                    platform_.Unplug(path);
                }
                platform_.Replug(path);
                break;
        }
        if (Pick(2) == 0) Garbage(Pick(UnitCount), spared_);
        ++stats.Cycles;
        if (!Settle("plugging " + path)) return false;
        if (Sim(n).ConnectionCount() <= connections) return Fail(path + " was not connected again");
        return true;
    }

    // A plug cycle of a unit other than `spared`.
    bool PlugCycleOfAnother(int spared) {
        int n = Pick(UnitCount - 1);
        if (n >= spared) ++n;
        return PlugCycle(n);
    }

    // Unit `n` sends one to three things no host asked for: unknown codes, values and
    // settings of random bytes, packets of any length (an empty one reads as a closed
    // connection: the host drops the unit and finds it again).
    void Garbage(int n, int spared = -1) {
        if (n == spared) return;
        ++stats.Garbage;
        for (int k = Pick(3); k >= 0; --k) {
            std::array<std::uint8_t, 80> bytes{};
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(Pick(256));
            switch (Pick(8)) {
                case 0:
                    bytes[0] = pedal::CmdValues;
                    Sim(n).SendMessage(std::span(bytes.data(), pedal::MESSAGESIZEVALID));
                    break;
                case 1:
                    bytes[0] = pedal::CmdLoadConfig;
                    Sim(n).SendMessage(std::span(bytes.data(), pedal::MESSAGESIZEVALID));
                    break;
                case 2:
                    Tame(bytes[1]);
                    Sim(n).SendPacket(std::span(bytes.data(), 1 + Pick(80)));
                    break;
                case 3:
                    if (Pick(4) == 0) Sim(n).SendPacket(std::span(bytes.data(), 0));
                    break;
                default:
                    Tame(bytes[0]);
                    Sim(n).SendMessage(std::span(bytes.data(), pedal::MESSAGESIZEVALID));
                    break;
            }
        }
    }
    // Any code but the hello's answer (it would give the unit another identity), the save
    // acknowledgment (a message box) and the chunk request (which a unit holding an image
    // would be answered).
    static void Tame(std::uint8_t& code) {
        if (code == pedal::CmdComStart || code == pedal::CmdSaveConfig ||
            code == pedal::CmdUpdateStart)
            code = 0xFF;
    }

    // Unit `s` stops reading while the host writes to it and unit `n` is cycled; once it
    // reads again it has every report, in order.
    bool StallAndRecover(int s, int n) {
        if (Failed()) return false;
        device::HidDevice* d = Dev(s);
        if (!d) return Fail("no unit to stall");
        ++stats.Stalls;
        const auto tag = static_cast<std::uint8_t>(++markerTag_);
        Sim(s).SetStalled(true);
        for (std::uint8_t k = 0; k < 6; ++k)
            d->SendData(std::array<std::uint8_t, 3>{MarkerCode, tag, k});
        spared_ = s;  // an empty packet would drop it, and what it has not read with it
        const bool cycled = PlugCycle(n);
        spared_ = -1;
        Sim(s).SetStalled(false);
        if (!cycled) return false;
        const bool all = RunUntil(
            [&] {
                std::vector<std::uint8_t> seen;
                for (const auto& r : Sim(s).ReceivedReports())
                    if (r[1] == MarkerCode && r[2] == tag) seen.push_back(r[3]);
                return seen == std::vector<std::uint8_t>{0, 1, 2, 3, 4, 5};
            },
            CycleDeadlineMs);
        if (!all) return Fail("a stalled unit lost reports written to it");
        return Settle("a stall");
    }

    // Unit `s` stalls and is unplugged while stalled, then plugged in still stalled: the
    // window finds it but gets no answer until it reads again.
    bool UnplugWhileStalled(int s) {
        if (Failed()) return false;
        ++stats.Stalls;
        renewAbove_[static_cast<std::size_t>(s)] = global().NumDeviceCounter;
        Sim(s).SetStalled(true);
        if (device::HidDevice* d = Dev(s))
            d->SendData(std::array<std::uint8_t, 3>{MarkerCode, 0, 0});
        platform_.Unplug(Path(s));
        if (!RunUntil([&] { return Dev(s) == nullptr; }, CycleDeadlineMs))
            return Fail("a stalled unit unplugged stays listed");
        const int base = global().NumDeviceCounter;
        platform_.Replug(Path(s));
        if (!RunUntil([&] { return PageNumberOf(Dev(s)) > base; }, CycleDeadlineMs))
            return Fail("a stalled unit plugged in is not found");
        if (Dev(s)->BuildNum != 0) return Fail("a stalled unit answered");
        Sim(s).SetStalled(false);
        ++stats.Cycles;
        return Settle("unplugging a stalled unit");
    }

    // Unit `s` stalls while the host keeps writing: once a write has waited its deadline the
    // host gives up on the unit, the window drops it and connects again (still stalled);
    // when the unit reads again it is identified.
    bool StallUntilDropped(int s) {
        if (Failed()) return false;
        device::HidDevice* d = Dev(s);
        if (!d) return Fail("no unit to stall");
        ++stats.Stalls;
        ++stats.GiveUps;
        renewAbove_[static_cast<std::size_t>(s)] = global().NumDeviceCounter;
        const int base = global().NumDeviceCounter;
        Sim(s).SetStalled(true);
        // The host writes on (as edits would) until the socket is full and a write waits
        // out its deadline; a few hundred reports fill it.
        bool failed = false;
        int written = 0;
        const int deadline =
            CycleDeadlineMs + 2 * static_cast<int>(device::HidDevice::WriteTimeout.count());
        const bool renewed = RunUntil(
            [&] {
                if (PageNumberOf(Dev(s)) > base) return true;
                failed = failed || Dev(s) != d || d->HasError;
                for (int k = 0; k < 32 && !failed && written < 20000; ++k, ++written)
                    d->SendData(std::array<std::uint8_t, 3>{MarkerCode, 0,
                                                            static_cast<std::uint8_t>(written)});
                return false;
            },
            deadline);
        if (!renewed)
            return Fail("a unit that stopped reading was not given up after " +
                        std::to_string(written) + " reports: " + State());
        Sim(s).SetStalled(false);
        ++stats.Cycles;
        return Settle("a unit the host gave up on");
    }

    // --- firmware ---

    // Clicks "Firmware update" for `file`, answering Yes; once the progress window shows,
    // `whileOpen` runs in its modal loop. A window still open at the deadline is closed by
    // force (so nothing hangs) and counts as a failure. True when a window opened.
    bool ClickUpdate(const std::string& file,
                     const std::function<void(UpdateProgressForm&)>& whileOpen) {
        prompts_.FileAnswers = {file};
        prompts_.YesNoAnswers = {true};
        UpdateProgressForm* before = global().updateForm;
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            UpdateProgressForm* f = global().updateForm;
            if (!f || f == before || !f->isVisible()) return;
            watch.stop();
            whileOpen(*f);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            if (UpdateProgressForm* f = global().updateForm; f && f->isVisible()) {
                Fail("the progress window was still open at the deadline");
                f->CloseForGood();
            }
        });
        watch.start();
        watchdog.start(120000 * Slow);
        form_->bt_FWUpdate->click();
        return global().updateForm && global().updateForm != before;
    }

    static void ClickCancel(UpdateProgressForm& f) {
        f.findChild<QPushButton*>("bt_updisable")->click();
    }

    // Started on the current unit, cancelled part way (or its unit unplugged part way and
    // plugged in again), started again and completed, while other units are cycled. The
    // unit checks the image, restarts and is found again.
    bool FirmwareEpisode(const std::string& file, std::size_t imageLength, bool unplugMidway) {
        if (Failed()) return false;
        const int p = CurrentUnit();
        if (p < 0) return Fail("no current unit for the update");
        const int disables = Received(p, pedal::CmdUpdateDisable);
        spared_ = p;  // garbage from the unit being updated could end its transfer
        ++stats.Transfers;
        ++stats.Cancels;
        const bool opened = ClickUpdate(file, [&](UpdateProgressForm& f) {
            // Part of the image goes out while other units come and go.
            Progress moving(*this, p, f);
            do {
                if (!PlugCycleOfAnother(p) || !moving.Check()) break;
            } while (Dev(p) && static_cast<std::size_t>(Dev(p)->FWDataSendPos) < imageLength / 4);
            if (!Failed() && !Dev(p)) Fail("the unit being updated was dropped");
            if (!Failed() && unplugMidway) {
                // The unit goes away mid-transfer; the window stays open with nothing to
                // send, and the unit comes back without the image.
                renewAbove_[static_cast<std::size_t>(p)] = global().NumDeviceCounter;
                platform_.Unplug(Path(p));
                if (!RunUntil([&] { return Dev(p) == nullptr; }, CycleDeadlineMs))
                    Fail("a unit unplugged mid-transfer stays listed");
                else if (!f.isVisible())
                    Fail("the progress window closed when its unit went");
                platform_.Replug(Path(p));
                ++stats.Cycles;
                if (Settle("a unit unplugged mid-transfer") && Dev(p)->FWData)
                    Fail("a unit plugged in again holds an image");
            } else if (!Failed() && global().CurrentDevice != Dev(p)) {
                Fail("the unit being updated is not current any more");
            }
            ClickCancel(f);
            if (!Failed() && f.isVisible()) Fail("Cancel left the progress window open");
        });
        spared_ = -1;
        if (!opened) return Fail("the first update opened no progress window");
        if (Failed()) return false;
        // Cancelled: the unit was told to drop its pull; unplugged: it lost it on power-up.
        if (!RunUntil(
                [&] {
                    return (unplugMidway || Received(p, pedal::CmdUpdateDisable) > disables) &&
                           !Sim(p).State().Pull;
                },
                CycleDeadlineMs))
            return Fail("the cancelled unit kept its pull");
        if (Sim(p).State().UpdatesVerified + Sim(p).State().UpdatesRejected != verified_[p])
            return Fail("a cancelled transfer reached its end");
        if (!unplugMidway) {
            // A chunk that was on its way when the unit was told to stop made it ask once
            // more, and a cancelled transfer still answers (the position is kept). Like a
            // user, the soak lets that settle before starting again: a save acknowledgment
            // sent behind the request shows once the request has been handled.
            const int saved = Saved();
            Sim(p).SendMessage(std::array<std::uint8_t, 1>{pedal::CmdSaveConfig});
            if (!RunUntil([&] { return Saved() > saved; }, CycleDeadlineMs))
                return Fail("the cancelled unit's messages are not handled");
        }

        // Again, to the end, on whichever unit is current now.
        const int t = CurrentUnit();
        if (t < 0) return Fail("no current unit for the second update");
        ++stats.Transfers;
        const int completions = Completions();
        const int updatedPage = PageNumberOf(Dev(t));  // the page that goes with the restart
        spared_ = t;
        const bool reopened = ClickUpdate(file, [&](UpdateProgressForm& f) {
            Progress moving(*this, t, f);
            while (f.isVisible() && !Failed())
                if (!PlugCycleOfAnother(t) || !moving.Check()) break;
            if (Failed()) return;
            if (!RunUntil([&] { return !f.isVisible(); }, CycleDeadlineMs))
                Fail("the transfer did not complete: " + f.lb_byte->text().toStdString());
        });
        spared_ = -1;
        renewAbove_[static_cast<std::size_t>(t)] = updatedPage;
        if (!reopened) return Fail("the second update opened no progress window");
        if (Failed()) return false;
        if (Completions() != completions + 1) {
            std::string shown;
            for (const auto& m : prompts_.Messages)
                shown += "\n  " + m.substr(0, 60);
            return Fail("completion messages " + std::to_string(Completions()) + ", expected " +
                        std::to_string(completions + 1) + "; messages:" + shown);
        }
        if (!RunUntil([&] { return Sim(t).State().UpdatesVerified == verified_[t] + 1; },
                      CycleDeadlineMs))
            return Fail("the unit did not verify its image");
        verified_[t] = Sim(t).State().UpdatesVerified;
        if (Sim(t).State().UpdatesRejected != 0) return Fail("the unit rejected an image");
        ++stats.Cycles;
        return Settle("a completed update (the unit restarts)");
    }

    int Received(int n, std::uint8_t code) {
        int count = 0;
        for (const auto& r : Sim(n).ReceivedReports())
            if (r[1] == code) ++count;
        return count;
    }
    int Saved() {
        const auto& m = prompts_.Messages;
        return static_cast<int>(
            std::count(m.begin(), m.end(), std::string("Settings successfully saved to Pedal")));
    }
    int Completions() {
        const auto& m = prompts_.Messages;
        return static_cast<int>(std::count(m.begin(), m.end(), firmware::CompletionMessage));
    }

    int Pick(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }

  private:
    device::VirtualHidPlatform platform_;
    prompts::ScriptedPrompts prompts_;
    std::array<sim::SimulatedUnit*, UnitCount> units_{};
    std::unique_ptr<MainForm> form_;
    std::mt19937 rng_;
    std::array<int, UnitCount> renewAbove_{};
    std::array<int, UnitCount> verified_{};
    int markerTag_ = 0;
    int spared_ = -1;  // a unit that sends no garbage for now
};

Bytes Pattern(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(7 + i * 31);
    return b;
}

class FaultSoak : public ::testing::Test {
  protected:
    FaultSoak()
        : file_(fs::temp_directory_path() /
                ("trimdeck-soak-" + std::to_string(::getpid()) + ".bin")) {
        // Same build as the units have, so the restarted unit needs no warning.
        const Bytes bytes = firmware::MakeFirmwareFile(Pattern(4096), pedal::RequiredBuildNum);
        imageLength_ = bytes.size() - firmware::LeadingBlockSize;
        std::ofstream(file_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    ~FaultSoak() override {
        std::error_code ec;
        fs::remove(file_, ec);
    }

    fs::path file_;
    std::size_t imageLength_ = 0;
};

// What a threads check waits for: threads that were joined may take a moment to leave
// /proc/self/task.
constexpr std::chrono::milliseconds SettleTime{5000 * Slow};

TEST_F(FaultSoak, PlugCyclesWithFaultsLeaveNothingBehindAndTheWindowMatchesTheUnits) {
    const int cycles = EnvInt("TRIMDECK_SOAK_CYCLES", 500);
    const auto seed = static_cast<std::uint32_t>(EnvInt("TRIMDECK_SOAK_SEED", 9));
    RecordProperty("cycles", cycles);
    RecordProperty("seed", static_cast<int>(seed));

    // Warm-up: Qt opens descriptors and starts threads lazily (fonts, the platform, the
    // first dialog), so one short run comes before the counts taken as the baseline.
    {
        SoakRig warm(seed + 1);
        ASSERT_TRUE(warm.Settle("start")) << warm.failure;
        ASSERT_TRUE(warm.PlugCycle(0)) << warm.failure;
        ASSERT_TRUE(warm.ClickUpdate(file_.string(), [](UpdateProgressForm& f) {
            SoakRig::ClickCancel(f);
        })) << warm.failure;
        ASSERT_FALSE(warm.Failed()) << warm.failure;
    }
    const int fdsBefore = soak::OpenFdCount();
    const auto tasksBefore = soak::OwnTasks();

    const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    long rssEarly = -1, rssLate = -1;
    int fdsRunning = -1;
    std::size_t tasksRunning = 0;
    {
        SoakRig rig(seed);
        ASSERT_TRUE(rig.Settle("start")) << rig.failure;
        ASSERT_TRUE(rig.WindowMatchesUnits());

        // The episodes and stalls fall at fixed points of the run; plain cycles fill the rest.
        const int episodeEvery = std::max(cycles / 4, 40);
        int nextEpisode = std::min(60, cycles / 2), episodes = 0;
        while (rig.stats.Cycles < cycles && !rig.Failed()) {
            const int c = rig.stats.Cycles;
            const int n = c % UnitCount;
            const int other = (n + 1 + rig.Pick(UnitCount - 1)) % UnitCount;
            if (c >= nextEpisode) {
                rig.FirmwareEpisode(file_.string(), imageLength_, episodes % 2 == 1);
                ++episodes;
                nextEpisode += episodeEvery;
            } else if (c % 100 == 33) {
                rig.StallUntilDropped(other);
            } else if (c % 50 == 21) {
                rig.UnplugWhileStalled(other);
            } else if (c % 25 == 7) {
                rig.StallAndRecover(other, n);
            } else {
                rig.PlugCycle(n);
            }
            if (rig.Failed()) break;
            if (c < 20 && rig.stats.Cycles >= 20) {
                // The first cycles have shown everything there is to show once; from here on
                // descriptors and threads stay level and memory stays in bounds.
                ASSERT_TRUE(rig.WindowMatchesUnits());
                fdsRunning = soak::OpenFdCount();
                tasksRunning = soak::OwnTasks().size();
                rssEarly = soak::ResidentKiB();
            }
        }
        ASSERT_FALSE(rig.Failed()) << rig.failure;
        ASSERT_GE(rig.stats.Cycles, cycles);
        ASSERT_TRUE(rig.Settle("the last cycle")) << rig.failure;
        ASSERT_TRUE(rig.WindowMatchesUnits());
        rssLate = soak::ResidentKiB();

        // The same units are connected as after the first cycles: as many descriptors and
        // threads as then.
        if (fdsRunning >= 0) {
            EXPECT_EQ(soak::OpenFdCount(), fdsRunning);
            EXPECT_TRUE(
                WaitUntil([&] { return soak::OwnTasks().size() == tasksRunning; }, SettleTime))
                << tasksRunning << " threads then, now " << soak::Describe(soak::OwnTasks());
        }

        // The window follows the units present to the end: one goes, then all.
        rig.platform().Unplug(Path(2));
        ASSERT_TRUE(rig.Settle("unplugging one at the end")) << rig.failure;
        EXPECT_TRUE(rig.WindowMatchesUnits());
        EXPECT_EQ(rig.global().HidDevList.size(), 3u);
        for (int n = 0; n < UnitCount; ++n)
            rig.platform().Unplug(Path(n));
        ASSERT_TRUE(rig.Settle("unplugging all")) << rig.failure;
        EXPECT_TRUE(rig.WindowMatchesUnits());
        EXPECT_EQ(rig.global().CurrentDevice, nullptr);

        const Stats& s = rig.stats;
        std::printf(
            "[ soak     ] %d cycles in %.1f s (seed %u): %d garbage bursts, %d stalls (%d given "
            "up by the host), %d transfers (%d cancelled)\n",
            s.Cycles, static_cast<double>(clock.elapsed()) / 1000.0, seed, s.Garbage, s.Stalls,
            s.GiveUps, s.Transfers, s.Cancels);
        EXPECT_GE(s.Transfers, 2);
        EXPECT_GE(s.Cancels, 1);
    }

    // Window and platform gone: every descriptor closed and every thread ended.
    EXPECT_TRUE(WaitUntil([&] { return soak::OpenFdCount() <= fdsBefore; }, SettleTime))
        << soak::OpenFdCount() << " descriptors open, " << fdsBefore << " before";
    EXPECT_TRUE(
        WaitUntil([&] { return soak::OwnTasks().size() <= tasksBefore.size(); }, SettleTime))
        << "before: " << soak::Describe(tasksBefore)
        << "\nafter: " << soak::Describe(soak::OwnTasks());
    std::printf(
        "[ soak     ] descriptors %d -> %d, threads %zu -> %zu (running: %d, %zu), "
        "RSS %ld KiB -> %ld KiB\n",
        fdsBefore, soak::OpenFdCount(), tasksBefore.size(), soak::OwnTasks().size(), fdsRunning,
        tasksRunning, rssEarly, rssLate);

    // Memory: leaks are LeakSanitizer's job (asan build); here the resident size may not
    // keep growing with the cycles. The sanitizers keep freed memory in quarantine, so the
    // bound is for the plain build only.
    if (!Sanitized && rssEarly > 0 && rssLate > 0) {
        EXPECT_LT(rssLate - rssEarly, 32L * 1024)
            << "RSS grew from " << rssEarly << " KiB to " << rssLate << " KiB";
    }
}

}  // namespace
