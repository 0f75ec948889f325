#include "device/HidDevice.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

namespace device {

std::unique_ptr<HidDevice> HidDevice::Create(std::unique_ptr<Connection> connection,
                                             std::string devPath,
                                             std::shared_ptr<const ThreadStop> allThreadStop) {
    return std::unique_ptr<HidDevice>(
        new HidDevice(std::move(connection), std::move(devPath), std::move(allThreadStop)));
}

HidDevice::HidDevice(std::unique_ptr<Connection> connection, std::string devPath,
                     std::shared_ptr<const ThreadStop> allThreadStop)
    : connection_(std::move(connection)),
      devPath_(std::move(devPath)),
      allThreadStop_(std::move(allThreadStop)) {
    thread_ = std::thread([this] { DeviceCommunicationThread(); });
}

HidDevice::~HidDevice() {
    ownStop_.store(true);
    EventQueueSend.Signal();  // wakes the thread if it is waiting
    if (thread_.joinable()) thread_.join();
}

void HidDevice::SendData(std::span<const std::uint8_t> sendArray) {
    if (sendArray.size() > pedal::MESSAGESIZEVALID) return;
    pedal::Report report{};
    std::copy(sendArray.begin(), sendArray.end(), report.begin() + 1);
    QueueSend.Enqueue(report);  // enqueue first, signal second
    EventQueueSend.Signal();
}

bool HidDevice::CheckRecvMessage() const {
    return !QueueRecv.IsEmpty() || EventQueueRecv.load();
}

bool HidDevice::GetRecvMessage(pedal::Message& recvBytes) {
    auto m = QueueRecv.TryDequeue();
    if (!m) return false;
    recvBytes = *m;
    return true;
}

void HidDevice::DeviceCommunicationThread() {
    const auto pause = [] { std::this_thread::sleep_for(PauseAfterWake); };

    if (!StopRequested()) {
        for (;;) {
            if (HasError.load()) break;
            pollfd fds[3] = {{connection_->fd(), POLLIN, 0},
                             {EventQueueSend.fd(), POLLIN, 0},
                             {allThreadStop_->fd(), POLLIN, 0}};
            const int r = ::poll(fds, 3, static_cast<int>(WaitTimeout.count()));
            if (r < 0 && errno != EINTR) {
                HasError.store(true);
                pause();
            } else if (r > 0 && fds[0].revents != 0) {
                // A report is there (or the interface is gone): served before the queue.
                pedal::Report report;
                switch (connection_->ReadReport(report)) {
                    case IoResult::Ok: {
                        pedal::Message m;
                        std::copy(report.begin() + 1, report.end(), m.begin());
                        QueueRecv.Enqueue(m);
                        EventQueueRecv.store(true);
                        break;  // more may be buffered: look again without pausing
                    }
                    case IoResult::WouldBlock:
                        pause();
                        break;
                    default:
                        HasError.store(true);
                        pause();
                        break;
                }
            } else if (r > 0 && fds[1].revents != 0) {
                EventQueueSend.Reset();  // reset, then drain
                DeviceCommunicationSend();
                pause();
            } else if (r == 0) {
                pause();  // a silent unit is not a failed unit
            }
            if (StopRequested()) break;
        }
    }

    if (!HasError.load()) {
        pedal::Report stop{};
        stop[1] = pedal::CmdComStop;
        connection_->WriteReport(stop, WriteTimeout);  // its outcome changes nothing
    }
    connection_->Close();
}

void HidDevice::DeviceCommunicationSend() {
    while (auto report = QueueSend.TryDequeue()) {
        // Reports still queued when a stop comes are not written; the stop report is.
        if (StopRequested()) return;
        switch (connection_->WriteReport(*report, WriteTimeout, allThreadStop_->fd())) {
            case IoResult::Ok:
            case IoResult::Aborted:
                break;
            default:
                HasError.store(true);  // and go on with the next report
                break;
        }
    }
}

}  // namespace device
