#include "vpc/virtual_pc.h"

#include "vpc/registry_builder.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string_view>

#include "transport/aspi_srb.h"
#include "transport/scsi_passthrough.h"
#include "vpc/aspi_exports.h"

namespace tessaly::vpc {
namespace {

using platform::Handle;
using platform::kInvalidHandleValue;

constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::uint32_t kErrorModNotFound = 126;
constexpr std::uint32_t kErrorBadExeFormat = 193;
constexpr std::uint32_t kErrorProcNotFound = 127;

constexpr std::string_view kDevicePrefix = "\\\\.\\";

// The control-code access a handle opened with CreateFileA's desired access holds.
// GENERIC_ALL (0x10000000) grants both; FILE_READ_DATA (1) and FILE_WRITE_DATA (2)
// are the specific rights behind GENERIC_READ and GENERIC_WRITE.
std::uint32_t GrantedControlAccess(std::uint32_t desiredAccess) {
    constexpr std::uint32_t kGenericAll = 0x10000000u;
    constexpr std::uint32_t kFileReadData = 1;
    constexpr std::uint32_t kFileWriteData = 2;
    std::uint32_t granted = 0;
    if ((desiredAccess & (platform::kGenericRead | kGenericAll | kFileReadData)) != 0)
        granted |= nt::kFileReadAccess;
    if ((desiredAccess & (platform::kGenericWrite | kGenericAll | kFileWriteData)) != 0)
        granted |= nt::kFileWriteAccess;
    return granted;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Upper(x) == Upper(y); });
}

// "X:", "X:\" or "X:/" -> 'X' (upper case); 0 for anything else.
char RootLetter(std::string_view root) {
    if (root.size() < 2 || root.size() > 3 || root[1] != ':')
        return 0;
    if (root.size() == 3 && root[2] != '\\' && root[2] != '/')
        return 0;
    const char letter = Upper(root[0]);
    return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

// "SCSIn:" (any case, n decimal) -> n; nullopt for anything else or an absurd n.
std::optional<std::size_t> PortNumber(std::string_view name) {
    if (name.size() < 6 || !EqualsNoCase(name.substr(0, 4), "SCSI") || name.back() != ':') {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(4, name.size() - 5);
    std::size_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::size_t>(c - '0');
        if (value > 0xFFFF)
            return std::nullopt;
    }
    return value;
}

}  // namespace

VirtualPc::VirtualPc(Scenario scenario) : scenario_(std::move(scenario)) {
    volumes_.push_back(Volume{'C', nullptr, std::nullopt, std::nullopt});
    for (std::size_t a = 0; a < scenario_.adapters.size(); ++a) {
        for (const DeviceSpec& device : scenario_.adapters[a].devices) {
            attached_.push_back(AttachedDrive{a, device.bus, device.target,
                                              device.drive.passthroughError, device.accessDenied,
                                              std::make_unique<EmulatedDrive>(device.drive)});
            if (device.letter != 0) {
                volumes_.push_back(
                    Volume{device.letter, attached_.back().drive.get(),
                           ScsiAddress{static_cast<std::uint8_t>(a), device.bus, device.target},
                           device.drive.passthroughError, device.accessDenied});
            }
        }
    }
    for (const ExternalSpec& external : scenario_.external) {
        external_.push_back(std::make_unique<EmulatedDrive>(external.drive));
        volumes_.push_back(Volume{external.letter, external_.back().get(), std::nullopt,
                                  external.drive.passthroughError, external.accessDenied});
    }
    if (scenario_.aspi) {
        AspiManager::Config config;
        config.status = scenario_.aspi->status;
        config.completion = scenario_.aspi->completion;
        for (const AdapterSpec& adapter : scenario_.adapters) {
            config.adapters.push_back(AspiAdapter{adapter.scsiId, adapter.identifier});
        }
        aspi_ = std::make_unique<AspiManager>(std::move(config),
                                              static_cast<AspiManager::Host&>(*this));
    }
    BuildRegistry(scenario_, registry_);
}

VirtualPc::~VirtualPc() {
    if (aspi_) {
        ReleaseAspiManager(aspi_.get());
        aspi_->WaitIdle();
    }
}

bool VirtualPc::Fail(std::uint32_t error) {
    lastError_ = error;
    return false;
}

std::uint32_t VirtualPc::GetLastError() {
    return lastError_;
}

bool VirtualPc::GetVersionExA(platform::OsVersionInfo& info) {
    info.majorVersion = scenario_.os.major;
    info.minorVersion = scenario_.os.minor;
    info.buildNumber = scenario_.os.build;
    info.platformId = scenario_.os.platform;
    std::memset(info.csdVersion, 0, sizeof info.csdVersion);
    const std::size_t length = std::min(scenario_.os.service.size(), sizeof info.csdVersion - 1);
    std::memcpy(info.csdVersion, scenario_.os.service.data(), length);
    return true;
}

const VirtualPc::Volume* VirtualPc::FindVolume(char letter) const {
    for (const Volume& volume : volumes_) {
        if (volume.letter == letter)
            return &volume;
    }
    return nullptr;
}

std::uint32_t VirtualPc::GetDriveTypeA(const char* rootPath) {
    if (rootPath == nullptr)
        return platform::kDriveFixed;  // the current directory is on C:
    const char letter = RootLetter(rootPath);
    const Volume* volume = letter != 0 ? FindVolume(letter) : nullptr;
    if (volume == nullptr)
        return platform::kDriveNoRootDir;
    return volume->drive != nullptr ? platform::kDriveCdrom : platform::kDriveFixed;
}

Handle VirtualPc::AddObject(Object object) {
    std::lock_guard lock(objectsMutex_);
    const Handle handle = nextHandle_;
    nextHandle_ += 4;
    objects_.emplace(handle, std::move(object));
    return handle;
}

std::optional<VirtualPc::Object> VirtualPc::FindObject(Handle handle) const {
    std::lock_guard lock(objectsMutex_);
    const auto it = objects_.find(handle);
    if (it == objects_.end())
        return std::nullopt;
    return it->second;
}

std::size_t VirtualPc::OpenHandleCount() const {
    std::lock_guard lock(objectsMutex_);
    return objects_.size();
}

Handle VirtualPc::CreateFileA(const char* fileName, std::uint32_t desiredAccess, std::uint32_t,
                              std::uint32_t creationDisposition) {
    try {
        return OpenDevice(fileName, desiredAccess, creationDisposition);
    } catch (...) {
        Fail(kErrorNotEnoughMemory);
        return kInvalidHandleValue;
    }
}

bool VirtualPc::ChecksControlAccess() const {
    return IsNt() && scenario_.os.major >= 5;
}

Handle VirtualPc::OpenDevice(const char* fileName, std::uint32_t desiredAccess,
                             std::uint32_t creationDisposition) {
    if (fileName == nullptr) {
        Fail(kErrorPathNotFound);
        return kInvalidHandleValue;
    }
    const std::string_view name = fileName;
    openedNames_.emplace_back(name);
    if (!IsNt() || name.size() <= kDevicePrefix.size() ||
        name.substr(0, kDevicePrefix.size()) != kDevicePrefix) {
        Fail(platform::kErrorFileNotFound);
        return kInvalidHandleValue;
    }
    const std::string_view device = name.substr(kDevicePrefix.size());
    Object object;
    if (device.size() == 2 && RootLetter(device) != 0 && FindVolume(RootLetter(device))) {
        object.kind = ObjectKind::kVolume;
        object.volume = FindVolume(RootLetter(device));
    } else if (const auto port = PortNumber(device); port && *port < scenario_.adapters.size()) {
        object.kind = ObjectKind::kPort;
        object.port = *port;
    } else {
        Fail(platform::kErrorFileNotFound);
        return kInvalidHandleValue;
    }
    // Devices exist already: anything but "open existing" is refused.
    if (creationDisposition != platform::kOpenExisting) {
        Fail(platform::kErrorInvalidParameter);
        return kInvalidHandleValue;
    }
    if (object.kind == ObjectKind::kVolume && object.volume->accessDenied) {
        Fail(platform::kErrorAccessDenied);
        return kInvalidHandleValue;
    }
    object.grantedAccess = GrantedControlAccess(desiredAccess);
    return AddObject(std::move(object));
}

bool VirtualPc::CloseHandle(Handle object) {
    std::lock_guard lock(objectsMutex_);
    if (objects_.erase(object) == 0) {
        ++badCloses_;
        lastError_ = platform::kErrorInvalidHandle;
        return false;
    }
    return true;
}

platform::Module VirtualPc::LoadLibraryA(const char* fileName) {
    ++loadLibraryCalls_;
    const std::string_view name = fileName != nullptr ? fileName : "";
    const bool isManager =
        EqualsNoCase(name, aspi::kManagerFileName) || EqualsNoCase(name, "wnaspi32");
    if (!isManager || !aspi_) {
        Fail(kErrorModNotFound);
        return 0;
    }
    if (scenario_.aspi->bits != scenario_.programBits) {
        Fail(kErrorBadExeFormat);  // a DLL of the other bitness is found but not loaded
        return 0;
    }
    ++aspiLoads_;
    SetCurrentAspiManager(aspi_.get());
    return kAspiModule;
}

platform::AnyProc VirtualPc::GetProcAddress(platform::Module module, const char* procName) {
    if (module != kAspiModule || aspiLoads_ == 0) {
        Fail(kErrorModNotFound);
        return nullptr;
    }
    // Values below 64K are ordinals; the manager exports by name only.
    if (reinterpret_cast<std::uintptr_t>(procName) < 0x10000) {
        Fail(kErrorProcNotFound);
        return nullptr;
    }
    const std::string_view name = procName;
    const bool exported = name != aspi::kSendCommandName || scenario_.aspi->exports;
    platform::AnyProc proc = exported ? AspiExport(aspi_.get(), name) : nullptr;
    if (proc == nullptr)
        Fail(kErrorProcNotFound);
    return proc;
}

bool VirtualPc::FreeLibrary(platform::Module module) {
    if (module != kAspiModule || aspiLoads_ == 0)
        return Fail(platform::kErrorInvalidHandle);
    if (--aspiLoads_ == 0) {
        aspi_->WaitIdle();
        ClearCurrentAspiManager(aspi_.get());
    }
    return true;
}

Handle VirtualPc::CreateEventA(bool manualReset, bool initialState) {
    if (!scenario_.eventCreation) {
        Fail(kErrorNotEnoughMemory);
        return 0;
    }
    try {
        Object object;
        object.kind = ObjectKind::kEvent;
        object.event = std::make_shared<EventObject>(manualReset, initialState);
        return AddObject(std::move(object));
    } catch (...) {
        Fail(kErrorNotEnoughMemory);
        return 0;
    }
}

bool VirtualPc::ResetEvent(Handle event) {
    const auto object = FindObject(event);
    if (!object || object->kind != ObjectKind::kEvent)
        return Fail(platform::kErrorInvalidHandle);
    object->event->Reset();
    return true;
}

// Only events are waited on here; a device handle is refused like an unknown one.
std::uint32_t VirtualPc::WaitForSingleObject(Handle object, std::uint32_t milliseconds) {
    const auto found = FindObject(object);
    if (!found || found->kind != ObjectKind::kEvent) {
        Fail(platform::kErrorInvalidHandle);
        return platform::kWaitFailed;
    }
    std::optional<std::chrono::milliseconds> timeout;
    if (milliseconds != platform::kInfinite)
        timeout = std::chrono::milliseconds(milliseconds);
    return found->event->Wait(timeout) ? platform::kWaitObject0 : platform::kWaitTimeout;
}

EmulatedDrive* VirtualPc::DriveAt(std::size_t adapter, std::uint8_t target) {
    for (AttachedDrive& attached : attached_) {
        if (attached.adapter == adapter && attached.target == target)
            return attached.drive.get();
    }
    return nullptr;
}

bool VirtualPc::AddLetterAlias(char letter, std::size_t adapter, std::uint8_t target) {
    letter = Upper(letter);
    if (letter < 'A' || letter > 'Z' || FindVolume(letter) != nullptr)
        return false;
    for (const AttachedDrive& attached : attached_) {
        if (attached.adapter == adapter && attached.target == target) {
            volumes_.push_back(
                Volume{letter, attached.drive.get(),
                       ScsiAddress{static_cast<std::uint8_t>(adapter), attached.bus, target},
                       attached.passthroughError, attached.accessDenied});
            return true;
        }
    }
    return false;
}

EmulatedDrive* VirtualPc::ExternalDrive(std::size_t index) {
    return index < external_.size() ? external_[index].get() : nullptr;
}

EmulatedDrive* VirtualPc::FindDrive(std::uint8_t adapter, std::uint8_t target) {
    return DriveAt(adapter, target);
}

void VirtualPc::SignalEvent(void* postProc) {
    const auto object = FindObject(reinterpret_cast<Handle>(postProc));
    if (object && object->kind == ObjectKind::kEvent)
        object->event->Set();
}

void VirtualPc::RecordCommand(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                              std::size_t cdbLength) {
    log_.Record(adapter, target, cdb, cdbLength);
}

}  // namespace tessaly::vpc
