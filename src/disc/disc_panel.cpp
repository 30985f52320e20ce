#include "disc/disc_panel.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "disc/atip.h"
#include "disc/disc_commands.h"
#include "disc/full_toc.h"
#include "disc/manufacturer_lookup.h"
#include "disc/medium_refresh.h"
#include "drives/drive_commands.h"
#include "drives/drive_scope.h"
#include "drives/model_identification.h"
#include "drives/speed_texts.h"

namespace tessaly {

namespace {

constexpr std::size_t kWorkLength = 3000;
constexpr std::size_t kSpeedLength = 100;
constexpr std::size_t kFillLength = 32;
constexpr std::uint8_t kFillByte = 0x66;
// The main ATIP read asks for more than the ATIP's 28 bytes, as drives answer longer
// forms.
constexpr std::uint16_t kAtipReadLength = 804;
constexpr std::uint16_t kShortAtipReadLength = 32;
constexpr std::uint16_t kDiscStatusLength = 4;

using WorkBuffer = std::array<std::uint8_t, kWorkLength>;

std::string TimeText(DiscTime t) {  // "97m26s66f"
    char text[32];
    std::snprintf(text, sizeof text, "%dm%02ds%02df", t.minute, t.second, t.frame);
    return text;
}

std::string ClockText(DiscTime t) {  // "79:59:74"
    char text[32];
    std::snprintf(text, sizeof text, "%2ld:%02ld:%02ld", static_cast<long>(t.minute),
                  static_cast<long>(t.second), static_cast<long>(t.frame));
    return text;
}

// The time of a frame count, minutes not limited to a byte.
std::string ClockTextOfFrames(std::uint32_t frames) {
    char text[40];
    std::snprintf(text, sizeof text, "%2ld:%02ld:%02ld",
                  static_cast<long>(frames / kFramesPerMinute),
                  static_cast<long>(frames % kFramesPerMinute / kFramesPerSecond),
                  static_cast<long>(frames % kFramesPerSecond));
    return text;
}

std::string NumberText(std::uint32_t n) {
    return std::to_string(n);
}

// The class of a rewritable disc from the short ATIP read: "HS CD-RW inserted (2X-4X
// compatible)" and the like.
std::string RewritableStatus(ScsiTransport& transport, const DriveAddress& drive) {
    std::uint8_t speeds[kSpeedLength] = {};
    ReadTocPmaAtip(transport, drive, toc_format::kAtip, kShortAtipReadLength, speeds);
    const AtipInfo atip = DecodeAtip(ByteView(speeds, sizeof speeds));
    char text[64];
    if (atip.subType <= 1) {
        std::string status = atip.subType == 0 ? "NS CD-RW inserted" : "HS CD-RW inserted";
        const int high = HighestSpeed(atip.highSpeedIndex);
        const int low = LowestSpeed(atip.lowSpeedIndex);
        if (high > 0) {
            if (low == high) {
                std::snprintf(text, sizeof text, " (%dX compatible)", high);
            } else {
                std::snprintf(text, sizeof text, " (%dX-%dX compatible)", low, high);
            }
            status += text;
        }
        return status;
    }
    std::string status = "US CD-RW inserted";
    const int speed = UltraSpeed(atip.ultraSpeedCode);
    if (speed > 0) {
        std::snprintf(text, sizeof text, " (%dX compatible)", speed);
        status += text;
    }
    return status;
}

// Both readings answer true when they found no CD where another medium may be: a
// refused read (not an empty tray or a disc spinning up) or a disc that is no CD-R(W).
bool RefreshFromAtip(ScsiTransport& transport, const DriveAddress& drive, DiscFields& fields,
                     WorkBuffer& work) {
    std::memset(work.data(), kFillByte, kFillLength);
    TestUnitReady(transport, drive);
    std::string status;
    if (ReadDiscInformation(transport, drive, kDiscStatusLength, work.data()) == 1) {
        status = (work[kDiscInfoStatusByte] & kDiscInfoErasable) == 0
                     ? "CD-R inserted"
                     : RewritableStatus(transport, drive);
    }

    TestUnitReady(transport, drive);
    work.fill(0);
    bool notCd = false;
    if (ReadTocPmaAtip(transport, drive, toc_format::kAtip, kAtipReadLength, work.data()) != 1) {
        fields.SetField(kFieldStatus, SenseStatusText(transport, drive));
        for (DiscField field : {kFieldLeadOutLba, kFieldLeadInLba, kFieldLeadOutTime,
                                kFieldLeadInTime, kFieldManufacturer}) {
            fields.SetField(field, "-");
        }
        notCd = CdReadRefusedMedium(transport, drive);
    } else if (const AtipInfo atip = DecodeAtip(ByteView(work.data(), work.size()));
               HasHighCapacityMark(atip)) {
        // A high-capacity CD-R: its lead-out comes from the disc information, and its
        // lead-in names no maker.
        if (ReadDiscInformation(transport, drive, kDiscInformationLength, work.data()) == 1) {
            constexpr std::size_t at = kDiscInfoHighCapacityLeadOut;
            const DiscTime leadOut{work[at], work[at + 1], work[at + 2]};
            fields.SetField(kFieldLeadOutTime, ClockText(leadOut));
            fields.SetField(kFieldLeadOutLba, NumberText(FrameCount(leadOut)));
        }
        fields.SetField(kFieldLeadInTime, TimeText(atip.leadInStart));
        fields.SetField(kFieldManufacturer, "-");
        fields.SetField(kFieldStatus, "HC-R inserted");
    } else if (atip.leadInStart.minute == kRecordableLeadInMinute) {
        fields.SetField(kFieldLeadInLba, NumberText(FrameCount(atip.leadInStart)));
        fields.SetField(kFieldStatus, status);
        fields.SetField(kFieldLeadInTime, TimeText(atip.leadInStart));
        fields.SetField(kFieldLeadOutLba, NumberText(FrameCount(atip.leadOutStart)));
        fields.SetField(kFieldLeadOutTime, ClockText(atip.leadOutStart));
        char maker[128];
        LookupDiscManufacturer(transport, drive, maker, sizeof maker);
        fields.SetField(kFieldManufacturer, maker);
    } else {
        fields.SetField(kFieldStatus, "Disc is not a CD-R(W)");
        notCd = true;
    }
    fields.SetField(kFieldExtra, "");
    return notCd;
}

bool RefreshFromToc(ScsiTransport& transport, const DriveAddress& drive, DiscFields& fields,
                    WorkBuffer& work) {
    std::memset(work.data(), kFillByte, kFillLength);
    ReleaseUnit(transport, drive, 0, 0);
    if (ReadTocPmaAtip(transport, drive, toc_format::kFullToc, kWorkLength, work.data()) != 1) {
        fields.SetField(kFieldStatus, SenseStatusText(transport, drive));
        return CdReadRefusedMedium(transport, drive);
    }
    if (work[2] == work[3]) {
        fields.SetField(kFieldStatus, "Not a multisession CD-R(W)");
        return true;
    }
    DiscTime leadIn;
    FullTocLeadIn(ByteView(work.data(), work.size()), leadIn);
    if (leadIn.minute != kRecordableLeadInMinute) {
        fields.SetField(kFieldStatus, "Disc is not a CD-R(W)");
        return true;
    }
    fields.SetField(kFieldStatus, "CD-R(W) inserted");
    fields.SetField(kFieldLeadInTime, TimeText(leadIn));
    // The lead-out is where the recorded area ends: the block after the last one.
    // Without a capacity the lead-out fields keep their texts.
    std::uint8_t capacity[8] = {};
    if (ReadCapacity(transport, drive, capacity) == 1) {
        const std::uint32_t next = (std::uint32_t{capacity[1]} << 16) +
                                   (std::uint32_t{capacity[2]} << 8) + capacity[3] + 1;
        fields.SetField(kFieldLeadOutLba, NumberText(next));
        fields.SetField(kFieldLeadOutTime, ClockTextOfFrames(next));
    }
    fields.SetField(kFieldManufacturer, "unknown");
    LookupTocManufacturer(leadIn.second, leadIn.frame, fields);
    return false;
}

}  // namespace

void RefreshDiscPanel(ScsiTransport& transport, const DriveAddress& drive, DiscFields& fields) {
    InquiryIdentity identity;
    const bool identified = transport.Inquiry(drive, identity) != 0;
    WorkBuffer work{};
    // A drive listed on request that is no model of the table is a recorder when its
    // capabilities page says it writes.
    const bool recorder = IsRecorderModel(transport, drive) ||
                          (AnyMakerDrives() && !IsSupportedDrive(transport, drive) &&
                           CanWriteDiscs(transport, drive));
    const bool notCd = recorder ? RefreshFromAtip(transport, drive, fields, work)
                                : RefreshFromToc(transport, drive, fields, work);
    // Only a drive that reads DVD is asked, and only after its CD reading found no CD.
    if (notCd && identified && ReadsDvdMedia(transport, drive, identity))
        RefreshFromDvdOrBd(transport, drive, fields);
}

}  // namespace tessaly
