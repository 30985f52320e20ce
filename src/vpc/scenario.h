// One virtual PC as a scenario file describes it: the Windows version, the ASPI
// manager, the host adapters with their devices, the drives reached only by letter,
// and the drives' identity, tray, disc and injected answers.
//
// Options of this virtual PC beyond the shared scenario format:
//   top level  "event_creation": false   CreateEventA fails (returns 0).
//   top level  "program_bits": 64        the program runs as a 64-bit process (default 32).
//   aspi       "bits": 64                the manager file is a 64-bit DLL (default 32). A
//                                        process loads only a DLL of its own bitness:
//                                        LoadLibraryA of one of the other fails with
//                                        ERROR_BAD_EXE_FORMAT (193).
//   aspi       "translation": "0x04e40409" the version resource's first translation
//                                        (language low, code page high); null: none.
//   aspi       "completion": "pending"   (default) SendASPI32Command returns SS_PENDING
//                                        and a worker thread completes the request
//                                        shortly after, as real managers do;
//              "completion": "direct"    the request completes inside the call.
//   drive      "passthrough_error": N    IOCTL_SCSI_PASS_THROUGH_DIRECT on the drive's
//                                        letter fails with system error N, the command
//                                        never reaching the drive.
//   os         "codepage": 932           the ANSI code page (default 1252); 932 converts
//                                        the full-width katakana of Shift-JIS.
//   device     "bus": N                  the bus (path id) the device sits on in its
//                                        port's inquiry data and SCSI address (0..7,
//                                        default 0); "path_id" is accepted as well.
//                                        An adapter holds up to 128 devices, one per
//                                        bus and target. Pass-through on the device's
//                                        letter reaches it whatever address the request
//                                        names (its port driver puts in the unit's own),
//                                        and the command log names it "adapter:target",
//                                        or "adapter:bus:target" off bus 0.
//   drive      "recorder": true,         a drive without a model (another maker's) writes
//              "reads_dvd": true         CD-R/RW; reads DVD (capabilities page 2Ah byte 2,
//                                        GET CONFIGURATION, READ DISC STRUCTURE).
//   disc       "kind": "dvd-rom", "dvd-r", "dvd-ram", "dvd-rw", "dvd-r-dl", "dvd+rw",
//              "dvd+r", "dvd+r-dl", "bd-rom", "bd-r", "bd-re": a DVD or BD medium, with
//              "manufacturer_id", "media_type_id", "product_revision" (the media ID it
//              carries) and "capacity_lba" (default a full single-layer disc). The CD
//              structures (ATIP, full table of contents) fail on it with 05/24/00.
//   printer    "font_height": N          the character-cell height of the printer's
//                                        default font (default: height / 100).
//
// Numbers are JSON integers or strings holding a decimal or "0x" hexadecimal number.
// Keys the parser does not know are ignored.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vpc/sense.h"

namespace tessaly::vpc {

// A plain minute:second:frame time as the scenario writes it ("97:24:01").
struct Msf {
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t frame = 0;

    friend bool operator==(const Msf&, const Msf&) = default;
};

// kDvdOrBd: a DVD or BD medium, named by its profile.
enum class DiscKind { kCdR, kCdRw, kHcCdR, kCdRom, kDvdOrBd };

struct DiscSpec {
    DiscKind kind = DiscKind::kCdR;
    std::optional<Msf> leadIn;
    std::optional<Msf> leadOut;
    std::optional<std::uint8_t> subtype;  // ATIP sub-type, 0..7
    std::optional<std::uint8_t> a1;
    std::optional<std::uint8_t> a2;
    std::optional<Msf> hcLeadOut;
    std::uint32_t sessions = 1;
    std::optional<Msf> c0;
    std::optional<std::uint32_t> capacityLba;
    std::uint32_t readyAfter = 0;  // TEST UNIT READY commands that report "becoming ready"
    // A DVD or BD medium: its profile (GET CONFIGURATION) and the identification it
    // carries: the manufacturer ID (DVD-R/-RW pre-pits: up to 12 characters, DVD+R/+RW
    // ADIP: 8, BD disc information: 6), media type ID (3) and product revision.
    std::uint16_t profile = 0;
    std::string manufacturerId;
    std::string mediaTypeId;
    std::uint8_t productRevision = 0;
};

struct UnderrunSpec {
    bool supported = false;
    bool enabled = false;
};

enum class TrayState { kClosed, kOpen };

struct DriveSpec {
    std::optional<std::string> model;  // a product key of the maker's model table
    std::optional<std::string> vendor;
    std::optional<std::string> product;
    std::optional<std::string> revision;
    std::optional<std::uint8_t> peripheral;
    std::optional<std::string> serial;
    std::optional<std::uint32_t> usageSeconds;
    std::optional<std::uint8_t> jumper;
    std::optional<std::uint16_t> readSpeedKbs;
    std::optional<std::uint8_t> speedIndex;
    std::optional<UnderrunSpec> underrun;
    TrayState tray = TrayState::kClosed;
    std::optional<DiscSpec> disc;
    // Keyed by InjectionKey() form: "12", "1a/2a", "43/4" (suffix in hex, no leading zero).
    std::map<std::string, std::vector<std::uint8_t>> answers;
    std::map<std::string, SenseCode> fail;
    std::optional<std::uint32_t> passthroughError;
    // A drive of another maker (no model): "recorder" writes CD-R and CD-RW, "reads_dvd"
    // reads DVD media and answers GET CONFIGURATION and READ DISC STRUCTURE. The maker's
    // DVD models read DVD by their model.
    bool recorder = false;
    bool readsDvd = false;
};

enum class BusKind { kScsi, kAtapi, kUsb, k1394 };

struct DeviceSpec {
    std::uint8_t target = 0;    // 0..15, unique on its adapter
    std::uint8_t bus = 0;       // path id, 0..7
    char letter = 0;            // 'A'..'Z', 0 when Windows gave it none
    bool accessDenied = false;  // "access": "denied": its letter's device refuses to open
    DriveSpec drive;
};

struct AdapterSpec {
    BusKind bus = BusKind::kScsi;
    std::string identifier;  // at most 16 characters
    std::uint8_t scsiId = 7;
    // "alignment_mask": the AlignmentMask its descriptor reports, and the port driver
    // then refuses a pass-through data buffer at an address with any of these bits set.
    // Left out: the descriptor reports word alignment (1) and any buffer is taken.
    std::optional<std::uint32_t> alignmentMask;
    std::vector<DeviceSpec> devices;
};

struct ExternalSpec {
    char letter = 0;
    BusKind bus = BusKind::kUsb;  // kUsb or k1394
    bool accessDenied = false;
    DriveSpec drive;
};

struct OsSpec {
    std::uint32_t platform = 2;  // 1 Windows 9x, 2 NT
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::string service;            // at most 127 characters
    std::uint32_t codePage = 1252;  // the ANSI code page: 1252, or 932 (Japanese)
};

struct DateSpec {
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
};

enum class AspiCompletion { kPending, kDirect };

struct AspiSpec {
    std::optional<std::string> fileVersion;  // nullopt: the file has no version resource
    std::optional<std::string> description;  // nullopt: the resource lacks the string
    std::optional<std::string> company;
    // The first "\VarFileInfo\Translation" entry: language in the low 16 bits, code page
    // in the high 16 bits; nullopt: the resource has no translation entry.
    std::optional<std::uint32_t> translation = 0x04E40409u;
    bool exports = true;
    std::uint8_t status = 1;
    AspiCompletion completion = AspiCompletion::kPending;
    std::uint8_t bits = 32;
};

struct RegistryValue {
    enum class Type { kString, kMultiString, kBinary, kDword };
    Type type = Type::kString;
    std::string text;
    std::vector<std::string> strings;
    std::vector<std::uint8_t> bytes;
    std::uint32_t dword = 0;
};

// Key path -> value name -> value.
using RegistryAdditions = std::map<std::string, std::map<std::string, RegistryValue>>;

struct PrinterSpec {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool cancel = false;
    // The character-cell height of the printer's default font; 0: height / 100.
    std::uint32_t fontHeight = 0;
    // Non-zero: StartDocA fails with this error (1223 when the user cancelled it).
    std::uint32_t startDocError = 0;
    // The vertical resolution GetDeviceCaps reports (LOGPIXELSY); 0: none.
    std::uint32_t dotsPerInch = 0;
};

enum class PromptAnswer { kOk, kCancel };

struct Scenario {
    OsSpec os;
    std::optional<DateSpec> date;
    std::optional<AspiSpec> aspi;
    std::vector<AdapterSpec> adapters;
    std::vector<ExternalSpec> external;
    RegistryAdditions registry;
    std::vector<std::string> registryRemove;
    std::optional<PrinterSpec> printer;
    std::map<std::string, PromptAnswer> prompts;
    bool eventCreation = true;
    std::uint8_t programBits = 32;
};

inline constexpr std::size_t kMaxAdapters = 26;
inline constexpr std::size_t kMaxExternal = 26;
inline constexpr std::uint8_t kMaxTarget = 15;
inline constexpr std::uint8_t kMaxBus = 7;

// Parses a scenario. On failure returns nullopt and sets error to one line:
// "<sourceName>: <where>: <problem>". Never throws.
std::optional<Scenario> ParseScenario(std::string_view json, std::string& error,
                                      std::string_view sourceName = "scenario");

// Reads and parses a scenario file; errors name the file as given.
std::optional<Scenario> LoadScenarioFile(const std::string& path, std::string& error);

}  // namespace tessaly::vpc
