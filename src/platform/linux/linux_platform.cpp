#include "platform/linux/linux_platform.h"

#include <sys/utsname.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "common/bytes.h"
#include "common/code_pages.h"
#include "platform/linux/error_codes.h"
#include "platform/linux/host_drivers.h"
#include "platform/linux/port_answers.h"
#include "platform/linux/sg_passthrough.h"
#include "transport/scsi_passthrough.h"

namespace tessaly::platform::linux_os {

namespace {

// Peripheral device type of CD/DVD drives.
constexpr int kMmcDeviceType = 5;
constexpr std::size_t kDrivePrefix = 4;  // "\\.\" before "D:" or "SCSI0:"
constexpr std::size_t kMaxPorts = 256;   // port numbers are bytes
constexpr int kMaxAddressPart = 0xFF;    // bus, target and LUN are bytes
constexpr const char* kDevFolder = "/dev/";
constexpr std::uint32_t kPropertyDescriptorHeader = 8;
// The device interface class of CD-ROM drives, as mounted-device paths end.
constexpr const char* kCdromInterface = "{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";

std::string RegistryName(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ')
            out += '_';
        else if (c != '\\' && c != '#' && c != '&' && static_cast<unsigned char>(c) >= 0x20)
            out += c;
    }
    return out;
}

// A host's class by where it sits and its driver; a host sysfs does not list is SCSI.
HostDriverClass ClassOf(const SysfsHost* host) {
    return host != nullptr ? ClassifyHost(host->devicePath, host->driver) : HostDriverClass{};
}

// "sr2" before "sr10": by the letters, then by the number.
bool NodeBefore(const std::string& a, const std::string& b) {
    const auto digits = [](const std::string& name) { return name.find_first_of("0123456789"); };
    const std::size_t da = digits(a);
    const std::size_t db = digits(b);
    if (a.compare(0, da, b, 0, db) != 0)
        return a.substr(0, da) < b.substr(0, db);
    if (a.size() - da != b.size() - db)
        return a.size() - da < b.size() - db;
    return a < b;
}

std::vector<std::uint8_t> Utf16Le(const std::string& text) {
    std::vector<std::uint8_t> data;
    for (char c : text) {
        data.push_back(static_cast<std::uint8_t>(c));
        data.push_back(0);
    }
    return data;
}

}  // namespace

KernelRelease ReadKernelRelease() {
    utsname names{};
    if (::uname(&names) != 0)
        return {};
    return {names.release, names.machine};
}

OsVersionInfo LinuxVersionInfo(const KernelRelease& kernel) {
    OsVersionInfo info;
    info.platformId = kVerPlatformLinux;
    unsigned numbers[3] = {0, 0, 0};
    std::size_t part = 0;
    for (char c : kernel.release) {
        if (c == '.' && part < 2) {
            ++part;
        } else if (c >= '0' && c <= '9') {
            numbers[part] = numbers[part] < 100000 ? numbers[part] * 10 + (c - '0') : numbers[part];
        } else {
            break;
        }
    }
    info.majorVersion = numbers[0];
    info.minorVersion = numbers[1];
    info.buildNumber = numbers[2];
    std::snprintf(info.csdVersion, sizeof info.csdVersion, "%s %s", kernel.release.c_str(),
                  kernel.machine.c_str());
    return info;
}

LinuxPlatform::LinuxPlatform(SystemCalls& calls, std::string sysfsRoot,
                             std::vector<std::string> devices, KernelRelease kernel)
    : nodes_(calls, kLetterCount),
      calls_(nodes_.Calls()),
      sysfs_(ReadSysfs(sysfsRoot)),
      devices_(std::move(devices)),
      kernel_(std::move(kernel)) {
    if (sysfs_.unreadDevices > 0) {
        Note(std::to_string(sysfs_.unreadDevices) +
             " SCSI device entries in sysfs name no address the program can hold; they are "
             "not listed");
    }
    if (devices_.empty())
        devices_ = LetteredNodes();
    if (devices_.size() > kLetterCount) {
        std::string left;
        for (std::size_t i = kLetterCount; i < devices_.size(); ++i)
            left += (left.empty() ? "" : ", ") + devices_[i];
        Note(std::to_string(devices_.size()) + " CD/DVD devices; drive letters D: to Z: hold " +
             std::to_string(kLetterCount) + ", left out: " + left);
        devices_.resize(kLetterCount);
    }
}

LinuxPlatform::~LinuxPlatform() = default;

std::vector<std::string> LinuxPlatform::LetteredNodes() {
    std::vector<std::string> names;
    bool unnamed = false;  // a CD/DVD device whose node sysfs does not show
    for (const SysfsDevice& device : sysfs_.devices) {
        if (device.type == kMmcDeviceType && !device.node.empty())
            names.push_back(device.node);
        unnamed = unnamed || (device.type == kMmcDeviceType && device.node.empty());
    }
    if (!sysfs_.mounted || (names.empty() && unnamed)) {
        // Without sysfs the nodes are tried by name.
        for (int i = 0; i < kLetterCount; ++i)
            names.push_back(kDevFolder + std::string("sr") + std::to_string(i));
        return names;
    }
    std::sort(names.begin(), names.end(), NodeBefore);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (std::string& name : names)
        name = kDevFolder + name;
    return names;
}

void LinuxPlatform::Note(const std::string& text) {
    if (std::find(notes_.begin(), notes_.end(), text) == notes_.end())
        notes_.push_back(text);
}

std::vector<std::string> LinuxPlatform::TakeNotes() {
    std::vector<std::string> fresh(notes_.begin() + static_cast<std::ptrdiff_t>(notesTaken_),
                                   notes_.end());
    notesTaken_ = notes_.size();
    return fresh;
}

bool LinuxPlatform::GetVersionExA(OsVersionInfo& info) {
    info = LinuxVersionInfo(kernel_);
    return true;
}

std::string LinuxPlatform::DevicePath(int letter) const {
    const int index = letter - kFirstLetter;
    if (index < 0 || index >= static_cast<int>(devices_.size()))
        return {};
    return devices_[static_cast<std::size_t>(index)];
}

// "D:\" (or "D:") to its letter index; -1 for anything else.
int LinuxPlatform::LetterOf(const char* name, std::size_t prefix) const {
    if (name == nullptr || std::strlen(name) < prefix + 2)
        return -1;
    const char c = name[prefix];
    const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper < 'A' || upper > 'Z' || name[prefix + 1] != ':')
        return -1;
    const char* rest = name + prefix + 2;
    if (!(rest[0] == '\0' || (rest[0] == '\\' && rest[1] == '\0')))
        return -1;
    return upper - 'A';
}

std::uint32_t LinuxPlatform::GetDriveTypeA(const char* rootPath) {
    const std::string path = DevicePath(LetterOf(rootPath, 0));
    struct stat info {};
    if (path.empty() || calls_.Stat(path.c_str(), info) < 0 || !S_ISBLK(info.st_mode))
        return kDriveNoRootDir;
    return kDriveCdrom;
}

Handle LinuxPlatform::AddObject(const Object& object) {
    const Handle handle = nextHandle_;
    nextHandle_ += 4;
    objects_[handle] = object;
    return handle;
}

LinuxPlatform::Object* LinuxPlatform::Find(Handle handle) {
    const auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : &it->second;
}

Handle LinuxPlatform::CreateFileA(const char* fileName, std::uint32_t, std::uint32_t,
                                  std::uint32_t) {
    if (fileName == nullptr || std::strncmp(fileName, "\\\\.\\", kDrivePrefix) != 0) {
        Fail(kErrorFileNotFound);
        return kInvalidHandleValue;
    }
    int host = -1;
    char colon = 0;
    char extra = 0;
    if (std::sscanf(fileName + kDrivePrefix, "SCSI%3d%c%c", &host, &colon, &extra) == 2 &&
        colon == ':') {
        if (host < 0 || static_cast<std::size_t>(host) >= Ports().size()) {
            Fail(kErrorFileNotFound);
            return kInvalidHandleValue;
        }
        return AddObject(Object{Kind::kPort, -1, host});
    }
    const int letter = LetterOf(fileName, kDrivePrefix);
    std::uint32_t error = 0;
    if (Descriptor(letter, error) < 0) {
        Fail(error);
        return kInvalidHandleValue;
    }
    return AddObject(Object{Kind::kDrive, letter, -1});
}

int LinuxPlatform::Descriptor(int letter, std::uint32_t& error) {
    const std::string path = DevicePath(letter);
    if (path.empty()) {
        error = kErrorFileNotFound;
        return -1;
    }
    return nodes_.Get(static_cast<std::size_t>(letter - kFirstLetter), path, error);
}

std::optional<LinuxPlatform::Address> LinuxPlatform::AddressOf(int letter) {
    const std::string path = DevicePath(letter);
    if (path.empty())
        return std::nullopt;
    if (path.rfind(kDevFolder, 0) == 0) {
        const std::string name = path.substr(std::strlen(kDevFolder));
        for (const SysfsDevice& device : sysfs_.devices) {
            if (device.node == name)
                return Address{device.host, device.channel, device.id, device.lun};
        }
    }
    std::uint32_t error = 0;
    const int fd = Descriptor(letter, error);
    IdLun idLun;
    if (fd < 0 || !ReadIdLun(calls_, fd, idLun, error))
        return std::nullopt;
    return Address{idLun.host, idLun.channel, idLun.id, idLun.lun};
}

const std::vector<int>& LinuxPlatform::Ports() {
    if (ports_)
        return *ports_;
    // The hosts of the lettered drives, internal before USB and IEEE 1394 ones: the
    // transport numbers its external drives after the ports.
    std::vector<std::pair<bool, int>> hosts;
    for (int letter = kFirstLetter; letter < kFirstLetter + kLetterCount; ++letter) {
        const std::optional<Address> address = AddressOf(letter);
        if (!address)
            continue;
        const bool external =
            ClassOf(sysfs_.Host(address->host)).attachment != Attachment::kInternal;
        hosts.emplace_back(external, address->host);
    }
    std::sort(hosts.begin(), hosts.end());
    hosts.erase(std::unique(hosts.begin(), hosts.end()), hosts.end());
    if (hosts.size() > kMaxPorts) {
        Note(std::to_string(hosts.size()) + " SCSI hosts hold CD/DVD drives; port numbers hold " +
             std::to_string(kMaxPorts) + ", the drives of the others are left out");
        hosts.resize(kMaxPorts);
    }
    ports_.emplace();
    for (const auto& [external, host] : hosts)
        ports_->push_back(host);
    return *ports_;
}

std::optional<int> LinuxPlatform::PortOf(int host) {
    const std::vector<int>& ports = Ports();
    const auto it = std::find(ports.begin(), ports.end(), host);
    if (it == ports.end())
        return std::nullopt;
    return static_cast<int>(it - ports.begin());
}

const SysfsSnapshot& LinuxPlatform::PortDevices() {
    if (portDevices_)
        return *portDevices_;
    constexpr std::size_t kStandardInquiry = 36;
    SysfsSnapshot devices = sysfs_;
    std::vector<Address> lettered;
    for (int letter = kFirstLetter; letter < kFirstLetter + kLetterCount; ++letter) {
        const std::optional<Address> address = AddressOf(letter);
        if (!address)
            continue;
        lettered.push_back(*address);
        auto known =
            std::find_if(devices.devices.begin(), devices.devices.end(), [&](const SysfsDevice& d) {
                return d.host == address->host && d.channel == address->channel &&
                       d.id == address->id && d.lun == address->lun;
            });
        const bool complete =
            known != devices.devices.end() && known->inquiry.size() >= kStandardInquiry;
        if (complete)
            continue;
        std::uint32_t error = 0;
        const int fd = Descriptor(letter, error);
        std::vector<std::uint8_t> inquiry;
        if (fd < 0 || !AskInquiry(calls_, fd, inquiry))
            continue;
        if (known == devices.devices.end()) {
            SysfsDevice device;
            device.host = address->host;
            device.channel = address->channel;
            device.id = address->id;
            device.lun = address->lun;
            devices.devices.push_back(std::move(device));
            known = std::prev(devices.devices.end());
        }
        known->type = inquiry[0] & 0x1F;
        known->inquiry = std::move(inquiry);
    }
    // The ports list the CD/DVD drives that have letters only: with devices named on the
    // command line, another drive on the same host is not the user's to read.
    std::erase_if(devices.devices, [&lettered](const SysfsDevice& d) {
        return d.type == kMmcDeviceType &&
               std::none_of(lettered.begin(), lettered.end(), [&d](const Address& a) {
                   return a.host == d.host && a.channel == d.channel && a.id == d.id &&
                          a.lun == d.lun;
               });
    });
    portDevices_ = std::move(devices);
    return *portDevices_;
}

bool LinuxPlatform::CloseHandle(Handle object) {
    // A drive's descriptor stays open for the next handle.
    if (objects_.erase(object) == 0)
        return Fail(kErrorInvalidHandle);
    return true;
}

bool LinuxPlatform::DeviceIoControl(Handle device, std::uint32_t controlCode, void* inBuffer,
                                    std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                                    std::uint32_t* bytesReturned) {
    if (bytesReturned == nullptr)
        return Fail(kErrorInvalidParameter);
    *bytesReturned = 0;
    Object* object = Find(device);
    if (object == nullptr)
        return Fail(kErrorInvalidHandle);
    switch (object->kind) {
        case Kind::kDrive:
            return DriveControl(*object, controlCode, inBuffer, inSize, outBuffer, outSize,
                                *bytesReturned);
        case Kind::kPort:
            return PortControl(*object, controlCode, inBuffer, inSize, outBuffer, outSize,
                               *bytesReturned);
        case Kind::kEvent:
            break;
    }
    return Fail(kErrorInvalidFunction);
}

bool LinuxPlatform::DriveControl(const Object& drive, std::uint32_t controlCode, void* in,
                                 std::uint32_t inSize, void* out, std::uint32_t outSize,
                                 std::uint32_t& returned) {
    std::uint32_t error = 0;
    const int fd = Descriptor(drive.letter, error);
    if (fd < 0)
        return Fail(error);
    const std::optional<Address> address = AddressOf(drive.letter);
    // A drive on a USB or IEEE 1394 host is reached by its letter only, as Windows
    // reaches such drives: it has no SCSI address. So is a drive whose address a
    // Windows address cannot hold.
    const std::optional<int> port = address ? PortOf(address->host) : std::nullopt;
    const bool addressed =
        port && ClassOf(sysfs_.Host(address->host)).attachment == Attachment::kInternal &&
        address->channel <= kMaxAddressPart && address->id <= kMaxAddressPart &&
        address->lun <= kMaxAddressPart;
    nodes_.ClearGone();
    ControlResult result;
    if (controlCode == nt::IOCTL_SCSI_GET_ADDRESS) {
        if (!address)
            return Fail(kErrorNotReady);
        if (!addressed)
            return Fail(kErrorInvalidFunction);
        IdLun compact;
        compact.host = static_cast<std::uint8_t>(*port);
        compact.channel = static_cast<std::uint8_t>(address->channel);
        compact.id = static_cast<std::uint8_t>(address->id);
        compact.lun = static_cast<std::uint8_t>(address->lun);
        result = WriteScsiAddress(compact, out, outSize);
    } else if (controlCode == nt::IOCTL_SCSI_PASS_THROUGH_DIRECT) {
        result = PassThroughDirect(calls_, fd, in, inSize, out, outSize);
        nt::SCSI_PASS_THROUGH_DIRECT request;
        if ((result.ok || result.error != kErrorInvalidParameter) && in != nullptr &&
            inSize >= sizeof request) {
            // The log names the drive by its port address, as the port driver would; a
            // drive reached by letter alone by what the request names.
            std::memcpy(&request, in, sizeof request);
            const std::size_t length = std::min<std::size_t>(request.CdbLength, sizeof request.Cdb);
            if (addressed) {
                log_.Record(static_cast<unsigned>(*port), static_cast<unsigned>(address->channel),
                            static_cast<unsigned>(address->id), request.Cdb, length);
            } else {
                log_.Record(request.PathId, request.TargetId, request.Cdb, length);
            }
        }
    } else {
        return Fail(kErrorInvalidFunction);
    }
    if (nodes_.Gone())
        nodes_.Forget(static_cast<std::size_t>(drive.letter - kFirstLetter));
    if (!result.ok)
        return Fail(result.error);
    returned = result.returned;
    return true;
}

bool LinuxPlatform::PortControl(const Object& port, std::uint32_t controlCode, void* in,
                                std::uint32_t inSize, void* out, std::uint32_t outSize,
                                std::uint32_t& returned) {
    std::vector<std::uint8_t> answer;
    std::size_t count = 0;
    if (controlCode == nt::IOCTL_SCSI_GET_INQUIRY_DATA) {
        // USB and IEEE 1394 drives are reached by their letters only, as external drives:
        // their host's port lists no device.
        const int host = Ports()[static_cast<std::size_t>(port.port)];
        const bool external = ClassOf(sysfs_.Host(host)).attachment != Attachment::kInternal;
        static const SysfsSnapshot kNoDevices;
        int left = 0;
        answer = BuildPortInquiryData(external ? kNoDevices : PortDevices(), host, &left);
        if (left > 0) {
            Note("SCSI host " + std::to_string(host) + ": " + std::to_string(left) +
                 " devices beyond a port's limits (8 buses, 255 units a bus, target and LUN up "
                 "to 255) are not listed");
        }
        if (outSize < answer.size())
            return Fail(kErrorInsufficientBuffer);
        count = answer.size();
    } else if (controlCode == nt::IOCTL_STORAGE_QUERY_PROPERTY) {
        if (in == nullptr || inSize < nt::kStoragePropertyQuerySize)
            return Fail(kErrorInvalidParameter);
        const ByteView query(static_cast<const std::uint8_t*>(in), inSize);
        if (query.Le32(0) != nt::StorageAdapterProperty ||
            query.Le32(4) != nt::PropertyStandardQuery) {
            return Fail(kErrorInvalidFunction);
        }
        if (outSize < kPropertyDescriptorHeader)
            return Fail(kErrorInsufficientBuffer);
        const int host = Ports()[static_cast<std::size_t>(port.port)];
        answer = BuildAdapterDescriptor(ClassOf(sysfs_.Host(host)).busType);
        count = std::min<std::size_t>(outSize, answer.size());
    } else {
        return Fail(kErrorInvalidFunction);
    }
    if (out == nullptr)
        return Fail(kErrorInvalidParameter);
    std::memcpy(out, answer.data(), count);
    returned = static_cast<std::uint32_t>(count);
    return true;
}

Module LinuxPlatform::LoadLibraryA(const char*) {
    Fail(kErrorModNotFound);
    return 0;
}

AnyProc LinuxPlatform::GetProcAddress(Module, const char*) {
    Fail(kErrorInvalidHandle);
    return nullptr;
}

bool LinuxPlatform::FreeLibrary(Module) {
    return Fail(kErrorInvalidHandle);
}

Handle LinuxPlatform::CreateEventA(bool, bool) {
    return AddObject(Object{Kind::kEvent, -1, -1});
}

bool LinuxPlatform::ResetEvent(Handle event) {
    const Object* object = Find(event);
    if (object == nullptr || object->kind != Kind::kEvent)
        return Fail(kErrorInvalidHandle);
    return true;
}

// Events serve the ASPI manager only, which Linux does not have: nothing signals them.
std::uint32_t LinuxPlatform::WaitForSingleObject(Handle object, std::uint32_t) {
    const Object* found = Find(object);
    if (found == nullptr || found->kind != Kind::kEvent) {
        Fail(kErrorInvalidHandle);
        return kWaitFailed;
    }
    return kWaitTimeout;
}

void LinuxPlatform::BuildRegistry() {
    registryBuilt_ = true;
    const std::vector<int>& ports = Ports();
    for (std::size_t port = 0; port < ports.size(); ++port) {
        if (const SysfsHost* host = sysfs_.Host(ports[port])) {
            registry_.SetText("HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port " + std::to_string(port),
                              "Driver", host->driver);
        }
    }
    // Drives on USB and IEEE 1394 hosts: their letters in the mounted-device list and
    // the bus in their compatible ids, as Windows records such drives.
    for (int letter = kFirstLetter; letter < kFirstLetter + kLetterCount; ++letter) {
        const std::optional<Address> address = AddressOf(letter);
        const SysfsHost* host = address ? sysfs_.Host(address->host) : nullptr;
        if (host == nullptr)
            continue;
        const Attachment attachment = ClassOf(host).attachment;
        if (attachment == Attachment::kInternal)
            continue;
        std::string vendor;
        std::string model;
        for (const SysfsDevice& device : sysfs_.devices) {
            if (device.host == address->host && device.channel == address->channel &&
                device.id == address->id && device.lun == address->lun) {
                vendor = RegistryName(device.vendor);
                model = RegistryName(device.model);
            }
        }
        const bool usb = attachment == Attachment::kUsb;
        const std::string enumerator = usb ? "USBSTOR" : "SBP2";
        const std::string deviceId = "CdRom&Ven_" + vendor + "&Prod_" + model;
        char instance[32];
        std::snprintf(instance, sizeof instance, "%d&%d&%d&%d", address->host, address->channel,
                      address->id, address->lun);
        char valueName[] = "\\DosDevices\\D:";
        valueName[12] = static_cast<char>('A' + letter);
        registry_.SetBinary("System\\MountedDevices", valueName,
                            Utf16Le("\\??\\" + enumerator + "#" + deviceId + "#" + instance + "#" +
                                    kCdromInterface));
        registry_.SetText(
            "SYSTEM\\CurrentControlSet\\Enum\\" + enumerator + "\\" + deviceId + "\\" + instance,
            "CompatibleIDs", usb ? "USBSTOR\\CdRom" : "SBP2\\CdRom");
    }
}

std::int32_t LinuxPlatform::RegOpenKeyExA(RegKey key, const char* subKey, std::uint32_t,
                                          RegKey* result) {
    if (!registryBuilt_)
        BuildRegistry();
    return registry_.Open(key, subKey, result);
}

std::int32_t LinuxPlatform::RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                             std::uint8_t* data, std::uint32_t* dataSize) {
    return registry_.Query(key, valueName, type, data, dataSize);
}

std::int32_t LinuxPlatform::RegEnumKeyExA(RegKey key, std::uint32_t index, char* name,
                                          std::uint32_t* nameSize) {
    return registry_.EnumKey(key, index, name, nameSize);
}

std::int32_t LinuxPlatform::RegCloseKey(RegKey key) {
    return registry_.Close(key);
}

std::uint32_t LinuxPlatform::GetFileVersionInfoSizeA(const char*) {
    Fail(kErrorFileNotFound);
    return 0;
}

bool LinuxPlatform::GetFileVersionInfoA(const char*, std::uint32_t, void*) {
    return Fail(kErrorFileNotFound);
}

bool LinuxPlatform::VerQueryValueA(const void*, const char*, const void**, std::uint32_t*) {
    return false;
}

// The program's texts are in the ANSI code page 1252.
int LinuxPlatform::MultiByteToWideChar(const char* text, int length, char16_t* out, int outCount) {
    const int count = AnsiToUtf16(1252, text, length, out, outCount);
    if (count == 0)
        Fail(kErrorInsufficientBuffer);
    return count;
}

}  // namespace tessaly::platform::linux_os
