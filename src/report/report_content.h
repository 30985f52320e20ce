// The information report: every line the printed page carries, read afresh from the
// system, the ASPI manager's version resource, the selected drive and the texts the
// main window shows.
#pragma once

#include <cstdint>
#include <string>

#include "disc/disc_fields.h"
#include "drives/drive_list.h"
#include "platform/platform.h"
#include "platform/printing.h"
#include "tessaly_version.h"
#include "transport/scsi_transport.h"

namespace tessaly {

inline constexpr char kProgramVersionText[] = TESSALY_VERSION_TEXT;
inline constexpr char kCopyrightLine[] = "Copyright (C) 1998-2003 Varnoth Corporation";

struct AspiVersionTexts {
    std::string version = "n/a";
    std::string description = "n/a";
    std::string company = "n/a";
};

// The manager file's FileVersion, FileDescription and CompanyName; "n/a" where none,
// the version marked as not used when the manager was bypassed.
AspiVersionTexts AspiVersionInfo(platform::Platform& platform, const ScsiTransport& transport);

// "1, 0, 0, 0": '1' and three '0' at offsets 0, 3, 6 and 9.
bool IsOutdatedManagerVersion(const std::string& version);

// Bits 0 to 7 of the jumper byte ("10100000" for 05h); bits 2, 1, 0 ("101").
std::string ScsiJumperText(std::uint8_t jumpers);
std::string AtapiJumperText(std::uint8_t jumpers);

// "h.m.sX" from the drive's usage counter, X the class A to D ('?' below zero); empty
// when the drive cannot write (no vendor command is sent then) or the read fails.
std::string UsageTimeText(ScsiTransport& transport, const DriveAddress& drive);

// Today (the local date) as "dd MMMM yyyy" in the user's locale.
std::string ReportDate(platform::Printing& printing);

struct InfoReport {
    std::string title;
    std::string date;
    std::string copyright;
    std::string osLine;
    std::string aspiLine;
    std::string descriptionLine;
    bool warning = false;
    bool hasDrive = false;  // the selected drive answered INQUIRY
    std::string driveLine;
    std::string featuresLine;
    std::string statusLine;
    std::string manufacturerLine;
    std::string leadInLine;
    std::string leadOutLine;
};

InfoReport BuildInfoReport(ScsiTransport& transport, platform::Platform& platform,
                           platform::Printing& printing, const DriveList& drives,
                           DiscFields& shown);

}  // namespace tessaly
