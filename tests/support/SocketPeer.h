// The unit's end of a socket pair, driven by a test in place of a pedal unit.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "device/SocketConnection.h"

namespace testing_support {

using namespace std::chrono_literals;
using device::Connection;
using device::IoResult;
using pedal::Report;

inline Report MakeReport(std::initializer_list<std::uint8_t> payload) {
    Report r{};
    std::copy(payload.begin(), payload.end(), r.begin() + 1);
    return r;
}

class Peer {
public:
    Peer() {
        auto [host, unit] = sys::MakeSeqPacketPair();
        host_ = std::move(host);
        unit_ = std::move(unit);
    }
    // The host's end, handed to a HidDevice.
    std::unique_ptr<Connection> TakeHostEnd() {
        hostFd_ = host_.get();
        return std::make_unique<device::SocketConnection>(std::move(host_));
    }
    void Send(const Report& r) { ASSERT_EQ(device::WritePacket(unit_.get(), r, 1000ms), IoResult::Ok); }
    // The next report the host wrote, or nothing within `deadline`.
    std::optional<Report> Next(std::chrono::milliseconds deadline = 2000ms) {
        pollfd p{unit_.get(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(deadline.count())) != 1) return std::nullopt;
        Report r{};
        if (device::ReadPacket(unit_.get(), r) != IoResult::Ok) return std::nullopt;
        return r;
    }
    // Everything the host has written so far.
    std::vector<Report> Drain() {
        std::vector<Report> all;
        while (auto r = Next(0ms)) all.push_back(*r);
        return all;
    }
    // Fills the host-to-unit direction until the host's next write must wait.
    int FillHostToUnit() {
        const int fd = host_ ? host_.get() : hostFd_;
        int n = 0;
        const Report filler = MakeReport({0xEE});
        while (::send(fd, filler.data(), filler.size(), MSG_DONTWAIT | MSG_NOSIGNAL) > 0) ++n;
        return n;
    }
    void Close() { unit_.reset(); }

private:
    sys::UniqueFd host_, unit_;
    int hostFd_ = -1;
};

}  // namespace testing_support
