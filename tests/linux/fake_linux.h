// A fake Linux machine for the Linux platform's tests: a sysfs tree in a temporary
// directory, and system calls that serve device files by path, each device a SCSI
// address with an emulated drive behind SG_IO (or a scripted answer).
#pragma once

#include <scsi/scsi.h>
#include <scsi/sg.h>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/sg_passthrough.h"
#include "platform/linux/system_calls.h"
#include "vpc/emulated_drive.h"

namespace tessaly::testing {

class FakeSysfs {
  public:
    FakeSysfs() {
        char pattern[] = "/tmp/tessaly-sysfs-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        root_ = made != nullptr ? made : "";
    }
    ~FakeSysfs() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    const std::string& Root() const { return root_; }

    // Writes root/relative with exactly these bytes, making its folders.
    void Write(const std::string& relative, const std::string& bytes) const {
        const std::filesystem::path path = std::filesystem::path(root_) / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    void AddHost(int number, const std::string& driver, const std::string& ownId = "-1") const {
        const std::string dir = "class/scsi_host/host" + std::to_string(number) + "/";
        Write(dir + "proc_name", driver + "\n");
        Write(dir + "this_id", ownId + "\n");
    }
    // A host where it sits in the device tree, as sysfs shows it: its files in
    // devicePath/scsi_host/hostN, the class entry a link there, and its "device" link to
    // devicePath. With classLinkOnly, no "device" link; with deviceLinkOnly, the class
    // entry is a plain folder with the "device" link in it.
    enum class HostLinks { kBoth, kClassLinkOnly, kDeviceLinkOnly };
    void AddHostAt(int number, const std::string& driver, const std::string& devicePath,
                   HostLinks links = HostLinks::kBoth) const {
        namespace fs = std::filesystem;
        const std::string name = "host" + std::to_string(number);
        const fs::path device = fs::path(root_) / devicePath;
        fs::create_directories(device);
        const fs::path entry = fs::path(root_) / "class/scsi_host" / name;
        if (links == HostLinks::kDeviceLinkOnly) {
            AddHost(number, driver);
            fs::create_directory_symlink(device, entry / "device");
            return;
        }
        const std::string files = devicePath + "/scsi_host/" + name + "/";
        Write(files + "proc_name", driver + "\n");
        Write(files + "this_id", "-1\n");
        fs::create_directories(entry.parent_path());
        fs::create_directory_symlink(fs::path(root_) / files, entry);
        if (links == HostLinks::kBoth)
            fs::create_directory_symlink(device, fs::path(root_) / files / "device");
    }
    // A device with sysfs's padded identification texts and its INQUIRY bytes, and its
    // block device node ("sr0") when given.
    void AddDevice(const std::string& address, int type, const std::string& vendor,
                   const std::string& model, const std::string& revision,
                   const std::vector<std::uint8_t>& inquiry, const std::string& node = "") const {
        const std::string dir = "class/scsi_device/" + address + "/device/";
        Write(dir + "type", std::to_string(type) + "\n");
        Write(dir + "vendor", vendor + "\n");
        Write(dir + "model", model + "\n");
        Write(dir + "rev", revision + "\n");
        Write(dir + "inquiry", std::string(inquiry.begin(), inquiry.end()));
        if (!node.empty())
            Write(dir + "block/" + node + "/dev", "11:0\n");
    }

  private:
    std::string root_;
};

struct FakeDevice {
    platform::linux_os::IdLun address;
    vpc::EmulatedDrive* drive = nullptr;  // SG_IO runs here when set
    int openError = 0;                    // errno of open, 0 to open
    bool block = true;                    // a block device (else a regular file)
    bool character = false;               // a character device (when not a block device)
    dev_t number = 0;                     // the device's major and minor numbers
    bool sg = true;                       // answers SG_GET_VERSION_NUM and SCSI ioctls
};

class FakeCalls final : public platform::linux_os::SystemCalls {
  public:
    std::map<std::string, FakeDevice> devices;
    // When set, answers every SG_IO instead of a device's drive.
    std::function<int(sg_io_hdr_t&)> sgIo;
    int sgIoCalls = 0;
    int openCalls = 0;
    int openFlags = -1;
    std::vector<std::uint32_t> pauses;  // each Pause's milliseconds; nothing sleeps

    int Open(const char* path, int flags) override {
        ++openCalls;
        openFlags = flags;
        const auto it = devices.find(path);
        if (it == devices.end())
            return -ENOENT;
        if (it->second.openError != 0)
            return -it->second.openError;
        const int fd = nextFd_++;
        open_[fd] = path;
        return fd;
    }
    int Close(int fd) override { return open_.erase(fd) != 0 ? 0 : -EBADF; }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        const FakeDevice* device = DeviceOf(fd);
        if (device == nullptr)
            return open_.count(fd) != 0 ? -ENODEV : -EBADF;  // unplugged since it opened
        if (!device->sg)
            return -ENOTTY;
        if (request == SG_GET_VERSION_NUM) {
            *static_cast<int*>(argument) = 30536;
            return 0;
        }
        if (request == SCSI_IOCTL_GET_IDLUN) {
            const auto& a = device->address;
            auto* idlun = static_cast<std::uint32_t*>(argument);
            idlun[0] = a.id | (a.lun << 8) | (a.channel << 16) | (std::uint32_t{a.host} << 24);
            idlun[1] = 0;
            return 0;
        }
        if (request != SG_IO)
            return -ENOTTY;
        ++sgIoCalls;
        auto& header = *static_cast<sg_io_hdr_t*>(argument);
        if (sgIo)
            return sgIo(header);
        return RunOnDrive(*device, header);
    }
    int Fstat(int fd, struct stat& info) override {
        const FakeDevice* device = DeviceOf(fd);
        if (device == nullptr)
            return -EBADF;
        FillStat(*device, info);
        return 0;
    }
    int Stat(const char* path, struct stat& info) override {
        const auto it = devices.find(path);
        if (it == devices.end())
            return -ENOENT;
        FillStat(it->second, info);
        return 0;
    }
    void Pause(std::uint32_t milliseconds) override { pauses.push_back(milliseconds); }
    std::size_t OpenDescriptors() const { return open_.size(); }

  private:
    static void FillStat(const FakeDevice& device, struct stat& info) {
        info = {};
        info.st_mode = device.block ? S_IFBLK : device.character ? S_IFCHR : S_IFREG;
        info.st_rdev = device.number;
    }
    const FakeDevice* DeviceOf(int fd) const {
        const auto it = open_.find(fd);
        const auto device = it == open_.end() ? devices.end() : devices.find(it->second);
        return device == devices.end() ? nullptr : &device->second;
    }
    // The drive runs the CDB; a CHECK CONDITION hands its sense over as auto-sense.
    static int RunOnDrive(const FakeDevice& device, sg_io_hdr_t& header) {
        if (device.drive == nullptr)
            return -EIO;
        const auto result =
            device.drive->Execute(static_cast<const std::uint8_t*>(header.cmdp), header.cmd_len,
                                  static_cast<std::uint8_t*>(header.dxferp), header.dxfer_len);
        header.status = result.status;
        header.resid = static_cast<int>(header.dxfer_len - result.transferred);
        header.sb_len_wr = 0;
        if (result.status != 0 && header.mx_sb_len > 0) {
            const auto sense = device.drive->TakeSense();
            const std::size_t count = std::min<std::size_t>(header.mx_sb_len, sense.size());
            std::memcpy(header.sbp, sense.data(), count);
            header.sb_len_wr = static_cast<unsigned char>(count);
            header.driver_status = 0x08;  // DRIVER_SENSE
        }
        return 0;
    }

    std::map<int, std::string> open_;
    int nextFd_ = 10;
};

}  // namespace tessaly::testing
