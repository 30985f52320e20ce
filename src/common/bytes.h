// Bounds-checked access to byte buffers that come from outside the program
// (drive answers, registry data, device-control output). A read past the end
// yields 0, a write past the end is dropped; nothing is ever cast to a wider type.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tessaly {

class ByteView {
  public:
    constexpr ByteView() = default;
    constexpr ByteView(const std::uint8_t* data, std::size_t size)
        : data_(data), size_(data ? size : 0) {}

    constexpr std::size_t size() const { return size_; }
    constexpr const std::uint8_t* data() const { return data_; }

    constexpr std::uint8_t U8(std::size_t at) const { return at < size_ ? data_[at] : 0; }
    constexpr std::uint16_t Be16(std::size_t at) const {
        return static_cast<std::uint16_t>((U8(at) << 8) | U8(at + 1));
    }
    constexpr std::uint32_t Be32(std::size_t at) const {
        return (std::uint32_t{Be16(at)} << 16) | Be16(at + 2);
    }
    constexpr std::uint32_t Le32(std::size_t at) const {
        return std::uint32_t{U8(at)} | (std::uint32_t{U8(at + 1)} << 8) |
               (std::uint32_t{U8(at + 2)} << 16) | (std::uint32_t{U8(at + 3)} << 24);
    }
    // True when [at, at + count) lies inside the buffer, without overflow.
    constexpr bool Has(std::size_t at, std::size_t count) const {
        return at <= size_ && count <= size_ - at;
    }
    // Copies count bytes from at into out; bytes outside the buffer read as 0.
    void Copy(std::size_t at, std::uint8_t* out, std::size_t count) const {
        for (std::size_t i = 0; i < count; ++i)
            out[i] = U8(at + i);
    }

  private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

class ByteWriter {
  public:
    ByteWriter(std::uint8_t* data, std::size_t size) : data_(data), size_(data ? size : 0) {}

    std::size_t size() const { return size_; }
    void U8(std::size_t at, std::uint8_t v) {
        if (at < size_)
            data_[at] = v;
    }
    void Be16(std::size_t at, std::uint16_t v) {
        U8(at, static_cast<std::uint8_t>(v >> 8));
        U8(at + 1, static_cast<std::uint8_t>(v));
    }
    void Be32(std::size_t at, std::uint32_t v) {
        Be16(at, static_cast<std::uint16_t>(v >> 16));
        Be16(at + 2, static_cast<std::uint16_t>(v));
    }
    void Le32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            U8(at + i, static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void Fill(std::size_t at, const void* src, std::size_t count) {
        const auto* s = static_cast<const std::uint8_t*>(src);
        for (std::size_t i = 0; i < count; ++i)
            U8(at + i, s[i]);
    }

  private:
    std::uint8_t* data_;
    std::size_t size_;
};

// Copies a fixed-width field of count characters and terminates it; out holds count + 1.
inline void CopyFixedText(ByteView from, std::size_t at, char* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<char>(from.U8(at + i));
    out[count] = '\0';
}

}  // namespace tessaly
