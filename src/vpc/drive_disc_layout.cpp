#include "vpc/drive_disc_layout.h"

#include <algorithm>

namespace tessaly::vpc {
namespace {

// A later session's lead-in (1:00) and its track's pre-gap (0:02).
constexpr std::uint32_t kLaterSessionGap = kFramesPerMinute + kProgramAreaStart;
constexpr std::uint32_t kFirstLeadOutLength = 90 * kFramesPerSecond;
constexpr std::uint32_t kLaterLeadOutLength = 30 * kFramesPerSecond;

}  // namespace

Msf LeadInOf(const DiscSpec& disc) {
    return disc.leadIn.value_or(kDefaultLeadIn);
}

Msf LeadOutOf(const DiscSpec& disc) {
    return disc.leadOut.value_or(kDefaultLeadOut);
}

Msf ReportedLeadOutOf(const DiscSpec& disc) {
    if (disc.kind == DiscKind::kHcCdR)
        return disc.hcLeadOut.value_or(kDefaultHcLeadOut);
    return LeadOutOf(disc);
}

Msf C0LeadInOf(const DiscSpec& disc) {
    return disc.c0.value_or(LeadInOf(disc));
}

std::uint32_t LastBlockOf(const DiscSpec& disc) {
    if (disc.capacityLba)
        return *disc.capacityLba;
    // Without a capacity: a full single-layer disc, 4.7 GB DVD or 25 GB BD.
    if (disc.kind == DiscKind::kDvdOrBd)
        return disc.profile >= 0x40 ? 12219391 : 2295103;
    if (disc.sessions == 0)
        return 0;
    const std::uint32_t frames = FramesOf(LeadOutOf(disc));
    return frames == 0 ? 0 : frames - 1;
}

std::vector<SessionLayout> SessionsOf(const DiscSpec& disc) {
    std::vector<SessionLayout> sessions;
    if (disc.sessions == 0)
        return sessions;
    const std::uint32_t end = std::max(FramesOf(LeadOutOf(disc)), kProgramAreaStart);
    const std::uint32_t part = (end - kProgramAreaStart) / disc.sessions;
    for (std::uint32_t i = 0; i < disc.sessions; ++i) {
        const std::uint32_t partStart = kProgramAreaStart + i * part;
        const std::uint32_t gap = i == 0 ? 0 : std::min(kLaterSessionGap, part / 4);
        const std::uint32_t leadOut =
            std::min(i == 0 ? kFirstLeadOutLength : kLaterLeadOutLength, part / 4);
        SessionLayout session;
        session.number = static_cast<std::uint8_t>(i + 1);
        session.trackStart = partStart + gap;
        session.leadOutStart = partStart + part - leadOut;
        sessions.push_back(session);
    }
    return sessions;
}

}  // namespace tessaly::vpc
