#include "vpc/scenario_drive.h"

#include <cstdint>
#include <limits>

#include "vpc/drive_models.h"

namespace tessaly::vpc::reader {
namespace {

// An injected answer can be no longer than the largest allocation length.
constexpr std::size_t kMaxAnswerBytes = 65535;

template <typename T>
T ReadNumber(const Json& value, const std::string& path) {
    return static_cast<T>(ReadUnsigned(value, path, std::numeric_limits<T>::max()));
}

// A fixed-width INQUIRY text: printable ASCII, at most width characters.
std::string ReadIdentityText(const Json& value, const std::string& path, std::size_t width) {
    std::string text = ReadString(value, path, width);
    for (char c : text) {
        if (c < 0x20 || c > 0x7E)
            Fail(path, "not printable ASCII: " + Quote(text));
    }
    return text;
}

struct MediumKind {
    std::string_view name;
    std::uint16_t profile;
};

// The DVD and BD kinds a scenario names, with the profile the drive reports for each.
constexpr MediumKind kDvdAndBdKinds[] = {
    {"dvd-rom", 0x10},  {"dvd-r", 0x11},  {"dvd-ram", 0x12}, {"dvd-rw", 0x14},
    {"dvd-r-dl", 0x15}, {"dvd+rw", 0x1A}, {"dvd+r", 0x1B},   {"dvd+r-dl", 0x2B},
    {"bd-rom", 0x40},   {"bd-r", 0x41},   {"bd-re", 0x43},
};

DiscKind ReadDiscKind(const Json& value, const std::string& path, DiscSpec& disc) {
    const std::string text = ReadString(value, path, 64);
    if (text == "cd-r")
        return DiscKind::kCdR;
    if (text == "cd-rw")
        return DiscKind::kCdRw;
    if (text == "hc-cd-r")
        return DiscKind::kHcCdR;
    if (text == "cd-rom")
        return DiscKind::kCdRom;
    for (const MediumKind& kind : kDvdAndBdKinds) {
        if (text == kind.name) {
            disc.profile = kind.profile;
            return DiscKind::kDvdOrBd;
        }
    }
    Fail(path, "unknown disc kind " + Quote(text) +
                   " (cd-r, cd-rw, hc-cd-r, cd-rom, dvd-rom, dvd-r, dvd-ram, dvd-rw, dvd-r-dl, "
                   "dvd+rw, dvd+r, dvd+r-dl, bd-rom, bd-r, bd-re)");
}

DiscSpec ReadDisc(const Json& value, const std::string& path) {
    RequireObject(value, path);
    DiscSpec disc;
    const auto at = [&](std::string_view key) { return Member(path, key); };
    if (const Json* v = Find(value, "kind"))
        disc.kind = ReadDiscKind(*v, at("kind"), disc);
    if (const Json* v = Find(value, "lead_in"))
        disc.leadIn = ReadMsf(*v, at("lead_in"));
    if (const Json* v = Find(value, "lead_out"))
        disc.leadOut = ReadMsf(*v, at("lead_out"));
    if (const Json* v = Find(value, "subtype")) {
        disc.subtype = static_cast<std::uint8_t>(ReadUnsigned(*v, at("subtype"), 7));
    }
    if (const Json* v = Find(value, "a1"))
        disc.a1 = ReadNumber<std::uint8_t>(*v, at("a1"));
    if (const Json* v = Find(value, "a2"))
        disc.a2 = ReadNumber<std::uint8_t>(*v, at("a2"));
    if (const Json* v = Find(value, "hc_lead_out")) {
        disc.hcLeadOut = ReadMsf(*v, at("hc_lead_out"));
    }
    if (const Json* v = Find(value, "sessions")) {
        disc.sessions = static_cast<std::uint32_t>(ReadUnsigned(*v, at("sessions"), 99));
    }
    if (const Json* v = Find(value, "c0"))
        disc.c0 = ReadMsf(*v, at("c0"));
    if (const Json* v = Find(value, "capacity_lba")) {
        disc.capacityLba = ReadNumber<std::uint32_t>(*v, at("capacity_lba"));
    }
    if (const Json* v = Find(value, "ready_after")) {
        disc.readyAfter = static_cast<std::uint32_t>(ReadUnsigned(*v, at("ready_after"), 1000));
    }
    if (const Json* v = Find(value, "manufacturer_id"))
        disc.manufacturerId = ReadString(*v, at("manufacturer_id"), 12);
    if (const Json* v = Find(value, "media_type_id"))
        disc.mediaTypeId = ReadString(*v, at("media_type_id"), 3);
    if (const Json* v = Find(value, "product_revision")) {
        disc.productRevision = ReadNumber<std::uint8_t>(*v, at("product_revision"));
    }
    return disc;
}

UnderrunSpec ReadUnderrun(const Json& value, const std::string& path) {
    RequireObject(value, path);
    UnderrunSpec underrun;
    if (const Json* v = Find(value, "supported")) {
        underrun.supported = ReadBool(*v, Member(path, "supported"));
    }
    if (const Json* v = Find(value, "enabled")) {
        underrun.enabled = ReadBool(*v, Member(path, "enabled"));
    }
    return underrun;
}

TrayState ReadTray(const Json& value, const std::string& path) {
    const std::string text = ReadString(value, path, 64);
    if (text == "open")
        return TrayState::kOpen;
    if (text == "closed")
        return TrayState::kClosed;
    Fail(path, "bad tray " + Quote(text) + " (open, closed)");
}

void ReadInjections(const Json& drive, const std::string& path, DriveSpec& spec) {
    if (const Json* answers = Find(drive, "answers")) {
        const std::string base = Member(path, "answers");
        RequireObject(*answers, base);
        for (const auto& [key, bytes] : answers->items()) {
            const std::string where = Keyed(base, key);
            spec.answers[ReadInjectionKey(key, where)] =
                ReadHexBytes(bytes, where, kMaxAnswerBytes);
        }
    }
    if (const Json* fail = Find(drive, "fail")) {
        const std::string base = Member(path, "fail");
        RequireObject(*fail, base);
        for (const auto& [key, text] : fail->items()) {
            const std::string where = Keyed(base, key);
            spec.fail[ReadInjectionKey(key, where)] = ReadSense(text, where);
        }
    }
}

}  // namespace

DriveSpec ReadDrive(const Json& value, const std::string& path) {
    RequireObject(value, path);
    DriveSpec spec;
    const auto at = [&](std::string_view key) { return Member(path, key); };
    if (const Json* v = Find(value, "model")) {
        const std::string key = ReadString(*v, at("model"), 64);
        const DriveModel* model = FindDriveModel(key);
        if (model == nullptr)
            Fail(at("model"), "unknown model " + Quote(key));
        spec.model = std::string(model->key);
    }
    if (const Json* v = Find(value, "vendor"))
        spec.vendor = ReadIdentityText(*v, at("vendor"), 8);
    if (const Json* v = Find(value, "product")) {
        spec.product = ReadIdentityText(*v, at("product"), 16);
    }
    if (const Json* v = Find(value, "revision")) {
        spec.revision = ReadIdentityText(*v, at("revision"), 4);
    }
    if (const Json* v = Find(value, "peripheral")) {
        spec.peripheral = ReadNumber<std::uint8_t>(*v, at("peripheral"));
    }
    if (const Json* v = Find(value, "serial"))
        spec.serial = ReadIdentityText(*v, at("serial"), 5);
    if (const Json* v = Find(value, "usage_seconds")) {
        // The counter is a signed 32-bit number: a negative decimal stands for itself.
        if (v->is_number_integer() && !v->is_number_unsigned()) {
            const std::int64_t seconds = v->get<std::int64_t>();
            if (seconds < INT32_MIN)
                Fail(at("usage_seconds"), "below -2147483648");
            spec.usageSeconds = static_cast<std::uint32_t>(static_cast<std::int32_t>(seconds));
        } else {
            spec.usageSeconds = ReadNumber<std::uint32_t>(*v, at("usage_seconds"));
        }
    }
    if (const Json* v = Find(value, "jumper"))
        spec.jumper = ReadNumber<std::uint8_t>(*v, at("jumper"));
    if (const Json* v = Find(value, "read_speed_kbs")) {
        spec.readSpeedKbs = ReadNumber<std::uint16_t>(*v, at("read_speed_kbs"));
    }
    if (const Json* v = Find(value, "speed_index")) {
        spec.speedIndex = ReadNumber<std::uint8_t>(*v, at("speed_index"));
    }
    if (const Json* v = Find(value, "underrun"))
        spec.underrun = ReadUnderrun(*v, at("underrun"));
    if (const Json* v = Find(value, "tray"))
        spec.tray = ReadTray(*v, at("tray"));
    if (const Json* v = Find(value, "disc"))
        spec.disc = ReadDisc(*v, at("disc"));
    if (const Json* v = Find(value, "passthrough_error")) {
        spec.passthroughError = ReadNumber<std::uint32_t>(*v, at("passthrough_error"));
    }
    if (const Json* v = Find(value, "recorder"))
        spec.recorder = ReadBool(*v, at("recorder"));
    if (const Json* v = Find(value, "reads_dvd"))
        spec.readsDvd = ReadBool(*v, at("reads_dvd"));
    ReadInjections(value, path, spec);
    return spec;
}

}  // namespace tessaly::vpc::reader
