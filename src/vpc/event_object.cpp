#include "vpc/event_object.h"

namespace tessaly::vpc {

void EventObject::Set() {
    {
        std::lock_guard lock(mutex_);
        signalled_ = true;
    }
    changed_.notify_all();
}

void EventObject::Reset() {
    std::lock_guard lock(mutex_);
    signalled_ = false;
}

bool EventObject::IsSet() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

bool EventObject::Wait(std::optional<std::chrono::milliseconds> timeout) {
    std::unique_lock lock(mutex_);
    const auto isSet = [this] { return signalled_; };
    if (timeout) {
        if (!changed_.wait_for(lock, *timeout, isSet))
            return false;
    } else {
        changed_.wait(lock, isSet);
    }
    if (!manualReset_)
        signalled_ = false;
    return true;
}

}  // namespace tessaly::vpc
