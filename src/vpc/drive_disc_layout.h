// Where things sit on the disc in an emulated drive: the times a scenario may leave
// out (lead-in, lead-out, the high-capacity lead-out, the C0h lead-in), the last
// logical block, and one data track per complete session spread over the program
// area. Times are absolute frame counts (75 frames a second, 4500 a minute).
#pragma once

#include <cstdint>
#include <vector>

#include "vpc/scenario.h"

namespace tessaly::vpc {

inline constexpr Msf kDefaultLeadIn{97, 24, 1};
inline constexpr Msf kDefaultLeadOut{79, 59, 74};
inline constexpr Msf kDefaultHcLeadOut{89, 59, 74};

inline constexpr std::uint32_t kFramesPerSecond = 75;
inline constexpr std::uint32_t kFramesPerMinute = 60 * kFramesPerSecond;
// The program area starts two seconds in (logical block 0).
inline constexpr std::uint32_t kProgramAreaStart = 2 * kFramesPerSecond;

constexpr std::uint32_t FramesOf(Msf msf) {
    return msf.minute * kFramesPerMinute + msf.second * kFramesPerSecond + msf.frame;
}

// The time of a frame count; counts beyond 99:59:74 stop there.
constexpr Msf MsfOf(std::uint32_t frames) {
    constexpr std::uint32_t kLast = 99 * kFramesPerMinute + 59 * kFramesPerSecond + 74;
    if (frames > kLast)
        frames = kLast;
    return Msf{static_cast<std::uint8_t>(frames / kFramesPerMinute),
               static_cast<std::uint8_t>(frames / kFramesPerSecond % 60),
               static_cast<std::uint8_t>(frames % kFramesPerSecond)};
}

// Two decimal digits in one byte; values above 99 have no such form and give 99h.
constexpr std::uint8_t ToBcd(std::uint8_t value) {
    if (value > 99)
        return 0x99;
    return static_cast<std::uint8_t>((value / 10) << 4 | value % 10);
}

struct SessionLayout {
    std::uint8_t number = 0;         // session number, also its track's number
    std::uint32_t trackStart = 0;    // frame where the session's data track starts
    std::uint32_t leadOutStart = 0;  // frame where the session's lead-out starts
};

Msf LeadInOf(const DiscSpec& disc);
Msf LeadOutOf(const DiscSpec& disc);
// What READ DISC INFORMATION reports as the last possible lead-out start: the
// high-capacity lead-out for an "hc-cd-r", the lead-out otherwise.
Msf ReportedLeadOutOf(const DiscSpec& disc);
// The lead-in start that the full table of contents carries in POINT C0h.
Msf C0LeadInOf(const DiscSpec& disc);
// The last logical block: the scenario's, else the lead-out's frame count - 1, or 0
// on a blank disc.
std::uint32_t LastBlockOf(const DiscSpec& disc);

// The complete sessions, in order (none on a blank disc). The program area from
// 00:02:00 to the lead-out is cut into equal parts, one per session; in each part
// the track starts after the session's lead-in and pre-gap (none before the first)
// and the session's lead-out takes the end of the part (1:30 after the first
// session, 0:30 after the others). A part too short for that shrinks both margins
// to a quarter of it, so starts and lead-outs keep their order.
std::vector<SessionLayout> SessionsOf(const DiscSpec& disc);

}  // namespace tessaly::vpc
