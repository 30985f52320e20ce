// Owners of the GDI objects and device contexts the link label uses: each frees or
// restores what it holds when it goes out of scope.
#pragma once

#include <windows.h>

#include <utility>

namespace tessaly::app::win32 {

// A font, brush, bitmap or pen deleted with DeleteObject. Never delete a stock object
// through it.
template <typename Handle>
class GdiObject {
  public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }

    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr) {
            ::DeleteObject(handle_);
        }
        handle_ = handle;
    }
    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

  private:
    Handle handle_ = nullptr;
};

// An object selected into a device context until the end of the scope; a null object
// selects nothing.
class SelectedObject {
  public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc), old_(object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (old_ != nullptr) {
            ::SelectObject(dc_, old_);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// A memory device context compatible with another one, deleted with DeleteDC.
class MemoryDc {
  public:
    explicit MemoryDc(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() {
        if (dc_ != nullptr) {
            ::DeleteDC(dc_);
        }
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};

// The screen's device context, released at the end of the scope.
class ScreenDc {
  public:
    ScreenDc() : dc_(::GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_ != nullptr) {
            ::ReleaseDC(nullptr, dc_);
        }
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;

    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};

}  // namespace tessaly::app::win32
