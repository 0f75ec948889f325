// A thread-safe FIFO of fixed-size byte arrays with one producer and one consumer.
#pragma once

#include <deque>
#include <mutex>
#include <optional>

namespace device {

template <typename T>
class MessageQueue {
public:
    void Enqueue(const T& item) {
        std::lock_guard lock(mutex_);
        items_.push_back(item);
    }
    std::optional<T> TryDequeue() {
        std::lock_guard lock(mutex_);
        if (items_.empty()) return std::nullopt;
        T item = items_.front();
        items_.pop_front();
        return item;
    }
    bool IsEmpty() const {
        std::lock_guard lock(mutex_);
        return items_.empty();
    }

private:
    mutable std::mutex mutex_;  // held only for the push or pop itself
    std::deque<T> items_;
};

}  // namespace device
