#include "sim/SimulatedUnit.h"

#include <poll.h>

#include <algorithm>
#include <cmath>

namespace sim {
namespace {
// Values messages the unit lets pile up while the host is not reading (an endpoint holds
// only the newest state; older values are simply not sent).
constexpr std::size_t kMaxQueuedValues = 32;
}  // namespace

SimulatedUnit::SimulatedUnit() : SimulatedUnit(Options{}) {}

SimulatedUnit::SimulatedUnit(Options options)
    : options_(options), unit_(options.Identity), thread_([this] { Run(); }) {}

SimulatedUnit::~SimulatedUnit() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.Signal();
    thread_.join();
}

sys::UniqueFd SimulatedUnit::Connect() {
    auto [host, unitEnd] = sys::MakeSeqPacketPair();
    Attach(std::make_unique<SocketTransport>(std::move(unitEnd)));
    return std::move(host);
}

void SimulatedUnit::Attach(std::unique_ptr<UnitTransport> transport) {
    {
        std::lock_guard lock(mutex_);
        DropTransportLocked();
        unit_.Restart();  // plugging in powers the unit up
        transport_ = std::move(transport);
        ++connections_;
        nextValues_ = Clock::now();
    }
    wake_.Signal();
}

void SimulatedUnit::Unplug() {
    {
        std::lock_guard lock(mutex_);
        DropTransportLocked();
    }
    wake_.Signal();
}

bool SimulatedUnit::IsConnected() const {
    std::lock_guard lock(mutex_);
    return transport_ != nullptr;
}

int SimulatedUnit::ConnectionCount() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

void SimulatedUnit::SetOnRestart(std::function<void()> onRestart) {
    std::lock_guard lock(mutex_);
    onRestart_ = std::move(onRestart);
}

void SimulatedUnit::SetStalled(bool stalled) {
    {
        std::lock_guard lock(mutex_);
        stalled_ = stalled;
    }
    wake_.Signal();
}

void SimulatedUnit::SetIdentity(const UnitIdentity& identity) {
    std::lock_guard lock(mutex_);
    unit_.Identity = identity;
}

void SimulatedUnit::SetSettings(int index, const pedal::Channel& settings) {
    std::lock_guard lock(mutex_);
    if (index < 0 || index > 2) return;
    unit_.Stored[index].AssignSettings(settings);
    unit_.Current[index].AssignSettings(settings);
}

void SimulatedUnit::SetValuesRate(double hz) {
    {
        std::lock_guard lock(mutex_);
        options_.ValuesHz = hz;
        nextValues_ = Clock::now();
    }
    wake_.Signal();
}

void SimulatedUnit::SetRaw(int index, std::optional<std::uint16_t> raw) {
    std::lock_guard lock(mutex_);
    if (index >= 0 && index < 3) heldRaw_[index] = raw;
}

void SimulatedUnit::SendMessage(std::span<const std::uint8_t> payload) {
    {
        std::lock_guard lock(mutex_);
        QueueLocked(pedal::ToMessage(payload));
    }
    wake_.Signal();
}

void SimulatedUnit::SendPacket(std::span<const std::uint8_t> packet) {
    {
        std::lock_guard lock(mutex_);
        outbox_.emplace_back(packet.begin(), packet.end());
    }
    wake_.Signal();
}

void SimulatedUnit::Flood(int count) {
    {
        std::lock_guard lock(mutex_);
        const auto raw = RawLocked(Clock::now());
        for (int i = 0; i < count; ++i) {
            auto r = raw;
            r[0] = static_cast<std::uint16_t>(r[0] + i);  // each one a change
            QueueLocked(unit_.Values(r));
        }
    }
    wake_.Signal();
}

std::vector<pedal::Report> SimulatedUnit::ReceivedReports() const {
    std::lock_guard lock(mutex_);
    return receivedLog_;
}

bool SimulatedUnit::WaitForReports(
    const std::function<bool(const std::vector<pedal::Report>&)>& done,
    std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return received_.wait_for(lock, timeout, [&] { return done(receivedLog_); });
}

PedalUnit SimulatedUnit::State() const {
    std::lock_guard lock(mutex_);
    return unit_;
}

void SimulatedUnit::SetOnValuesSent(std::function<void(const pedal::Message&)> onValuesSent) {
    std::lock_guard lock(mutex_);
    onValuesSent_ = std::move(onValuesSent);
}

void SimulatedUnit::QueueLocked(const pedal::Message& m) {
    std::vector<std::uint8_t> report(pedal::ReportSize, 0);
    std::copy(m.begin(), m.end(), report.begin() + 1);
    outbox_.push_back(std::move(report));
}

void SimulatedUnit::FlushLocked() {
    while (transport_ && !outbox_.empty()) {
        const auto result = transport_->Send(outbox_.front());
        if (result == TransportResult::WouldBlock) return;
        if (result == TransportResult::Closed) {
            // The host has gone; what it wrote before it went is still read.
            if (!stalled_) ReceiveLocked(Clock::now());
            DropTransportLocked();
            return;
        }
        const auto& sent = outbox_.front();
        if (onValuesSent_ && sent.size() == pedal::ReportSize && sent[1] == pedal::CmdValues) {
            pedal::Message m;
            std::copy(sent.begin() + 1, sent.end(), m.begin());
            onValuesSent_(m);
        }
        outbox_.pop_front();
    }
}

void SimulatedUnit::DropTransportLocked() {
    transport_.reset();
    outbox_.clear();
    chunkRequestsDue_.clear();
    restartAfterChunk_ = false;
    restartAt_.reset();  // unplugged: the next plug-in powers the unit up anyway
}

std::array<std::uint16_t, 3> SimulatedUnit::RawLocked(Clock::time_point now) const {
    std::array<std::uint16_t, 3> raw{};
    const double t = std::chrono::duration<double>(now - start_).count();
    const double period = std::chrono::duration<double>(options_.MotionPeriod).count();
    for (int i = 0; i < 3; ++i) {
        if (heldRaw_[i]) {
            raw[i] = *heldRaw_[i];
            continue;
        }
        // A triangle wave per pedal, each with its own pace and phase.
        const double p = period * (1.0 + 0.3 * i);
        const double phase = std::fmod(t / p + 0.25 * i, 1.0);
        const double level = phase < 0.5 ? 2 * phase : 2 - 2 * phase;
        raw[i] = static_cast<std::uint16_t>(std::lround(level * 65535.0));
    }
    return raw;
}

void SimulatedUnit::Run() {
    for (;;) {
        pollfd fds[2] = {{wake_.fd(), POLLIN, 0}, {-1, 0, 0}};
        Clock::time_point deadline = Clock::now() + std::chrono::hours(1);
        {
            std::lock_guard lock(mutex_);
            if (quit_) return;
            if (transport_) {
                fds[1].fd = transport_->fd();
                fds[1].events = static_cast<short>((stalled_ ? 0 : POLLIN) |
                                                   (outbox_.empty() ? 0 : POLLOUT));
                if (options_.ValuesHz > 0) deadline = std::min(deadline, nextValues_);
            }
            if (!chunkRequestsDue_.empty()) deadline = std::min(deadline, chunkRequestsDue_.front());
            if (restartAt_) deadline = std::min(deadline, *restartAt_);
        }
        const auto wait = std::max(deadline - Clock::now(), Clock::duration::zero());
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
        ::ppoll(fds, 2, &ts, nullptr);

        std::function<void()> afterUnlock;
        {
            std::lock_guard lock(mutex_);
            wake_.Reset();
            if (transport_ && fds[1].fd == transport_->fd() && stalled_ &&
                (fds[1].revents & (POLLHUP | POLLERR)))
                DropTransportLocked();  // the host closed its end while the unit was stalled
            ServiceLocked(Clock::now(), afterUnlock);
        }
        if (afterUnlock) afterUnlock();
    }
}

void SimulatedUnit::ReceiveLocked(Clock::time_point now) {
    while (transport_ && !stalled_) {
        pedal::Report report;
        const auto result = transport_->Receive(report);
        if (result == TransportResult::WouldBlock) break;
        if (result == TransportResult::Closed) {
            DropTransportLocked();
            break;
        }
        receivedLog_.push_back(report);
        received_.notify_all();
        pedal::Message m;
        std::copy(report.begin() + 1, report.end(), m.begin());
        const auto reaction = unit_.Handle(m);
        for (const auto& reply : reaction.Replies) QueueLocked(reply);
        if (reaction.RequestChunk) chunkRequestsDue_.push_back(now + options_.ChunkDelay);
        if (reaction.Restart) restartAfterChunk_ = true;
    }

}

void SimulatedUnit::ServiceLocked(Clock::time_point now, std::function<void()>& afterUnlock) {
    ReceiveLocked(now);

    // Chunk requests that are due; a restart follows the last one.
    while (!chunkRequestsDue_.empty() && chunkRequestsDue_.front() <= now) {
        chunkRequestsDue_.pop_front();
        QueueLocked(pedal::ToMessage(std::array<std::uint8_t, 1>{pedal::CmdUpdateStart}));
    }
    if (restartAfterChunk_ && chunkRequestsDue_.empty()) {
        restartAfterChunk_ = false;
        restartAt_ = now + options_.RestartDelay;
    }

    // Values at the configured rate.
    if (transport_ && options_.ValuesHz > 0 && now >= nextValues_) {
        const std::size_t queued = outbox_.size();
        if (queued < kMaxQueuedValues) QueueLocked(unit_.Values(RawLocked(now)));
        const auto period = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(1.0 / options_.ValuesHz));
        nextValues_ += period;
        if (nextValues_ < now) nextValues_ = now + period;  // fell behind: no burst
    }

    FlushLocked();

    if (restartAt_ && now >= *restartAt_) {
        restartAt_.reset();
        DropTransportLocked();
        unit_.Restart();
        afterUnlock = onRestart_;
    }
}

}  // namespace sim
