#include "report/report_content.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "common/bytes.h"
#include "disc/disc_fields.h"
#include "drives/drive_commands.h"
#include "drives/drive_model_table.h"
#include "drives/model_identification.h"
#include "drives/speed_texts.h"
#include "drives/vendor_data.h"
#include "platform/file_version.h"
#include "report/os_name.h"

namespace tessaly {

AspiVersionTexts AspiVersionInfo(platform::Platform& platform, const ScsiTransport& transport) {
    AspiVersionTexts texts;
    char version[256] = "n/a";
    char description[256] = "n/a";
    char company[256] = "n/a";
    platform::VersionString strings[] = {{"FileVersion", version, sizeof version},
                                         {"FileDescription", description, sizeof description},
                                         {"CompanyName", company, sizeof company}};
    platform::ReadVersionStrings(platform, transport.GetAspiPath(), strings, 3);
    texts.version = version;
    texts.description = description;
    texts.company = company;
    if (transport.IsAspiBypassed())
        texts.version += " (not used by Tessaly)";
    return texts;
}

bool IsOutdatedManagerVersion(const std::string& version) {
    return version.size() > 9 && version[0] == '1' && version[3] == '0' && version[6] == '0' &&
           version[9] == '0';
}

std::string ScsiJumperText(std::uint8_t jumpers) {
    std::string text;
    for (int bit = 0; bit < 8; ++bit)
        text += ((jumpers >> bit) & 1) != 0 ? '1' : '0';
    return text;
}

std::string AtapiJumperText(std::uint8_t jumpers) {
    std::string text;
    for (int bit = 2; bit >= 0; --bit)
        text += ((jumpers >> bit) & 1) != 0 ? '1' : '0';
    return text;
}

std::string UsageTimeText(ScsiTransport& transport, const DriveAddress& drive) {
    if (!CanWriteDiscs(transport, drive))
        return "";
    TestUnitReady(transport, drive);
    std::uint8_t block[kVendorBlockLength] = {};
    if (VendorReadMemory(transport, drive, 0, sizeof block, block) != 1)
        return "";
    const auto s =
        static_cast<std::int32_t>(ByteView(block, sizeof block).Be32(kVendorUsageOffset));
    const char kind = s < 0 ? '?' : s <= 1200 ? 'A' : s <= 3600 ? 'B' : s <= 7200 ? 'C' : 'D';
    char text[64];
    std::snprintf(text, sizeof text, "%d.%d.%d%c", static_cast<int>(s / 3600),
                  static_cast<int>((s % 3600) / 60), static_cast<int>(s % 60), kind);
    return text;
}

std::string ReportDate(platform::Printing& printing) {
    platform::SystemTime now;
    printing.GetLocalTime(now);
    char text[100] = {};
    if (printing.GetDateFormatA(now, "dd MMMM yyyy", text, sizeof text) == 0)
        text[0] = '\0';
    return text;
}

namespace {

// The drive's two lines: identity with serial number and usage, then speed, jumpers and
// under-run protection. False when the drive does not answer INQUIRY.
bool DriveLines(ScsiTransport& transport, const DriveAddress& drive, InfoReport& report) {
    InquiryIdentity id;
    if (transport.Inquiry(drive, id) == 0)
        return false;
    const bool scsiRecorderVariant = std::strstr(id.product, kScsiRecorderCode) != nullptr;
    char serial[32];
    if (!SerialNumberText(transport, drive, serial, sizeof serial)) {
        std::strcpy(serial, "n/a");
    }
    const char letter = static_cast<char>('A' + transport.GetDriveLetter(drive));
    const std::string usage = UsageTimeText(transport, drive);
    char line[256];
    std::snprintf(line, sizeof line, "ID %d:(%c:) %s%s V%s (S/N:%s) (%s)", drive.target, letter,
                  id.vendor, id.product, id.revision, serial, usage.c_str());
    report.driveLine = line;

    const std::optional<std::uint8_t> jumpers = JumperSettingsValue(transport, drive);
    char speed[64];
    ReportReadSpeedText(transport, drive, speed, sizeof speed);
    std::string jumperText = "n/a";
    // A jumper byte the drive did not give is no setting: the text stays "n/a".
    if (jumpers && HasVendorCommandSet(transport, drive) && !transport.IsUsbSlot(drive.adapter) &&
        !scsiRecorderVariant) {
        jumperText = IsTenByteModeModel(transport, drive) ? AtapiJumperText(*jumpers)
                                                          : ScsiJumperText(*jumpers);
    }
    report.featuresLine = std::string("Read speed: ") + speed + ", Jumper settings: " + jumperText;
    std::uint8_t page05[64];
    ModeSensePage(transport, drive, mode_page::kWriteParameters, sizeof page05, page05);
    // Page 05h byte 2 bit 6: buffer under-run protection on.
    const char* state = (page05[kModePageOffset + 2] & 0x40) != 0 ? "enabled" : "disabled";
    if (HasBufferUnderrunProof(transport, drive)) {
        report.featuresLine += std::string(", Buffer under run proof ") + state;
    }
    return true;
}

}  // namespace

InfoReport BuildInfoReport(ScsiTransport& transport, platform::Platform& platform,
                           platform::Printing& printing, const DriveList& drives,
                           DiscFields& shown) {
    InfoReport report;
    report.title = std::string("Tessaly V") + kProgramVersionText;
    report.date = ReportDate(printing);
    report.copyright = kCopyrightLine;
    char os[256];
    OsNameText(platform, os, sizeof os);
    report.osLine = std::string("Operating system: ") + os;
    const AspiVersionTexts aspi = AspiVersionInfo(platform, transport);
    // Without a version to show, the line says n/a, also where the manager was bypassed.
    const bool noVersion = aspi.version == "n/a" || aspi.version == "n/a (not used by Tessaly)";
    report.aspiLine = noVersion ? "ASPI Manager    : n/a"
                                : std::string("ASPI Manager    : ") + transport.GetAspiPath() +
                                      " version " + aspi.version;
    report.descriptionLine = "Description     : " + aspi.description;
    if (aspi.company != "n/a")
        report.descriptionLine += " (" + aspi.company + ")";
    // NT 6 and later never use the manager: an old file there warrants no warning.
    report.warning = IsOutdatedManagerVersion(aspi.version) && !transport.Os().IsNt6OrLater();

    if (!drives.IsValid(drives.selected))
        return report;
    const DriveAddress& drive = drives.addresses[drives.selected];
    report.hasDrive = DriveLines(transport, drive, report);
    if (!report.hasDrive)
        return report;
    // The disc lines are what the window shows now; no disc command is sent for them.
    report.statusLine = shown.GetField(kFieldStatus);
    report.manufacturerLine = shown.GetField(kFieldManufacturer);
    report.leadInLine = "Start Time of Lead In: " + shown.GetField(kFieldLeadInTime);
    report.leadOutLine = "Start Time of Lead Out: " + shown.GetField(kFieldLeadOutTime) +
                         ", LBA: " + shown.GetField(kFieldLeadOutLba);
    return report;
}

}  // namespace tessaly
