// Owners of the system objects the transport holds: a device or event handle and the
// ASPI manager's module. Each closes its object through the platform when it is reset,
// replaced or destroyed, so that no handle outlives its owner.
#pragma once

#include <utility>

#include "platform/platform.h"

namespace tessaly {

class HandleOwner {
  public:
    HandleOwner() = default;
    // Takes handle; 0 and INVALID_HANDLE_VALUE leave the owner empty.
    HandleOwner(platform::Platform& platform, platform::Handle handle)
        : platform_(&platform),
          handle_(handle == platform::kInvalidHandleValue ? platform::Handle{0} : handle) {}
    HandleOwner(HandleOwner&& other) noexcept
        : platform_(other.platform_), handle_(std::exchange(other.handle_, 0)) {}
    HandleOwner& operator=(HandleOwner&& other) noexcept {
        if (this != &other) {
            Reset();
            platform_ = other.platform_;
            handle_ = std::exchange(other.handle_, 0);
        }
        return *this;
    }
    HandleOwner(const HandleOwner&) = delete;
    HandleOwner& operator=(const HandleOwner&) = delete;
    ~HandleOwner() { Reset(); }

    platform::Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }
    // CloseHandle, when a handle is held.
    void Reset() {
        if (handle_ != 0)
            platform_->CloseHandle(std::exchange(handle_, 0));
    }

  private:
    platform::Platform* platform_ = nullptr;
    platform::Handle handle_ = 0;
};

class ModuleOwner {
  public:
    ModuleOwner() = default;
    ModuleOwner(platform::Platform& platform, platform::Module module)
        : platform_(&platform), module_(module) {}
    ModuleOwner(ModuleOwner&& other) noexcept
        : platform_(other.platform_), module_(std::exchange(other.module_, 0)) {}
    ModuleOwner& operator=(ModuleOwner&& other) noexcept {
        if (this != &other) {
            Reset();
            platform_ = other.platform_;
            module_ = std::exchange(other.module_, 0);
        }
        return *this;
    }
    ModuleOwner(const ModuleOwner&) = delete;
    ModuleOwner& operator=(const ModuleOwner&) = delete;
    ~ModuleOwner() { Reset(); }

    platform::Module Get() const { return module_; }
    explicit operator bool() const { return module_ != 0; }
    // FreeLibrary, when a module is held.
    void Reset() {
        if (module_ != 0)
            platform_->FreeLibrary(std::exchange(module_, 0));
    }

  private:
    platform::Platform* platform_ = nullptr;
    platform::Module module_ = 0;
};

}  // namespace tessaly
