#include "vpc/aspi_manager.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <utility>

#include "common/bytes.h"
#include "transport/aspi_srb.h"

namespace tessaly::vpc {
namespace {

using aspi::SRB_ExecSCSICmd;
using aspi::SRB_HAInquiry;

constexpr char kManagerId[] = "ASPI for WIN32";
constexpr std::uint32_t kMaxTransferLength = 0x10000;
constexpr std::uint8_t kMaxTargets = 16;

// Fields are reached by offset through the byte pointer, so that nothing depends
// on the caller's block being aligned.
template <typename T>
T Load(const std::uint8_t* srb, std::size_t offset) {
    T value;
    std::memcpy(&value, srb + offset, sizeof value);
    return value;
}

// SRB_Status is the one byte the program may poll while the worker writes.
void PublishStatus(std::uint8_t* srb, std::uint8_t status) {
    std::atomic_ref<std::uint8_t>(srb[offsetof(aspi::SRB_Header, SRB_Status)])
        .store(status, std::memory_order_release);
}

bool ValidCdbLength(std::uint8_t length) {
    return length == 6 || length == 10 || length == 12 || length == 16;
}

}  // namespace

AspiManager::AspiManager(Config config, Host& host) : config_(std::move(config)), host_(host) {}

AspiManager::~AspiManager() {
    WaitIdle();
}

void AspiManager::WaitIdle() {
    if (worker_.joinable())
        worker_.join();
}

std::uint32_t AspiManager::GetASPI32SupportInfo() const {
    const auto count =
        static_cast<std::uint32_t>(std::min<std::size_t>(config_.adapters.size(), 255));
    return (std::uint32_t{config_.status} << 8) | count;
}

std::uint32_t AspiManager::SendASPI32Command(void* srbBlock) {
    auto* srb = static_cast<std::uint8_t*>(srbBlock);
    if (srb == nullptr)
        return aspi::SS_INVALID_CMD;
    WaitIdle();
    std::uint8_t status = aspi::SS_INVALID_CMD;
    try {
        switch (srb[offsetof(aspi::SRB_Header, SRB_Cmd)]) {
            case aspi::SC_HA_INQUIRY:
                status = HaInquiry(srb);
                break;
            case aspi::SC_EXEC_SCSI_CMD:
                return ExecScsiCmd(srb);
            default:
                break;
        }
    } catch (...) {
        status = aspi::SS_ABORTED;
    }
    PublishStatus(srb, status);
    return status;
}

// SRB_HAInquiry: HA_Count, HA_SCSI_ID, HA_ManagerId (blank-padded), HA_Identifier
// (NUL-padded) and HA_Unique:
//   [0-1] buffer alignment mask (0001h: word alignment)
//   [2]   flags (0: no residual byte count)
//   [3]   targets the adapter addresses (16)
//   [4-7] largest transfer in bytes (64 KiB)
std::uint8_t AspiManager::HaInquiry(std::uint8_t* srb) {
    const std::uint8_t haId = srb[offsetof(SRB_HAInquiry, SRB_HaId)];
    if (haId >= config_.adapters.size())
        return aspi::SS_INVALID_HA;
    const AspiAdapter& adapter = config_.adapters[haId];
    const auto count =
        static_cast<std::uint8_t>(std::min<std::size_t>(config_.adapters.size(), 255));
    srb[offsetof(SRB_HAInquiry, HA_Count)] = count;
    srb[offsetof(SRB_HAInquiry, HA_SCSI_ID)] = adapter.scsiId;
    ByteWriter managerId(srb + offsetof(SRB_HAInquiry, HA_ManagerId), 16);
    ByteWriter identifier(srb + offsetof(SRB_HAInquiry, HA_Identifier), 16);
    for (std::size_t i = 0; i < 16; ++i) {
        managerId.U8(i, static_cast<std::uint8_t>(i < sizeof kManagerId - 1 ? kManagerId[i] : ' '));
        identifier.U8(i, static_cast<std::uint8_t>(
                             i < adapter.identifier.size() ? adapter.identifier[i] : '\0'));
    }
    ByteWriter unique(srb + offsetof(SRB_HAInquiry, HA_Unique), 16);
    for (std::size_t i = 0; i < 16; ++i)
        unique.U8(i, 0);
    unique.U8(0, 0x01);
    unique.U8(3, kMaxTargets);
    unique.Le32(4, kMaxTransferLength);
    return aspi::SS_COMP;
}

std::uint8_t AspiManager::ExecScsiCmd(std::uint8_t* srb) {
    const std::uint8_t haId = srb[offsetof(SRB_ExecSCSICmd, SRB_HaId)];
    const std::uint8_t target = srb[offsetof(SRB_ExecSCSICmd, SRB_Target)];
    const auto refuse = [srb](std::uint8_t status) {
        PublishStatus(srb, status);
        return status;
    };
    // Every request the program sends is logged, also those no device answers.
    const std::uint8_t loggedLength =
        std::min<std::uint8_t>(srb[offsetof(SRB_ExecSCSICmd, SRB_CDBLen)], 16);
    host_.RecordCommand(haId, target, srb + offsetof(SRB_ExecSCSICmd, CDBByte), loggedLength);
    if (haId >= config_.adapters.size())
        return refuse(aspi::SS_INVALID_HA);
    EmulatedDrive* drive =
        srb[offsetof(SRB_ExecSCSICmd, SRB_Lun)] == 0 ? host_.FindDrive(haId, target) : nullptr;
    if (drive == nullptr)
        return refuse(aspi::SS_NO_DEVICE);

    Request request;
    request.cdbLength = srb[offsetof(SRB_ExecSCSICmd, SRB_CDBLen)];
    if (!ValidCdbLength(request.cdbLength))
        return refuse(aspi::SS_INVALID_CMD);
    std::memcpy(request.cdb, srb + offsetof(SRB_ExecSCSICmd, CDBByte), request.cdbLength);
    request.buffer = Load<std::uint8_t*>(srb, offsetof(SRB_ExecSCSICmd, SRB_BufPointer));
    request.bufferLength = Load<std::uint32_t>(srb, offsetof(SRB_ExecSCSICmd, SRB_BufLen));
    if (request.buffer == nullptr && request.bufferLength != 0) {
        return refuse(aspi::SS_INVALID_CMD);
    }
    request.senseLength = srb[offsetof(SRB_ExecSCSICmd, SRB_SenseLen)];
    request.notify = (srb[offsetof(SRB_ExecSCSICmd, SRB_Flags)] & aspi::SRB_EVENT_NOTIFY) != 0;
    request.postProc = Load<void*>(srb, offsetof(SRB_ExecSCSICmd, SRB_PostProc));

    if (config_.completion == AspiCompletion::kDirect) {
        Complete(srb, *drive, request);
        return srb[offsetof(SRB_ExecSCSICmd, SRB_Status)];
    }
    PublishStatus(srb, aspi::SS_PENDING);
    try {
        worker_ = std::thread([this, srb, drive, request] {
            std::this_thread::sleep_for(config_.completionDelay);
            Complete(srb, *drive, request);
        });
    } catch (...) {
        Complete(srb, *drive, request);
        return srb[offsetof(SRB_ExecSCSICmd, SRB_Status)];
    }
    return aspi::SS_PENDING;
}

// Runs the request and writes SRB_HaStat, SRB_TargStat, SenseArea (auto-sense on
// CHECK CONDITION, which takes the drive's sense), then SRB_Status, then the event.
void AspiManager::Complete(std::uint8_t* srb, EmulatedDrive& drive, const Request& request) {
    std::uint8_t status = aspi::SS_ABORTED;
    try {
        const CommandResult result =
            drive.Execute(request.cdb, request.cdbLength, request.buffer, request.bufferLength);
        srb[offsetof(SRB_ExecSCSICmd, SRB_HaStat)] = 0;
        srb[offsetof(SRB_ExecSCSICmd, SRB_TargStat)] = result.status;
        status = aspi::SS_COMP;
        if (result.status != 0) {
            status = aspi::SS_ERR;
            if (request.senseLength > 0) {
                const SenseBlock sense = drive.TakeSense();
                const std::size_t count = std::min<std::size_t>(request.senseLength, 16);
                std::memcpy(srb + offsetof(SRB_ExecSCSICmd, SenseArea), sense.data(), count);
            }
        }
    } catch (...) {
        status = aspi::SS_ABORTED;
    }
    PublishStatus(srb, status);
    if (request.notify)
        host_.SignalEvent(request.postProc);
}

}  // namespace tessaly::vpc
