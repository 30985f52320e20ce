// Compact disc time: minutes, seconds and frames of 75 to the second. The frame
// count of a time is what the program shows as its "LBA"; no 150-frame offset is
// applied either way.
#pragma once

#include <cstdint>

namespace tessaly {

struct DiscTime {
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t frame = 0;
};

inline constexpr std::uint32_t kFramesPerSecond = 75;
inline constexpr std::uint32_t kFramesPerMinute = 4500;

constexpr std::uint32_t FrameCount(DiscTime t) {
    return t.minute * kFramesPerMinute + t.second * kFramesPerSecond + t.frame;
}

// The time of a frame count; a count beyond 255 minutes keeps the low byte of its minute.
constexpr DiscTime DiscTimeOf(std::uint32_t frames) {
    const std::uint32_t minute = frames / kFramesPerMinute;
    const std::uint32_t rest = frames - minute * kFramesPerMinute;
    return DiscTime{static_cast<std::uint8_t>(minute),
                    static_cast<std::uint8_t>(rest / kFramesPerSecond),
                    static_cast<std::uint8_t>(frames % kFramesPerSecond)};
}

constexpr std::uint8_t BinaryToBcd(std::uint8_t v) {
    return static_cast<std::uint8_t>((v / 10) * 16 + v % 10);
}

constexpr std::uint8_t BcdToBinary(std::uint8_t v) {
    return static_cast<std::uint8_t>((v / 16) * 10 + v % 16);
}

}  // namespace tessaly
