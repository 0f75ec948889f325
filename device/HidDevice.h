// One connected pedal unit: its connection, the I/O thread that alone reads and writes it,
// the send and receive queues between that thread and the window's thread, and the per-unit
// state the window keeps (channels, identity, firmware transfer).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "device/Connection.h"
#include "device/MessageQueue.h"
#include "device/ThreadStop.h"
#include "pedal/Channel.h"
#include "pedal/Commands.h"
#include "sys/EventFd.h"

namespace device {

class HidPlatform;

class HidDevice {
public:
    // How long the I/O thread waits for anything before it looks again.
    static constexpr std::chrono::milliseconds WaitTimeout{4000};
    // How long one report may wait for room before the write counts as failed.
    static constexpr std::chrono::milliseconds WriteTimeout{1000};
    static constexpr std::chrono::milliseconds PauseAfterWake{1};

    // Takes ownership of an open connection and starts the unit's I/O thread, which runs
    // until `allThreadStop` is raised, the connection fails, or the object is destroyed.
    static std::unique_ptr<HidDevice> Create(std::unique_ptr<Connection> connection,
                                             std::string devPath,
                                             std::shared_ptr<const ThreadStop> allThreadStop);

    // One scan of `platform`: the first pedal unit in enumeration order whose path is not the
    // DevPath of a unit in `currentDeviceList` is opened, started and greeted with [1]
    // (CmdComStart), and returned; none when there is no such unit. Identity and path are
    // checked before anything is opened, so no other device and no connected unit is opened.
    // A unit that this user may not open is skipped and, when `permissionDenied` is given,
    // its path is added there (once). Window's thread.
    static std::unique_ptr<HidDevice> FindHidDevices(
        HidPlatform& platform, const std::vector<std::unique_ptr<HidDevice>>& currentDeviceList,
        std::shared_ptr<const ThreadStop> allThreadStop,
        std::vector<std::string>* permissionDenied = nullptr);

    // Stops the I/O thread (a working unit still gets its stop report) and waits for it.
    ~HidDevice();
    HidDevice(const HidDevice&) = delete;
    HidDevice& operator=(const HidDevice&) = delete;

    // Queues a message of at most 64 bytes for the unit (zero-filled, report ID 0); a longer
    // one is dropped without trace. Never blocks. Window's thread.
    void SendData(std::span<const std::uint8_t> sendArray);
    // Whether a message is waiting; from the first received message on, always true.
    bool CheckRecvMessage() const;
    // Takes the oldest received 64-byte message; false when none is queued. Never blocks.
    bool GetRecvMessage(pedal::Message& recvBytes);

    // The interface path this unit was found under; identifies the unit.
    const std::string& DevPath() const { return devPath_; }

    pedal::Channel ClutchChannel{pedal::ClutchIndex};
    pedal::Channel BreakChannel{pedal::BreakIndex};
    pedal::Channel ThrottleChannel{pedal::ThrottleIndex};

    // Set by the I/O thread when the connection fails; never cleared.
    std::atomic<bool> HasError{false};

    // Identity from the unit's reply to the hello.
    std::uint32_t SerialNum = 0;
    std::uint16_t BuildNum = 0;
    std::uint64_t BuildDate = 0;

    // Firmware transfer: the image (none until an update begins) and the bytes sent of it.
    std::optional<std::vector<std::uint8_t>> FWData;
    std::int32_t FWDataSendPos = 0;

private:
    HidDevice(std::unique_ptr<Connection> connection, std::string devPath,
              std::shared_ptr<const ThreadStop> allThreadStop);

    void DeviceCommunicationThread();
    void DeviceCommunicationSend();
    bool StopRequested() const { return allThreadStop_->IsRaised() || ownStop_.load(); }

    std::unique_ptr<Connection> connection_;  // used by the I/O thread only, after start
    std::string devPath_;
    std::shared_ptr<const ThreadStop> allThreadStop_;
    std::atomic<bool> ownStop_{false};

    MessageQueue<pedal::Report> QueueSend;
    MessageQueue<pedal::Message> QueueRecv;
    sys::EventFd EventQueueSend;
    std::atomic<bool> EventQueueRecv{false};

    std::thread thread_;  // last: starts once everything above exists
};

// The unit list: owns every connected unit, in the order they were found.
using HidDeviceList = std::vector<std::unique_ptr<HidDevice>>;

}  // namespace device
