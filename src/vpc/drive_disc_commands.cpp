#include "vpc/drive_disc_commands.h"

#include <vector>

#include "vpc/drive_disc_layout.h"

namespace tessaly::vpc {
namespace {

// Disc status (bits 1-0) and state of the last session (bits 3-2) of byte 2.
constexpr std::uint8_t kDiscBlank = 0x00;
constexpr std::uint8_t kDiscComplete = 0x0E;  // complete disc, complete last session

// ATIP byte 4: bit 7 always 1, bits 6-4 indicative target writing power 5.
constexpr std::uint8_t kAtipWritePower = 0xD0;
// ATIP byte 6: bit 7 always 1; the other bits as the shared codes name them.
constexpr std::uint8_t kAtipByte6Mark = 0x80;
// ATIP byte 18 (A1 byte 2): the low nibble marks a high-capacity disc.
constexpr std::uint8_t kAtipHighCapacity = 0x01;

// Full TOC: ADR 1 / data track (control 4), and ADR 5 for the multi-session pointers.
constexpr std::uint8_t kAdrControlData = 0x14;
constexpr std::uint8_t kAdrControlMode5 = 0x54;
constexpr std::uint8_t kPointFirstTrack = 0xA0;
constexpr std::uint8_t kPointLastTrack = 0xA1;
constexpr std::uint8_t kPointLeadOut = 0xA2;
constexpr std::uint8_t kPointNextSession = 0xB0;
// B0h byte 7: the number of different ADR 5 pointers in the lead-in (B0h and C0h).
constexpr std::uint8_t kMode5PointerCount = 2;

void PutMsf(ByteWriter& out, std::size_t at, Msf msf) {
    out.U8(at, msf.minute);
    out.U8(at + 1, msf.second);
    out.U8(at + 2, msf.frame);
}

std::uint8_t AtipByte6(const DiscSpec& disc) {
    std::uint8_t value = kAtipByte6Mark;
    if (disc.kind == DiscKind::kCdRw)
        value |= kAtipRewritable;
    value |= static_cast<std::uint8_t>((disc.subtype.value_or(0) & 0x07) << 3);
    if (disc.a1 || disc.kind == DiscKind::kHcCdR)
        value |= kAtipA1Valid;
    if (disc.a2)
        value |= kAtipA2Valid;
    return value;
}

// ATIP (format 4), 28 bytes, times in plain numbers:
//   [0-1]   data length 26        [2-3]   0
//   [4]     bit 7, write power    [5]     0
//   [6]     bit 7, rewritable, sub-type, A1/A2 valid   [7] 0
//   [8-10]  lead-in start M S F   [12-14] last possible lead-out start M S F
//   [16]    A1 byte 0             [18]    A1 byte 2: 01h on a high-capacity disc
//   [20]    A2 byte 0             other bytes 0
std::vector<std::uint8_t> Atip(const DiscSpec& disc) {
    std::vector<std::uint8_t> answer(kAtipLength, 0);
    ByteWriter out(answer.data(), answer.size());
    out.Be16(0, static_cast<std::uint16_t>(kAtipLength - 2));
    out.U8(4, kAtipWritePower);
    out.U8(6, AtipByte6(disc));
    PutMsf(out, 8, LeadInOf(disc));
    PutMsf(out, 12, LeadOutOf(disc));
    out.U8(16, disc.a1.value_or(0));
    if (disc.kind == DiscKind::kHcCdR)
        out.U8(18, kAtipHighCapacity);
    out.U8(20, disc.a2.value_or(0));
    return answer;
}

// One full-TOC descriptor before encoding. `timed` says that bytes 4-6 hold a time
// (C0h carries ATIP bits there instead); PMIN/PSEC/PFRAME always count as a time.
struct TocEntry {
    std::uint8_t session = 0;
    std::uint8_t adrControl = kAdrControlData;
    std::uint8_t point = 0;
    Msf time;
    bool timed = true;
    std::uint8_t zero = 0;
    Msf pointTime;
};

// Descriptor, 11 bytes:
//   [0] session  [1] ADR/control  [2] TNO 0  [3] POINT  [4-6] M S F  [7] zero
//   [8-10] PMIN PSEC PFRAME
// In BCD, track POINTs (01h-99h) and the times are in two decimal digits; the
// A0h-C0h codes stay as they are.
void PutEntry(ByteWriter& out, std::size_t at, const TocEntry& entry, bool bcd) {
    const auto code = [bcd](std::uint8_t v) { return bcd ? ToBcd(v) : v; };
    const auto codeMsf = [&code](Msf m) {
        return Msf{code(m.minute), code(m.second), code(m.frame)};
    };
    out.U8(at, entry.session);
    out.U8(at + 1, entry.adrControl);
    out.U8(at + 3, entry.point <= 99 ? code(entry.point) : entry.point);
    PutMsf(out, at + 4, entry.timed ? codeMsf(entry.time) : entry.time);
    out.U8(at + 7, entry.zero);
    PutMsf(out, at + 8, codeMsf(entry.pointTime));
}

// Per session: A0h (PMIN first track, PSEC disc type 0: CD-ROM), A1h (PMIN last
// track), A2h (lead-out start), the track (its start). A disc with several sessions
// also has in session 1 B0h (the next session's program area; PMIN/PSEC/PFRAME the
// last possible lead-out start) and C0h (bytes 4-6 ATIP bytes 4-6, PMIN/PSEC/PFRAME
// the ATIP lead-in start).
std::vector<TocEntry> TocEntries(const DiscSpec& disc, std::uint8_t firstSession) {
    const std::vector<SessionLayout> sessions = SessionsOf(disc);
    std::vector<TocEntry> entries;
    for (const SessionLayout& s : sessions) {
        if (s.number < firstSession)
            continue;
        const Msf track{s.number, 0, 0};
        entries.push_back({s.number, kAdrControlData, kPointFirstTrack, {}, true, 0, track});
        entries.push_back({s.number, kAdrControlData, kPointLastTrack, {}, true, 0, track});
        entries.push_back(
            {s.number, kAdrControlData, kPointLeadOut, {}, true, 0, MsfOf(s.leadOutStart)});
        entries.push_back({s.number, kAdrControlData, s.number, {}, true, 0, MsfOf(s.trackStart)});
        if (s.number == 1 && sessions.size() > 1) {
            entries.push_back({1, kAdrControlMode5, kPointNextSession,
                               MsfOf(sessions[1].trackStart), true, kMode5PointerCount,
                               ReportedLeadOutOf(disc)});
            const Msf atipBits{kAtipWritePower, 0, AtipByte6(disc)};
            entries.push_back(
                {1, kAdrControlMode5, kTocPointLeadInStart, atipBits, false, 0, C0LeadInOf(disc)});
        }
    }
    return entries;
}

// Full table of contents (format 2):
//   [0-1] data length 2 + 11 x descriptors  [2] first complete session 1
//   [3]   last complete session             [4-] descriptors of 11 bytes
std::vector<std::uint8_t> FullToc(const DiscSpec& disc, bool bcd, std::uint8_t firstSession) {
    const std::vector<TocEntry> entries = TocEntries(disc, firstSession);
    std::vector<std::uint8_t> answer(kTocHeaderLength + entries.size() * kTocDescriptorLength, 0);
    ByteWriter out(answer.data(), answer.size());
    out.Be16(0, static_cast<std::uint16_t>(answer.size() - 2));
    out.U8(2, 1);
    out.U8(3, static_cast<std::uint8_t>(disc.sessions));
    for (std::size_t i = 0; i < entries.size(); ++i)
        PutEntry(out, kTocHeaderLength + i * kTocDescriptorLength, entries[i], bcd);
    return answer;
}

}  // namespace

std::uint8_t TocFormatOf(ByteView cdb) {
    const std::uint8_t format = cdb.U8(2) & 0x0F;
    return format != 0 ? format : static_cast<std::uint8_t>(cdb.U8(9) >> 6);
}

// Disc information, 34 bytes:
//   [0-1]   data length 32
//   [2]     bit 4 erasable; bits 3-2 last session, 1-0 disc: 0Eh complete, 00h blank
//   [3]     first track 1             [4] sessions (a blank disc has its empty one)
//   [5]     first track of the last session   [6] last track of the last session
//   [8]     disc type 0 (CD-DA or CD-ROM)
//   [16-19] last session's lead-in start: 00 M S F of the ATIP lead-in on a blank
//           disc, 00 FF FF FF on a complete one
//   [20-23] last possible lead-out start, 00 M S F (the high-capacity one for an
//           "hc-cd-r")
//   other bytes 0
DriveReply ReadDiscInformation(const DiscSpec& disc) {
    DriveReply reply;
    reply.answer.assign(kDiscInformationLength, 0);
    ByteWriter out(reply.answer.data(), reply.answer.size());
    const bool blank = disc.sessions == 0;
    const std::uint8_t sessions = blank ? 1 : static_cast<std::uint8_t>(disc.sessions);
    out.Be16(0, static_cast<std::uint16_t>(kDiscInformationLength - 2));
    out.U8(2, static_cast<std::uint8_t>((blank ? kDiscBlank : kDiscComplete) |
                                        (disc.kind == DiscKind::kCdRw ? kDiscInfoErasable : 0)));
    out.U8(3, 1);
    out.U8(4, sessions);
    out.U8(5, sessions);
    out.U8(6, sessions);
    if (blank) {
        PutMsf(out, 17, LeadInOf(disc));
    } else {
        PutMsf(out, 17, Msf{0xFF, 0xFF, 0xFF});
    }
    PutMsf(out, 21, ReportedLeadOutOf(disc));
    return reply;
}

DriveReply ReadTocPmaAtip(const DiscSpec& disc, const DriveTraits& traits, ByteView cdb) {
    DriveReply reply;
    // The CD structures are not on a DVD or BD.
    if (disc.kind == DiscKind::kDvdOrBd)
        return DriveReply::Fail(sense::kInvalidFieldInCdb);
    switch (TocFormatOf(cdb)) {
        case toc_format::kAtip:
            if (disc.kind == DiscKind::kCdRom)
                return DriveReply::Fail(sense::kInvalidFieldInCdb);
            reply.answer = Atip(disc);
            return reply;
        case toc_format::kFullToc: {
            const std::uint8_t first = cdb.U8(6) == 0 ? 1 : cdb.U8(6);
            if (disc.sessions == 0 || first > disc.sessions)
                return DriveReply::Fail(sense::kInvalidFieldInCdb);
            reply.answer = FullToc(disc, traits.bcdFullToc, first);
            return reply;
        }
        default:
            return DriveReply::Fail(sense::kInvalidFieldInCdb);
    }
}

// Capacity, 8 bytes: [0-3] last logical block address, [4-7] block length 2048.
DriveReply ReadCapacity(const DiscSpec& disc) {
    DriveReply reply;
    reply.answer.assign(kCapacityLength, 0);
    ByteWriter out(reply.answer.data(), reply.answer.size());
    out.Be32(0, LastBlockOf(disc));
    out.Be32(4, kDiscBlockLength);
    return reply;
}

}  // namespace tessaly::vpc
