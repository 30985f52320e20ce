// The Platform on Linux, mapping the Win32 calls the core makes the way Wine maps them:
// drive letters D:, E:, ... are the optical drives (the sr nodes sysfs lists, or the
// devices given), \\.\X: opens the drive's device, \\.\SCSIn: stands for the n-th SCSI
// host that holds a lettered drive (internal hosts first, then USB and IEEE 1394 ones,
// each in host-number order), pass-through is SG_IO, and the registry values the
// transport reads are derived from sysfs. There is no ASPI manager and there are no
// version resources.
// Each drive node is opened once per process (drive_nodes.h): every handle the core
// opens on it shares the one descriptor.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/command_log.h"
#include "platform/linux/drive_nodes.h"
#include "platform/linux/sg_passthrough.h"
#include "platform/linux/static_registry.h"
#include "platform/linux/sysfs.h"
#include "platform/linux/system_calls.h"
#include "platform/platform.h"

namespace tessaly::platform::linux_os {

inline constexpr int kFirstLetter = 3;   // D:
inline constexpr int kLetterCount = 23;  // D: to Z:

// uname's fields the version call reports.
struct KernelRelease {
    std::string release;  // "6.1.0-18-amd64"
    std::string machine;  // "x86_64"
};
KernelRelease ReadKernelRelease();
// The version call's answer for a kernel: platform Linux, major.minor.patch from the
// release, and "release machine" as the service text.
OsVersionInfo LinuxVersionInfo(const KernelRelease& kernel);

class LinuxPlatform final : public Platform {
  public:
    // devices: the drives from D: on, in order; empty for the sr nodes of sysfs's CD/DVD
    // devices in node order (without sysfs, /dev/sr0 (D:) to /dev/sr22 (Z:)).
    LinuxPlatform(SystemCalls& calls, std::string sysfsRoot, std::vector<std::string> devices,
                  KernelRelease kernel);
    ~LinuxPlatform() override;

    bool GetVersionExA(OsVersionInfo& info) override;
    std::uint32_t GetDriveTypeA(const char* rootPath) override;
    Handle CreateFileA(const char* fileName, std::uint32_t desiredAccess, std::uint32_t shareMode,
                       std::uint32_t creationDisposition) override;
    bool DeviceIoControl(Handle device, std::uint32_t controlCode, void* inBuffer,
                         std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                         std::uint32_t* bytesReturned) override;
    bool CloseHandle(Handle object) override;
    std::uint32_t GetLastError() override { return lastError_; }
    Module LoadLibraryA(const char* fileName) override;
    AnyProc GetProcAddress(Module module, const char* procName) override;
    bool FreeLibrary(Module module) override;
    Handle CreateEventA(bool manualReset, bool initialState) override;
    bool ResetEvent(Handle event) override;
    std::uint32_t WaitForSingleObject(Handle object, std::uint32_t milliseconds) override;
    std::int32_t RegOpenKeyExA(RegKey key, const char* subKey, std::uint32_t samDesired,
                               RegKey* result) override;
    std::int32_t RegQueryValueExA(RegKey key, const char* valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) override;
    std::int32_t RegEnumKeyExA(RegKey key, std::uint32_t index, char* name,
                               std::uint32_t* nameSize) override;
    std::int32_t RegCloseKey(RegKey key) override;
    std::uint32_t GetFileVersionInfoSizeA(const char* fileName) override;
    bool GetFileVersionInfoA(const char* fileName, std::uint32_t size, void* data) override;
    bool VerQueryValueA(const void* block, const char* subBlock, const void** value,
                        std::uint32_t* length) override;
    int MultiByteToWideChar(const char* text, int length, char16_t* out, int outCount) override;

    // The device behind letter index (3 for D:), empty when none.
    std::string DevicePath(int letter) const;
    const SysfsSnapshot& Sysfs() const { return sysfs_; }
    // Every pass-through command since the last clear, as "adapter:target" and CDB bytes.
    const std::vector<std::string>& CommandLog() const { return log_.Entries(); }
    void ClearCommandLog() { log_.Clear(); }
    // What the platform left out at its limits (drive letters, port numbers, the units a
    // port answer holds, sysfs entries it could not read), each said once: the notes not
    // taken before, in the order found.
    std::vector<std::string> TakeNotes();

  private:
    enum class Kind { kDrive, kPort, kEvent };
    struct Object {
        Kind kind = Kind::kDrive;
        int letter = -1;  // a drive's letter index
        int port = -1;    // a port's number
    };
    // A drive's address as the kernel numbers it (hosts beyond a byte included).
    struct Address {
        int host = -1;
        int channel = 0;
        int id = 0;
        int lun = 0;
    };
    bool Fail(std::uint32_t error) {
        lastError_ = error;
        return false;
    }
    void Note(const std::string& text);
    Handle AddObject(const Object& object);
    Object* Find(Handle handle);
    int LetterOf(const char* name, std::size_t prefix) const;
    // The drive node's shared descriptor; -1 with a Windows error when it does not open.
    int Descriptor(int letter, std::uint32_t& error);
    // The address of the drive behind a letter: sysfs's for its node, else the one
    // SCSI_IOCTL_GET_IDLUN gives.
    std::optional<Address> AddressOf(int letter);
    // The SCSI hosts that stand for ports, by port number.
    const std::vector<int>& Ports();
    std::optional<int> PortOf(int host);
    bool DriveControl(const Object& drive, std::uint32_t controlCode, void* in,
                      std::uint32_t inSize, void* out, std::uint32_t outSize,
                      std::uint32_t& returned);
    bool PortControl(const Object& port, std::uint32_t controlCode, void* in, std::uint32_t inSize,
                     void* out, std::uint32_t outSize, std::uint32_t& returned);
    void BuildRegistry();
    // The sysfs devices the letters name when no device was given, and the notes of what
    // did not fit.
    std::vector<std::string> LetteredNodes();
    // sysfs's devices, and those behind drive letters that sysfs does not list (when it
    // is not mounted), asked for their INQUIRY data as Wine's port driver asks. Gathered
    // once, at the first port's inquiry data, as a port driver keeps what it found.
    const SysfsSnapshot& PortDevices();

    DriveNodes nodes_;
    SystemCalls& calls_;  // through nodes_, which notes a device gone
    SysfsSnapshot sysfs_;
    std::vector<std::string> devices_;  // by letter index - kFirstLetter
    KernelRelease kernel_;
    StaticRegistry registry_;
    bool registryBuilt_ = false;
    std::optional<std::vector<int>> ports_;
    std::optional<SysfsSnapshot> portDevices_;
    std::vector<std::string> notes_;
    std::size_t notesTaken_ = 0;
    std::map<Handle, Object> objects_;
    Handle nextHandle_ = 0x100;
    std::uint32_t lastError_ = 0;
    tessaly::CommandLog log_;
};

}  // namespace tessaly::platform::linux_os
