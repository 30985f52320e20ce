#include "shim_state.h"

#include <fcntl.h>
#include <scsi/scsi.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <linux/cdrom.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "drive_map.h"
#include "log_line.h"
#include "scsi_request.h"
#include "vpc/emulated_drive.h"

namespace tessaly::sgshim {
namespace {

constexpr char kScenarioVariable[] = "TESSALY_SGSHIM_SCENARIO";
constexpr char kDevicesVariable[] = "TESSALY_SGSHIM_DEVICES";
constexpr char kLogVariable[] = "TESSALY_SGSHIM_LOG";
constexpr std::size_t kMaxScenarioBytes = 4u << 20;
constexpr int kSgVersion = 30536;  // what the sg driver of Linux 3.x and later reports

struct FileId {
    std::uint64_t major = 0;
    std::uint64_t minor = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileId&, const FileId&) = default;
};

struct Device {
    FileId id;
    MappedDrive map;
    std::unique_ptr<vpc::EmulatedDrive> drive;
};

struct State {
    std::vector<Device> devices;
    int logFd = -1;
    std::mutex mutex;  // one request at a time, its log line included
};

// Set once while the library loads, before the process starts other threads; never freed,
// as calls may still come in while the process ends.
State* g_state = nullptr;

void Report(const std::string& text) {
    const std::string line = "tessaly-sgshim: " + text + "\n";
    [[maybe_unused]] const ssize_t written = ::write(2, line.data(), line.size());
}

std::optional<FileId> IdOf(int directory, const char* path, int flags) {
    struct statx info {};
    if (::statx(directory, path, flags, STATX_INO, &info) != 0)
        return std::nullopt;
    return FileId{info.stx_dev_major, info.stx_dev_minor, info.stx_ino};
}

std::optional<std::string> ReadFile(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || text.size() + static_cast<std::size_t>(got) > kMaxScenarioBytes) {
            ::close(fd);
            if (got == 0)
                return text;
            return std::nullopt;
        }
        text.append(chunk, static_cast<std::size_t>(got));
    }
}

std::uint64_t NowMilliseconds() {
    struct timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

void Start() {
    const char* scenarioPath = std::getenv(kScenarioVariable);
    const char* directory = std::getenv(kDevicesVariable);
    if (scenarioPath == nullptr || directory == nullptr)
        return;  // this process serves no drives
    const std::optional<std::string> json = ReadFile(scenarioPath);
    if (!json) {
        Report(std::string("cannot read ") + scenarioPath);
        return;
    }
    std::string error;
    const std::optional<vpc::Scenario> scenario = vpc::ParseScenario(*json, error, scenarioPath);
    if (!scenario) {
        Report(error);
        return;
    }
    auto state = std::make_unique<State>();
    for (MappedDrive& map : MapLetterDrives(*scenario)) {
        const std::string path = std::string(directory) + "/" + BackingFileName(map.letter);
        const std::optional<FileId> id = IdOf(AT_FDCWD, path.c_str(), 0);
        if (!id) {
            Report("no backing file " + path);
            continue;
        }
        auto drive = std::make_unique<vpc::EmulatedDrive>(map.drive);
        state->devices.push_back(Device{*id, std::move(map), std::move(drive)});
    }
    if (const char* log = std::getenv(kLogVariable); log != nullptr && *log != '\0') {
        state->logFd = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (state->logFd < 0)
            Report(std::string("cannot open the command log ") + log);
    }
    g_state = state.release();
}

__attribute__((constructor)) void StartOnLoad() {
    try {
        Start();
    } catch (const std::exception& e) {
        Report(std::string("cannot build the emulated drives: ") + e.what());
    }
}

Device* DeviceOf(State& state, int fd) {
    const std::optional<FileId> id = IdOf(fd, "", AT_EMPTY_PATH);
    if (!id)
        return nullptr;
    for (Device& device : state.devices) {
        if (device.id == *id)
            return &device;
    }
    return nullptr;
}

void Log(State& state, const Device& device, const std::uint8_t* cdb, std::size_t length) {
    if (state.logFd < 0)
        return;
    const std::string line = FormatLogLine(NowMilliseconds(), device.map.adapter, device.map.bus,
                                           device.map.target, cdb, length);
    // One write per line: O_APPEND keeps the lines of several processes whole.
    [[maybe_unused]] const ssize_t written = ::write(state.logFd, line.data(), line.size());
}

int Fail(int error) {
    errno = error;
    return -1;
}

std::optional<TransferDirection> DirectionOf(int sgDirection) {
    switch (sgDirection) {
        case SG_DXFER_NONE:
            return TransferDirection::kNone;
        case SG_DXFER_TO_DEV:
            return TransferDirection::kToDevice;
        case SG_DXFER_FROM_DEV:
            return TransferDirection::kFromDevice;
        case SG_DXFER_TO_FROM_DEV:
            return TransferDirection::kBoth;
        default:
            return std::nullopt;
    }
}

int SgIo(State& state, Device& device, sg_io_hdr_t* header) {
    if (header == nullptr)
        return Fail(EFAULT);
    if (header->interface_id != 'S')
        return Fail(ENOSYS);
    const std::optional<TransferDirection> direction = DirectionOf(header->dxfer_direction);
    if (!direction || header->iovec_count != 0)
        return Fail(EINVAL);  // scatter lists are not served
    ScsiRequest request;
    request.cdb = header->cmdp;
    request.cdbLength = header->cmd_len;
    request.direction = *direction;
    request.data = static_cast<std::uint8_t*>(header->dxferp);
    request.dataLength = header->dxfer_len;
    request.sense = header->sbp;
    request.senseCapacity = header->mx_sb_len;
    if (request.cdb != nullptr && request.cdbLength > 0 && request.cdbLength <= kMaxCdbLength)
        Log(state, device, request.cdb, request.cdbLength);
    const ScsiOutcome outcome = RunRequest(*device.drive, request);
    if (outcome.error == RequestError::kBadCdb)
        return Fail(EINVAL);
    if (outcome.error == RequestError::kBadBuffer)
        return Fail(EFAULT);
    header->status = outcome.status;
    header->masked_status = static_cast<unsigned char>((outcome.status >> 1) & 0x7F);
    header->msg_status = 0;
    header->sb_len_wr = outcome.senseWritten;
    header->host_status = 0;
    header->driver_status = outcome.senseWritten > 0 ? 0x08 : 0;  // DRIVER_SENSE
    header->resid = static_cast<int>(outcome.residual);
    header->duration = 0;
    header->info = outcome.status != 0 ? SG_INFO_CHECK : SG_INFO_OK;
    return 0;
}

int ReadTocHeaderControl(Device& device, void* argument) {
    if (argument == nullptr)
        return Fail(EFAULT);
    const std::optional<TocHeader> toc = ReadTocHeader(*device.drive);
    if (!toc)
        return Fail(ENOMEDIUM);
    struct cdrom_tochdr header {};
    header.cdth_trk0 = toc->firstTrack;
    header.cdth_trk1 = toc->lastTrack;
    std::memcpy(argument, &header, sizeof header);
    return 0;
}

int ReadTocEntryControl(Device& device, void* argument) {
    if (argument == nullptr)
        return Fail(EFAULT);
    struct cdrom_tocentry entry {};
    std::memcpy(&entry, argument, sizeof entry);
    if (entry.cdte_format != CDROM_MSF && entry.cdte_format != CDROM_LBA)
        return Fail(EINVAL);
    const std::optional<TocEntry> toc = ReadTocEntry(*device.drive, entry.cdte_track);
    if (!toc)
        return Fail(EIO);
    entry.cdte_adr = toc->adr & 0x0F;
    entry.cdte_ctrl = toc->control & 0x0F;
    if (entry.cdte_format == CDROM_MSF) {
        entry.cdte_addr.msf.minute = toc->minute;
        entry.cdte_addr.msf.second = toc->second;
        entry.cdte_addr.msf.frame = toc->frame;
    } else {
        entry.cdte_addr.lba = toc->lba;
    }
    entry.cdte_datamode = 0;
    std::memcpy(argument, &entry, sizeof entry);
    return 0;
}

int Control(State& state, Device& device, unsigned long request, void* argument) {
    switch (request) {
        case SG_IO:
            return SgIo(state, device, static_cast<sg_io_hdr_t*>(argument));
        case SCSI_IOCTL_GET_IDLUN: {
            if (argument == nullptr)
                return Fail(EFAULT);
            // The second word is the host's unique id.
            const LinuxScsiAddress address = LinuxAddressOf(device.map);
            const std::uint32_t idlun[2] = {IdLunWord(address), address.host};
            std::memcpy(argument, idlun, sizeof idlun);
            return 0;
        }
        case SG_GET_VERSION_NUM:
            if (argument == nullptr)
                return Fail(EFAULT);
            std::memcpy(argument, &kSgVersion, sizeof kSgVersion);
            return 0;
        case CDROMREADTOCHDR:
            return ReadTocHeaderControl(device, argument);
        case CDROMREADTOCENTRY:
            return ReadTocEntryControl(device, argument);
        default:
            return Fail(ENOTTY);
    }
}

}  // namespace

bool BlockDeviceFor(std::uint64_t deviceMajor, std::uint64_t deviceMinor, std::uint64_t inode,
                    std::uint32_t& rdevMinor) {
    const State* state = g_state;
    if (state == nullptr)
        return false;
    const FileId id{deviceMajor, deviceMinor, inode};
    for (std::size_t i = 0; i < state->devices.size(); ++i) {
        if (state->devices[i].id == id) {
            rdevMinor = static_cast<std::uint32_t>(i);
            return true;
        }
    }
    return false;
}

bool HandleIoctl(int fd, unsigned long request, void* argument, int& result) {
    State* state = g_state;
    if (state == nullptr)
        return false;
    Device* device = DeviceOf(*state, fd);
    if (device == nullptr)
        return false;
    std::lock_guard<std::mutex> lock(state->mutex);
    try {
        result = Control(*state, *device, request, argument);
    } catch (const std::exception& e) {
        Report(std::string("request failed: ") + e.what());
        result = Fail(EIO);
    }
    return true;
}

}  // namespace tessaly::sgshim
