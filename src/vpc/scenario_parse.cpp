// The scenario's top level: version, date, ASPI manager, adapters and their
// devices, external drives, registry additions, printer and prompts.
#include <fstream>
#include <set>
#include <sstream>

#include "vpc/scenario.h"
#include "vpc/scenario_drive.h"
#include "vpc/scenario_reader.h"

namespace tessaly::vpc {
namespace {

using namespace reader;

// Every target of every bus: a port with several buses (one per SATA port under AHCI).
constexpr std::size_t kMaxDevicesPerAdapter = (kMaxBus + 1u) * (kMaxTarget + 1u);
constexpr std::size_t kMaxRegistryEntries = 4096;
constexpr std::size_t kMaxText = 4096;

// Drive letters must be unique, and C: is the system disk.
class LetterSet {
  public:
    void Claim(char letter, const std::string& path) {
        if (letter == 'C')
            Fail(path, "letter C is the system disk");
        if (!used_.insert(letter).second)
            Fail(path, std::string("letter ") + letter + " used twice");
    }

  private:
    std::set<char> used_;
};

// The bitness of a program or a DLL: 32 or 64.
std::uint8_t ReadBits(const Json& value, const std::string& path) {
    const auto bits = ReadUnsigned(value, path, 64);
    if (bits != 32 && bits != 64)
        Fail(path, "expected 32 or 64");
    return static_cast<std::uint8_t>(bits);
}

OsSpec ReadOs(const Json& value, const std::string& path) {
    RequireObject(value, path);
    OsSpec os;
    os.platform = static_cast<std::uint32_t>(
        ReadUnsigned(Required(value, path, "platform"), Member(path, "platform"), UINT32_MAX));
    if (os.platform != 1 && os.platform != 2)
        Fail(Member(path, "platform"), "expected 1 (Windows 9x) or 2 (NT)");
    const auto number = [&](std::string_view key, std::uint32_t& out) {
        if (const Json* v = Find(value, key)) {
            out = static_cast<std::uint32_t>(ReadUnsigned(*v, Member(path, key), UINT32_MAX));
        }
    };
    number("major", os.major);
    number("minor", os.minor);
    number("build", os.build);
    number("codepage", os.codePage);
    if (os.codePage != 1252 && os.codePage != 932)
        Fail(Member(path, "codepage"), "expected 1252 or 932");
    if (const Json* v = Find(value, "service"))
        os.service = ReadString(*v, Member(path, "service"), 127);
    return os;
}

DateSpec ReadDate(const Json& value, const std::string& path) {
    const std::string text = ReadString(value, path, 64);
    const auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-';
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        shaped = shaped && digit(i);
    if (!shaped)
        Fail(path, "bad date " + Quote(text) + " (expected YYYY-MM-DD)");
    const auto field = [&](std::size_t at, std::size_t count) {
        int v = 0;
        for (std::size_t i = at; i < at + count; ++i)
            v = v * 10 + (text[i] - '0');
        return v;
    };
    const int month = field(5, 2);
    const int day = field(8, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31)
        Fail(path, "bad date " + Quote(text));
    return DateSpec{static_cast<std::uint16_t>(field(0, 4)), static_cast<std::uint8_t>(month),
                    static_cast<std::uint8_t>(day)};
}

AspiSpec ReadAspi(const Json& value, const std::string& path) {
    RequireObject(value, path);
    AspiSpec aspi;
    const auto at = [&](std::string_view key) { return Member(path, key); };
    aspi.fileVersion = "4, 60, 0, 1021";
    if (value.contains("file_version")) {
        const Json& v = value.at("file_version");
        aspi.fileVersion.reset();
        if (!v.is_null())
            aspi.fileVersion = ReadString(v, at("file_version"), 256);
    }
    if (const Json* v = Find(value, "description")) {
        aspi.description = ReadString(*v, at("description"), 256);
    }
    if (const Json* v = Find(value, "company"))
        aspi.company = ReadString(*v, at("company"), 256);
    if (value.contains("translation")) {
        const Json& v = value.at("translation");
        aspi.translation.reset();
        if (!v.is_null())
            aspi.translation =
                static_cast<std::uint32_t>(ReadUnsigned(v, at("translation"), UINT32_MAX));
    }
    if (const Json* v = Find(value, "exports"))
        aspi.exports = ReadBool(*v, at("exports"));
    if (const Json* v = Find(value, "status")) {
        aspi.status = static_cast<std::uint8_t>(ReadUnsigned(*v, at("status"), 255));
    }
    if (const Json* v = Find(value, "bits"))
        aspi.bits = ReadBits(*v, at("bits"));
    if (const Json* v = Find(value, "completion")) {
        const std::string mode = ReadString(*v, at("completion"), 64);
        if (mode == "direct") {
            aspi.completion = AspiCompletion::kDirect;
        } else if (mode != "pending") {
            Fail(at("completion"), "bad completion " + Quote(mode) + " (pending, direct)");
        }
    }
    return aspi;
}

BusKind ReadBus(const Json& value, const std::string& path, bool externalOnly) {
    const std::string text = ReadString(value, path, 64);
    if (text == "usb")
        return BusKind::kUsb;
    if (text == "1394")
        return BusKind::k1394;
    if (!externalOnly && text == "scsi")
        return BusKind::kScsi;
    if (!externalOnly && text == "atapi")
        return BusKind::kAtapi;
    Fail(path,
         "bad bus " + Quote(text) + (externalOnly ? " (usb, 1394)" : " (scsi, atapi, usb, 1394)"));
}

// "access": "denied" (the device refuses to open) or "granted" (the default).
bool ReadAccessDenied(const Json& value, const std::string& path) {
    const Json* v = Find(value, "access");
    if (v == nullptr)
        return false;
    const std::string access = ReadString(*v, Member(path, "access"), 16);
    if (access != "denied" && access != "granted")
        Fail(Member(path, "access"), "expected \"denied\" or \"granted\"");
    return access == "denied";
}

// A target may appear once per bus of its adapter (path ids of one SCSI port).
DeviceSpec ReadDevice(const Json& value, const std::string& path, std::set<unsigned>& targets,
                      LetterSet& letters) {
    RequireObject(value, path);
    DeviceSpec device;
    device.target = static_cast<std::uint8_t>(
        ReadUnsigned(Required(value, path, "target"), Member(path, "target"), kMaxTarget));
    for (std::string_view key : {"path_id", "bus"}) {
        if (const Json* v = Find(value, key)) {
            device.bus = static_cast<std::uint8_t>(ReadUnsigned(*v, Member(path, key), kMaxBus));
        }
    }
    if (!targets.insert(device.bus * 16u + device.target).second) {
        Fail(Member(path, "target"), "target " + std::to_string(device.target) + " used twice");
    }
    if (const Json* v = Find(value, "letter")) {
        device.letter = ReadLetter(*v, Member(path, "letter"));
        letters.Claim(device.letter, Member(path, "letter"));
    }
    device.accessDenied = ReadAccessDenied(value, path);
    const Json* drive = Find(value, "drive");
    device.drive = ReadDrive(drive != nullptr ? *drive : Json::object(), Member(path, "drive"));
    return device;
}

AdapterSpec ReadAdapter(const Json& value, const std::string& path, LetterSet& letters) {
    RequireObject(value, path);
    AdapterSpec adapter;
    if (const Json* v = Find(value, "bus"))
        adapter.bus = ReadBus(*v, Member(path, "bus"), false);
    if (const Json* v = Find(value, "identifier")) {
        adapter.identifier = ReadString(*v, Member(path, "identifier"), 16);
    }
    if (const Json* v = Find(value, "scsi_id")) {
        adapter.scsiId =
            static_cast<std::uint8_t>(ReadUnsigned(*v, Member(path, "scsi_id"), kMaxTarget));
    }
    if (const Json* v = Find(value, "alignment_mask")) {
        adapter.alignmentMask = static_cast<std::uint32_t>(
            ReadUnsigned(*v, Member(path, "alignment_mask"), 0xFFFFFFFFu));
    }
    if (const Json* devices = Find(value, "devices")) {
        const std::string base = Member(path, "devices");
        RequireArray(*devices, base, kMaxDevicesPerAdapter);
        std::set<unsigned> targets;
        for (std::size_t i = 0; i < devices->size(); ++i) {
            adapter.devices.push_back(ReadDevice((*devices)[i], Index(base, i), targets, letters));
        }
    }
    return adapter;
}

ExternalSpec ReadExternal(const Json& value, const std::string& path, LetterSet& letters) {
    RequireObject(value, path);
    ExternalSpec external;
    external.letter = ReadLetter(Required(value, path, "letter"), Member(path, "letter"));
    letters.Claim(external.letter, Member(path, "letter"));
    if (const Json* v = Find(value, "bus"))
        external.bus = ReadBus(*v, Member(path, "bus"), true);
    external.accessDenied = ReadAccessDenied(value, path);
    const Json* drive = Find(value, "drive");
    external.drive = ReadDrive(drive != nullptr ? *drive : Json::object(), Member(path, "drive"));
    return external;
}

RegistryValue ReadRegistryValue(const Json& value, const std::string& path) {
    RegistryValue out;
    if (value.is_string()) {
        out.type = RegistryValue::Type::kString;
        out.text = ReadString(value, path, kMaxText);
    } else if (value.is_array()) {
        out.type = RegistryValue::Type::kMultiString;
        RequireArray(value, path, 256);
        for (std::size_t i = 0; i < value.size(); ++i) {
            out.strings.push_back(ReadString(value[i], Index(path, i), kMaxText));
        }
    } else if (value.is_object()) {
        out.type = RegistryValue::Type::kBinary;
        out.bytes = ReadHexBytes(Required(value, path, "hex"), Member(path, "hex"), kMaxText);
    } else {
        out.type = RegistryValue::Type::kDword;
        out.dword = static_cast<std::uint32_t>(ReadUnsigned(value, path, UINT32_MAX));
    }
    return out;
}

void ReadRegistry(const Json& root, Scenario& scenario) {
    if (const Json* registry = Find(root, "registry")) {
        RequireObject(*registry, "registry");
        if (registry->size() > kMaxRegistryEntries)
            Fail("registry", "too many keys");
        for (const auto& [key, values] : registry->items()) {
            const std::string path = Keyed("registry", key);
            RequireObject(values, path);
            auto& stored = scenario.registry[key];
            for (const auto& [name, value] : values.items()) {
                stored[name] = ReadRegistryValue(value, Keyed(path, name));
            }
        }
    }
    if (const Json* remove = Find(root, "registry_remove")) {
        RequireArray(*remove, "registry_remove", kMaxRegistryEntries);
        for (std::size_t i = 0; i < remove->size(); ++i) {
            scenario.registryRemove.push_back(
                ReadString((*remove)[i], Index("registry_remove", i), kMaxText));
        }
    }
}

void ReadUserFacing(const Json& root, Scenario& scenario) {
    if (const Json* printer = Find(root, "printer")) {
        RequireObject(*printer, "printer");
        PrinterSpec spec;
        if (const Json* v = Find(*printer, "width")) {
            spec.width = static_cast<std::uint32_t>(ReadUnsigned(*v, "printer.width", 1000000));
        }
        if (const Json* v = Find(*printer, "height")) {
            spec.height = static_cast<std::uint32_t>(ReadUnsigned(*v, "printer.height", 1000000));
        }
        if (const Json* v = Find(*printer, "cancel"))
            spec.cancel = ReadBool(*v, "printer.cancel");
        if (const Json* v = Find(*printer, "font_height")) {
            spec.fontHeight =
                static_cast<std::uint32_t>(ReadUnsigned(*v, "printer.font_height", 1000000));
        }
        if (const Json* v = Find(*printer, "start_doc_error")) {
            spec.startDocError = static_cast<std::uint32_t>(
                ReadUnsigned(*v, "printer.start_doc_error", 0xFFFFFFFFu));
        }
        if (const Json* v = Find(*printer, "dpi"))
            spec.dotsPerInch = static_cast<std::uint32_t>(ReadUnsigned(*v, "printer.dpi", 100000));
        scenario.printer = spec;
    }
    if (const Json* prompts = Find(root, "prompts")) {
        RequireObject(*prompts, "prompts");
        for (const auto& [key, value] : prompts->items()) {
            const std::string path = Member("prompts", key);
            const std::string answer = ReadString(value, path, 64);
            if (answer != "ok" && answer != "cancel") {
                Fail(path, "bad answer " + Quote(answer) + " (ok, cancel)");
            }
            scenario.prompts[key] = answer == "ok" ? PromptAnswer::kOk : PromptAnswer::kCancel;
        }
    }
}

Scenario ReadScenario(const Json& root) {
    if (!root.is_object())
        Fail("", "expected a JSON object at the top level");
    Scenario scenario;
    scenario.os = ReadOs(Required(root, "", "os"), "os");
    if (const Json* v = Find(root, "date"))
        scenario.date = ReadDate(*v, "date");
    if (const Json* v = Find(root, "aspi"))
        scenario.aspi = ReadAspi(*v, "aspi");
    if (const Json* v = Find(root, "event_creation")) {
        scenario.eventCreation = ReadBool(*v, "event_creation");
    }
    if (const Json* v = Find(root, "program_bits"))
        scenario.programBits = ReadBits(*v, "program_bits");
    LetterSet letters;
    if (const Json* adapters = Find(root, "adapters")) {
        RequireArray(*adapters, "adapters", kMaxAdapters);
        for (std::size_t i = 0; i < adapters->size(); ++i) {
            scenario.adapters.push_back(ReadAdapter((*adapters)[i], Index("adapters", i), letters));
        }
    }
    if (const Json* external = Find(root, "external")) {
        RequireArray(*external, "external", kMaxExternal);
        for (std::size_t i = 0; i < external->size(); ++i) {
            scenario.external.push_back(
                ReadExternal((*external)[i], Index("external", i), letters));
        }
    }
    ReadRegistry(root, scenario);
    ReadUserFacing(root, scenario);
    return scenario;
}

// nlohmann's message after its "[json.exception...] " tag and "parse error at ...: ".
std::string ParseErrorText(const nlohmann::json::parse_error& e) {
    std::string text = e.what();
    const std::size_t tag = text.find("] ");
    if (tag != std::string::npos)
        text.erase(0, tag + 2);
    const std::size_t colon = text.find(": ");
    if (colon != std::string::npos)
        text.erase(0, colon + 2);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return text;
}

}  // namespace

std::optional<Scenario> ParseScenario(std::string_view json, std::string& error,
                                      std::string_view sourceName) {
    std::string problem;
    try {
        const Json root = Json::parse(json.begin(), json.end());
        return ReadScenario(root);
    } catch (const nlohmann::json::parse_error& e) {
        problem = "bad JSON at byte " + std::to_string(e.byte) + ": " + ParseErrorText(e);
    } catch (const ValueError& e) {
        problem = e.what();
    } catch (const std::exception& e) {
        problem = std::string("cannot read: ") + e.what();
    } catch (...) {
        problem = "cannot read";
    }
    error = std::string(sourceName) + ": " + problem;
    for (char& c : error) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return std::nullopt;
}

std::optional<Scenario> LoadScenarioFile(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot open the file";
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        error = path + ": cannot read the file";
        return std::nullopt;
    }
    return ParseScenario(text.str(), error, path);
}

}  // namespace tessaly::vpc
