#include "disc/manufacturer_lookup.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "common/bytes.h"
#include "disc/atip.h"
#include "disc/disc_commands.h"
#include "disc/disc_time.h"
#include "disc/full_toc.h"
#include "disc/manufacturer_tables.h"
#include "drives/drive_commands.h"
#include "transport/text_match.h"

namespace tessaly {

namespace {

constexpr std::size_t kFillLength = 32;
constexpr std::uint8_t kFillByte = 0x66;
constexpr std::uint16_t kTocLength = 3000;
constexpr std::uint16_t kAtipLength = 32;

// A key names the second and the decade of the frame.
// An empty entry (-1) matches nothing.
bool Matches(std::int32_t keySecond, std::int32_t keyFrame, int second, int frame) {
    return keySecond >= 0 && keySecond == second && keyFrame / 10 == frame / 10;
}

// A write-once disc: the primary keys of a row, then its secondary keys.
const ManufacturerRow* FindWriteOnce(int second, int frame) {
    for (const ManufacturerRow& row : ManufacturerTable) {
        for (const LeadInKey& key : row.primaryKeys) {
            if (Matches(key.second, key.frame, second, frame))
                return &row;
        }
        for (const LeadInKey& key : row.secondaryKeys) {
            if (Matches(key.second, key.frame, second, frame))
                return &row;
        }
    }
    return nullptr;
}

// A rewritable disc: the lead-out keys only, with the lead-out start as frame count.
const ManufacturerRow* FindRewritable(int second, int frame, std::uint32_t leadOutFrames) {
    for (const ManufacturerRow& row : ManufacturerTable) {
        for (const LeadOutKey& key : row.leadOutKeys) {
            if (!Matches(key.second, key.frame, second, frame))
                continue;
            if (key.leadOutFrames == 0 ||
                static_cast<std::uint32_t>(key.leadOutFrames) == leadOutFrames) {
                return &row;
            }
        }
    }
    return nullptr;
}

void Fill(std::uint8_t* buffer) {
    std::memset(buffer, kFillByte, kFillLength);
}

}  // namespace

void LookupDiscManufacturer(ScsiTransport& transport, const DriveAddress& drive, char* out,
                            std::size_t size) {
    CopyText("-", out, size);
    std::array<std::uint8_t, kTocLength> buffer{};
    std::uint8_t sense[18] = {};
    TestUnitReady(transport, drive);
    RequestSense(transport, drive, sense);
    Fill(buffer.data());
    RequestSense(transport, drive, buffer.data());

    std::uint8_t info[4] = {};
    const bool erasable = ReadDiscInformation(transport, drive, sizeof info, info) == 1 &&
                          (info[kDiscInfoStatusByte] & kDiscInfoErasable) != 0;

    Fill(buffer.data());
    const ManufacturerRow* row = nullptr;
    int frame = 0;
    if (ReadTocPmaAtipEx(transport, drive, toc_format::kAtip, 0, kAtipLength, buffer.data()) == 1) {
        const AtipInfo atip = DecodeAtip(ByteView(buffer.data(), kAtipLength));
        const int minute = atip.leadInStart.minute;
        const int second = atip.leadInStart.second;
        frame = atip.leadInStart.frame;
        if (IsHighCapacityCdR(atip)) {
            std::uint8_t details[kDiscInformationLength] = {};
            if (ReadDiscInformation(transport, drive, sizeof details, details) == 1) {
                CopyText("Unknown brand", out, size);
            }
            return;
        }
        if (minute != kRecordableLeadInMinute)
            return;
        if (erasable) {
            row = FindRewritable(second, frame, FrameCount(atip.leadOutStart));
        } else {
            row = FindWriteOnce(second, frame);
        }
    } else {
        Fill(buffer.data());
        if (ReadTocPmaAtip(transport, drive, toc_format::kFullToc, kTocLength, buffer.data()) != 1)
            return;
        const ByteView toc(buffer.data(), buffer.size());
        DiscTime leadIn;
        if (toc.U8(2) == toc.U8(3) || !FullTocLeadIn(toc, leadIn) ||
            leadIn.minute != kRecordableLeadInMinute)
            return;
        frame = leadIn.frame;
        row = FindWriteOnce(leadIn.second, leadIn.frame);
    }
    if (row != nullptr && size > 0)
        std::snprintf(out, size, "%s (type %d) ", row->name, frame % 10);
}

void LookupTocManufacturer(int second, int frame, DiscFields& fields) {
    const ManufacturerTocColumns& table = ManufacturerTocTable;
    for (int i = 0; i < kManufacturerTocRowCount; ++i) {
        if (Matches(table.firstSeconds[i], table.firstFrames[i], second, frame) ||
            Matches(table.secondSeconds[i], table.secondFrames[i], second, frame)) {
            char text[80];
            std::snprintf(text, sizeof text, "%s (type %d)", table.names[i], frame % 10);
            fields.SetField(kFieldManufacturer, text);
        }
    }
}

}  // namespace tessaly
