#include "platform/linux/linux_platform.h"

#include <fcntl.h>
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

// Linux opens drives for reading only, whatever access is asked: SG_IO on an sr device
// needs no more, and a member of the group "cdrom" may open it so. O_NONBLOCK opens a
// drive without a disc.
constexpr int kDeviceFlags = O_RDONLY | O_NONBLOCK;
constexpr std::size_t kDrivePrefix = 4;  // "\\.\" before "D:" or "SCSI0:"
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
    : calls_(calls),
      sysfs_(ReadSysfs(sysfsRoot)),
      devices_(std::move(devices)),
      kernel_(std::move(kernel)) {
    if (devices_.empty()) {
        for (int i = 0; i < kLetterCount; ++i)
            devices_.push_back("/dev/sr" + std::to_string(i));
    }
    if (devices_.size() > kLetterCount)
        devices_.resize(kLetterCount);
}

LinuxPlatform::~LinuxPlatform() {
    for (auto& [handle, object] : objects_) {
        if (object.fd >= 0)
            calls_.Close(object.fd);
    }
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
        // Every host number up to the highest stands for a port, so that a gap in the
        // numbering reads as a port without devices rather than the end of the ports.
        if (host < 0 || host > HighestPort()) {
            Fail(kErrorFileNotFound);
            return kInvalidHandleValue;
        }
        return AddObject(Object{Kind::kPort, -1, host});
    }
    const std::string path = DevicePath(LetterOf(fileName, kDrivePrefix));
    if (path.empty()) {
        Fail(kErrorFileNotFound);
        return kInvalidHandleValue;
    }
    const int fd = calls_.Open(path.c_str(), kDeviceFlags);
    if (fd < 0) {
        Fail(WindowsErrorOf(-fd));
        return kInvalidHandleValue;
    }
    return AddObject(Object{Kind::kDrive, fd, -1});
}

void LinuxPlatform::ForEachLetteredDevice(const std::function<void(int, const IdLun&)>& visit) {
    for (int letter = kFirstLetter; letter < kFirstLetter + kLetterCount; ++letter) {
        const std::string path = DevicePath(letter);
        const int fd = path.empty() ? -1 : calls_.Open(path.c_str(), kDeviceFlags);
        if (fd < 0)
            continue;
        IdLun address;
        std::uint32_t error = 0;
        if (ReadIdLun(calls_, fd, address, error))
            visit(fd, address);
        calls_.Close(fd);
    }
}

int LinuxPlatform::HighestPort() {
    if (highestPort_)
        return *highestPort_;
    // Without sysfs (not mounted) the drives' own addresses still tell their hosts.
    int highest = sysfs_.HighestHost();
    ForEachLetteredDevice([&highest](int, const IdLun& address) {
        highest = std::max(highest, static_cast<int>(address.host));
    });
    highestPort_ = highest;
    return highest;
}

const SysfsSnapshot& LinuxPlatform::PortDevices() {
    if (portDevices_)
        return *portDevices_;
    constexpr std::size_t kStandardInquiry = 36;
    SysfsSnapshot devices = sysfs_;
    ForEachLetteredDevice([&](int fd, const IdLun& address) {
        auto known =
            std::find_if(devices.devices.begin(), devices.devices.end(), [&](const SysfsDevice& d) {
                return d.host == address.host && d.channel == address.channel &&
                       d.id == address.id && d.lun == address.lun;
            });
        std::vector<std::uint8_t> inquiry;
        const bool complete =
            known != devices.devices.end() && known->inquiry.size() >= kStandardInquiry;
        if (complete || !AskInquiry(calls_, fd, inquiry))
            return;
        if (known == devices.devices.end()) {
            SysfsDevice device;
            device.host = address.host;
            device.channel = address.channel;
            device.id = address.id;
            device.lun = address.lun;
            devices.devices.push_back(std::move(device));
            known = std::prev(devices.devices.end());
        }
        known->type = inquiry[0] & 0x1F;
        known->inquiry = std::move(inquiry);
    });
    portDevices_ = std::move(devices);
    return *portDevices_;
}

bool LinuxPlatform::CloseHandle(Handle object) {
    const auto it = objects_.find(object);
    if (it == objects_.end())
        return Fail(kErrorInvalidHandle);
    if (it->second.fd >= 0)
        calls_.Close(it->second.fd);
    objects_.erase(it);
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

bool LinuxPlatform::DriveControl(Object& drive, std::uint32_t controlCode, void* in,
                                 std::uint32_t inSize, void* out, std::uint32_t outSize,
                                 std::uint32_t& returned) {
    ControlResult result;
    if (controlCode == nt::IOCTL_SCSI_GET_ADDRESS) {
        IdLun address;
        std::uint32_t error = 0;
        if (!ReadIdLun(calls_, drive.fd, address, error))
            return Fail(error);
        // A drive on a USB or IEEE 1394 host is reached by its letter only, as Windows
        // reaches such drives: it has no SCSI address.
        if (ClassOf(sysfs_.Host(address.host)).attachment != Attachment::kInternal)
            return Fail(kErrorInvalidFunction);
        result = WriteScsiAddress(address, out, outSize);
    } else if (controlCode == nt::IOCTL_SCSI_PASS_THROUGH_DIRECT) {
        result = PassThroughDirect(calls_, drive.fd, in, inSize, out, outSize);
        if (result.ok || result.error != kErrorInvalidParameter) {
            nt::SCSI_PASS_THROUGH_DIRECT request;
            if (in != nullptr && inSize >= sizeof request) {
                std::memcpy(&request, in, sizeof request);
                log_.Record(request.PathId, request.TargetId, request.Cdb,
                            std::min<std::size_t>(request.CdbLength, sizeof request.Cdb));
            }
        }
    } else {
        return Fail(kErrorInvalidFunction);
    }
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
        const bool external = ClassOf(sysfs_.Host(port.host)).attachment != Attachment::kInternal;
        static const SysfsSnapshot kNoDevices;
        answer = BuildPortInquiryData(external ? kNoDevices : PortDevices(), port.host);
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
        answer = BuildAdapterDescriptor(ClassOf(sysfs_.Host(port.host)).busType);
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
    for (const SysfsHost& host : sysfs_.hosts) {
        registry_.SetText("HARDWARE\\DEVICEMAP\\Scsi\\Scsi Port " + std::to_string(host.number),
                          "Driver", host.driver);
    }
    // Drives on USB and IEEE 1394 hosts: their letters in the mounted-device list and
    // the bus in their compatible ids, as Windows records such drives.
    for (int letter = kFirstLetter; letter < kFirstLetter + kLetterCount; ++letter) {
        const std::string path = DevicePath(letter);
        if (path.empty())
            continue;
        const int fd = calls_.Open(path.c_str(), kDeviceFlags);
        if (fd < 0)
            continue;
        IdLun address;
        std::uint32_t error = 0;
        const bool addressed = ReadIdLun(calls_, fd, address, error);
        calls_.Close(fd);
        const SysfsHost* host = addressed ? sysfs_.Host(address.host) : nullptr;
        if (host == nullptr)
            continue;
        const Attachment attachment = ClassOf(host).attachment;
        if (attachment == Attachment::kInternal)
            continue;
        std::string vendor;
        std::string model;
        for (const SysfsDevice& device : sysfs_.devices) {
            if (device.host == address.host && device.channel == address.channel &&
                device.id == address.id && device.lun == address.lun) {
                vendor = RegistryName(device.vendor);
                model = RegistryName(device.model);
            }
        }
        const bool usb = attachment == Attachment::kUsb;
        const std::string enumerator = usb ? "USBSTOR" : "SBP2";
        const std::string deviceId = "CdRom&Ven_" + vendor + "&Prod_" + model;
        char instance[32];
        std::snprintf(instance, sizeof instance, "%u&%u&%u&%u", address.host, address.channel,
                      address.id, address.lun);
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
