// The stop request shared by every unit's I/O thread: raised once at shutdown, it wakes each
// thread at once (its eventfd sits in every thread's poll set and is never drained).
#pragma once

#include <atomic>

#include "sys/EventFd.h"

namespace device {

class ThreadStop {
public:
    void Raise() {
        raised_.store(true);
        wake_.Signal();
    }
    bool IsRaised() const { return raised_.load(); }
    int fd() const { return wake_.fd(); }

private:
    std::atomic<bool> raised_{false};
    sys::EventFd wake_;
};

}  // namespace device
