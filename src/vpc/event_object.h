// A Win32 event: manual or automatic reset, waited on with a timeout. The ASPI
// manager's worker thread sets it while the program's thread waits.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace tessaly::vpc {

class EventObject {
  public:
    EventObject(bool manualReset, bool initialState)
        : manualReset_(manualReset), signalled_(initialState) {}

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until the event is set (nullopt: without limit); true when it was. An
    // automatic-reset event is reset by the wait that sees it set.
    bool Wait(std::optional<std::chrono::milliseconds> timeout);

  private:
    const bool manualReset_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool signalled_;
};

}  // namespace tessaly::vpc
