// A simulated pedal unit on its own thread: serves a PedalUnit over a transport, streams
// values from a synthetic pedal motion, paces the firmware pull, restarts after an update,
// and offers fault switches for tests and the demo. All members are safe from any thread.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "sim/PedalUnit.h"
#include "sim/UnitTransport.h"
#include "sys/EventFd.h"

namespace sim {

class SimulatedUnit {
public:
    struct Options {
        UnitIdentity Identity;
        double ValuesHz = 1000.0;                      // 0: no values messages
        std::chrono::microseconds ChunkDelay{0};       // pause before each chunk request
        // From the last chunk request to the restart: long enough for the host to answer that
        // request (its poll runs every 10 ms) before the connection goes.
        std::chrono::milliseconds RestartDelay{1000};
        std::chrono::milliseconds MotionPeriod{3000};  // one press and release of a pedal
    };

    SimulatedUnit();
    explicit SimulatedUnit(Options options);
    ~SimulatedUnit();
    SimulatedUnit(const SimulatedUnit&) = delete;
    SimulatedUnit& operator=(const SimulatedUnit&) = delete;

    // Plugs the unit in over a new socket pair and returns the host's end. A connection the
    // unit still had is dropped first.
    sys::UniqueFd Connect();
    // Plugs the unit in over another transport.
    void Attach(std::unique_ptr<UnitTransport> transport);
    // Unplugs: the unit's end closes and the host's reads fail.
    void Unplug();
    bool IsConnected() const;
    // How many connections the unit has had.
    int ConnectionCount() const;

    // Runs on the unit's thread when the unit has dropped its connection to restart after a
    // verified firmware image; a platform uses it to plug the unit in again.
    void SetOnRestart(std::function<void()> onRestart);

    // --- fault switches and controls ---
    void SetStalled(bool stalled);  // stop reading, so the host's writes back up
    void SetIdentity(const UnitIdentity& identity);
    // Stores `settings` for channel `index` (0..2) as if saved, and puts them in force.
    void SetSettings(int index, const pedal::Channel& settings);
    void SetValuesRate(double hz);
    // Holds channel `index` at `raw`; nothing returns it to the synthetic motion.
    void SetRaw(int index, std::optional<std::uint16_t> raw);
    // Sends a 64-byte message holding `payload` (arbitrary bytes, unknown codes).
    void SendMessage(std::span<const std::uint8_t> payload);
    // Sends one packet exactly as given (any length), report ID included.
    void SendPacket(std::span<const std::uint8_t> packet);
    // Sends `count` values messages back to back.
    void Flood(int count);

    // --- observation ---
    // Every report the host wrote, oldest first, since the unit was made.
    std::vector<pedal::Report> ReceivedReports() const;
    // Waits until `done(reports)` holds or `timeout` passes; returns whether it held.
    bool WaitForReports(const std::function<bool(const std::vector<pedal::Report>&)>& done,
                        std::chrono::milliseconds timeout) const;
    // A copy of the unit's state (settings, identity, firmware pull).
    PedalUnit State() const;
    // Runs on the unit's thread right after each values report has been written to the host,
    // with the message it carried; for measurements (none by default). It runs with the unit
    // locked, so it must be quick and must not call the unit.
    void SetOnValuesSent(std::function<void(const pedal::Message& values)> onValuesSent);

private:
    using Clock = std::chrono::steady_clock;

    void Run();
    void ServiceLocked(Clock::time_point now, std::function<void()>& afterUnlock);
    void ReceiveLocked(Clock::time_point now);
    void QueueLocked(const pedal::Message& m);
    void FlushLocked();
    void DropTransportLocked();
    std::array<std::uint16_t, 3> RawLocked(Clock::time_point now) const;

    Options options_;
    mutable std::mutex mutex_;
    mutable std::condition_variable received_;
    PedalUnit unit_;
    std::unique_ptr<UnitTransport> transport_;
    std::deque<std::vector<std::uint8_t>> outbox_;
    std::vector<pedal::Report> receivedLog_;
    std::deque<Clock::time_point> chunkRequestsDue_;
    std::optional<Clock::time_point> restartAt_;
    bool restartAfterChunk_ = false;
    bool stalled_ = false;
    bool quit_ = false;
    int connections_ = 0;
    std::array<std::optional<std::uint16_t>, 3> heldRaw_{};
    Clock::time_point start_ = Clock::now();
    Clock::time_point nextValues_ = Clock::now();
    std::function<void()> onRestart_;
    std::function<void(const pedal::Message&)> onValuesSent_;
    sys::EventFd wake_;
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace sim
