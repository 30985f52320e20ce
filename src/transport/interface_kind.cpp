// Adapter classification: SCSI, ATAPI/IDE, IEEE 1394, or (on Windows 9x) none of
// them. Windows 9x names the adapter's port driver in its device-class keys; NT 5
// answers a storage property query; NT 4 is judged by the adapter identifier. When the
// query goes unanswered, NT 5 looks for the port driver among the IDE channels' services;
// NT 6 and later first know their ATA port drivers by name.
#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "transport/backends.h"
#include "transport/registry_key.h"
#include "transport/scsi_passthrough.h"
#include "transport/scsi_transport.h"
#include "transport/text_match.h"

namespace tessaly {

using namespace platform;

namespace {

constexpr std::size_t kClassSubkeyLength = 30;
constexpr int kWideTextLength = 100;

// The katakana words for "primary" and "secondary", as IDE channel descriptions
// of Japanese Windows name them.
constexpr char16_t kKatakanaPrimary[] = {0x30D7, 0x30E9, 0x30A4, 0x30DE, 0x30EA, 0};
constexpr char16_t kKatakanaSecondary[] = {0x30BB, 0x30AB, 0x30F3, 0x30C0, 0x30EA, 0};

// The AHCI port drivers of Vista to 11 (the identifier is the port's lower-cased "Driver"
// value): Vista's and 7's under the ATA port, 8's and later under Storport, and Intel's
// storage drivers ("iastor", "iastora", "iastorv", ...).
bool IsLaterAtaPortDriver(const char* identifier) {
    return std::strcmp(identifier, "msahci") == 0 || std::strcmp(identifier, "storahci") == 0 ||
           std::strncmp(identifier, "iastor", 6) == 0;
}

bool ContainsWide(const char16_t* text, int length, const char16_t* word) {
    int wordLength = 0;
    while (word[wordLength] != 0)
        ++wordLength;
    for (int i = 0; i + wordLength <= length; ++i) {
        if (std::memcmp(text + i, word, wordLength * sizeof(char16_t)) == 0)
            return true;
    }
    return false;
}

}  // namespace

int ScsiTransport::DetectInterfaceKind(std::uint32_t adapter) {
    AdapterInfo info;
    const std::int32_t status = GetAdapterInfo(adapter, info);
    ToLowerAscii(info.identifier);
    switch (os_.Rules()) {
        case TransportRules::kWindows9x:
            return DetectWin9xInterfaceKind(info, status);
        case TransportRules::kNt5:
            return DetectNt5InterfaceKind(adapter, info.identifier, status);
        case TransportRules::kNt4:
            break;
    }
    const bool ide = status == 1 && (ContainsText(info.identifier, "esdi") ||
                                     ContainsText(info.identifier, "atapi") ||
                                     ContainsText(info.identifier, "ata"));
    return ide ? kInterfaceAtapi : kInterfaceScsi;
}

int ScsiTransport::DetectWin9xInterfaceKind(const AdapterInfo& info, std::int32_t status) {
    const char* identifier = info.identifier;
    char subkey[kClassSubkeyLength + 1];
    char text[256];

    // A channel description names the primary or secondary IDE channel, in English
    // or in katakana.
    auto namesChannel = [&](RegistryKey& key, const char* value) {
        if (!key.ReadText(value, text, sizeof text))
            return false;
        char lower[sizeof text];
        CopyText(text, lower, sizeof lower);
        ToLowerAscii(lower);
        if (ContainsText(lower, "primary") || ContainsText(lower, "secondary"))
            return true;
        char16_t wide[kWideTextLength];
        const int bytes = static_cast<int>(std::min<std::size_t>(std::strlen(text), 100));
        const int length = platform_.MultiByteToWideChar(text, bytes, wide, kWideTextLength);
        return ContainsWide(wide, length, kKatakanaPrimary) ||
               ContainsWide(wide, length, kKatakanaSecondary);
    };
    auto portDriverMatches = [&](RegistryKey& key) {
        if (!key.ReadText("PortDriver", text, sizeof text))
            return false;
        ToLowerAscii(text);
        return ContainsText(text, identifier);
    };

    if (status == 1) {
        RegistryKey scsiClass(platform_);
        if (scsiClass.Open(kHkeyLocalMachine,
                           {"System\\CurrentControlSet\\Services\\Class\\SCSIAdapter"},
                           kKeyAllAccess)) {
            for (std::uint32_t i = 0; scsiClass.EnumSubkey(i, subkey, sizeof subkey); ++i) {
                RegistryKey entry(platform_);
                if (entry.OpenChild(scsiClass, subkey, kKeyQueryValue) &&
                    portDriverMatches(entry)) {
                    return kInterfaceScsi;
                }
            }
        }
    }

    RegistryKey hdcClass(platform_);
    if (hdcClass.Open(kHkeyLocalMachine, {"System\\CurrentControlSet\\Services\\Class\\hdc"},
                      kKeyAllAccess)) {
        for (std::uint32_t i = 0; hdcClass.EnumSubkey(i, subkey, sizeof subkey); ++i) {
            RegistryKey entry(platform_);
            if (!entry.OpenChild(hdcClass, subkey, kKeyQueryValue) || !portDriverMatches(entry)) {
                continue;
            }
            if (namesChannel(entry, "DriverDesc") || namesChannel(entry, "MatchingDeviceId")) {
                return kInterfaceAtapi;
            }
        }
    }

    RegistryKey storageClass(platform_);
    if (storageClass.Open(kHkeyLocalMachine,
                          {"System\\CurrentControlSet\\Services\\Class\\Storage"}, kKeyAllAccess)) {
        for (std::uint32_t i = 0; storageClass.EnumSubkey(i, subkey, sizeof subkey); ++i) {
            RegistryKey entry(platform_);
            if (!entry.OpenChild(storageClass, subkey, kKeyQueryValue) ||
                !portDriverMatches(entry)) {
                continue;
            }
            if (entry.ReadText("DriverDesc", text, sizeof text) &&
                (ContainsText(text, "1394") || ContainsText(text, "IEEE"))) {
                return kInterface1394;
            }
        }
    }
    return kInterfaceUnclassified;
}

int ScsiTransport::DetectNt5InterfaceKind(std::uint32_t adapter, const char* identifier,
                                          std::int32_t status) {
    std::uint8_t query[nt::kStoragePropertyQuerySize] = {};
    ByteWriter(query, sizeof query).Le32(0, nt::StorageAdapterProperty);
    ByteWriter(query, sizeof query).Le32(4, nt::PropertyStandardQuery);
    std::uint8_t descriptor[512] = {};
    std::uint32_t returned = 0;
    // Full addresses keep no port open: the port is opened for the query alone.
    HandleOwner opened;
    if (UsesFullAddresses())
        opened = OpenPortDevice(platform_, adapter);
    const Handle port = UsesFullAddresses() ? opened.Get() : PortHandle(adapter);
    if (port != 0 &&
        platform_.DeviceIoControl(port, nt::IOCTL_STORAGE_QUERY_PROPERTY, query, sizeof query,
                                  descriptor, sizeof descriptor, &returned)) {
        // The same answer tells the buffer alignment the adapter demands, kept for its
        // commands so that no command asks again.
        const ByteView answer(descriptor, std::min<std::size_t>(returned, sizeof descriptor));
        if (adapter < alignmentMask_.size())
            alignmentMask_[adapter] = answer.Has(nt::kAdapterDescriptorAlignmentMask, 4)
                                          ? answer.Le32(nt::kAdapterDescriptorAlignmentMask)
                                          : 0;
        return descriptor[nt::kAdapterDescriptorBusType] == 1 ? kInterfaceScsi : kInterfaceAtapi;
    }
    if (status != 1)
        return kInterfaceScsi;
    if (os_.IsNt6OrLater() && IsLaterAtaPortDriver(identifier))
        return kInterfaceAtapi;
    RegistryKey channels(platform_);
    if (!channels.Open(kHkeyLocalMachine,
                       {"System", "CurrentControlSet", "Enum", "PCIIDE", "IDEChannel"}, kKeyRead)) {
        return kInterfaceScsi;
    }
    char subkey[256];
    char service[256];
    for (std::uint32_t i = 0; channels.EnumSubkey(i, subkey, sizeof subkey); ++i) {
        RegistryKey channel(platform_);
        if (!channel.OpenChild(channels, subkey, kKeyQueryValue))
            continue;
        if (!channel.ReadText("Service", service, sizeof service))
            continue;
        ToLowerAscii(service);
        if (ContainsText(service, identifier))
            return kInterfaceAtapi;
    }
    return kInterfaceScsi;
}

}  // namespace tessaly
