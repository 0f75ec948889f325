// A level-triggered wake-up flag that poll() can wait on: an eventfd owned by one object.
#pragma once

#include "sys/UniqueFd.h"

namespace sys {

class EventFd {
public:
    // Throws std::system_error when no eventfd can be made.
    EventFd();

    int fd() const { return fd_.get(); }
    // Makes the fd readable until Reset(); safe from any thread.
    void Signal();
    // Makes the fd unreadable again; returns whether it was signalled.
    bool Reset();
    // True while signalled, without changing it.
    bool IsSignalled() const;

private:
    UniqueFd fd_;
};

}  // namespace sys
