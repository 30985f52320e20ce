// The ASPI manager back end: binding the library, executing one command through an
// SRB_ExecSCSICmd, and the host adapter inquiry.
#include <atomic>
#include <cstring>

#include "transport/backends.h"
#include "transport/scsi_command.h"

namespace tessaly {

using namespace platform;

bool AspiBackend::Load(const char* path) {
    Release();
    ModuleOwner library(platform_, platform_.LoadLibraryA(path));
    if (!library)
        return false;
    getSupportInfo_ = reinterpret_cast<aspi::GetASPI32SupportInfoProc>(
        platform_.GetProcAddress(library.Get(), aspi::kSupportInfoName));
    sendCommand_ = reinterpret_cast<aspi::SendASPI32CommandProc>(
        platform_.GetProcAddress(library.Get(), aspi::kSendCommandName));
    if (getSupportInfo_ == nullptr || sendCommand_ == nullptr) {
        getSupportInfo_ = nullptr;
        sendCommand_ = nullptr;
        return false;  // the library is freed as its owner goes
    }
    library_ = std::move(library);
    return true;
}

void AspiBackend::Release() {
    library_.Reset();
    getSupportInfo_ = nullptr;
    sendCommand_ = nullptr;
}

std::int32_t AspiBackend::Execute(const DriveAddress& address, const std::uint8_t* cdb,
                                  std::uint8_t* buffer, std::uint32_t length) {
    // Without a bound manager there is nobody to take the request; the manager numbers
    // its adapters in one byte.
    if (sendCommand_ == nullptr || address.adapter > 0xFF)
        return aspi::SS_INVALID_HA;

    // One event per command, closed when the command is done.
    HandleOwner event(platform_, platform_.CreateEventA(true, false));
    if (event)
        platform_.ResetEvent(event.Get());

    aspi::SRB_ExecSCSICmd srb;
    std::memset(&srb, 0, sizeof srb);
    const std::uint8_t cdbLength = CdbLength(cdb[0]);
    srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    srb.SRB_Status = aspi::SS_ERR;
    srb.SRB_HaId = static_cast<std::uint8_t>(address.adapter);
    if (event) {
        srb.SRB_Flags = static_cast<std::uint8_t>(
            (IsDataOut(cdb[0]) ? aspi::SRB_DIR_OUT : aspi::SRB_DIR_IN) | aspi::SRB_EVENT_NOTIFY);
        srb.SRB_PostProc = reinterpret_cast<void*>(event.Get());
    }
    srb.SRB_Target = address.target;
    srb.SRB_Lun = 0;
    srb.SRB_BufLen = length;
    srb.SRB_BufPointer = buffer;
    srb.SRB_SenseLen = aspi::kSenseLength;
    srb.SRB_CDBLen = cdbLength;
    std::memcpy(srb.CDBByte, cdb, cdbLength);

    // The manager may complete the request on another thread; its status byte is
    // the only field read while it is in flight.
    std::atomic_ref<std::uint8_t> status(srb.SRB_Status);
    if (event) {
        if (sendCommand_(&srb) == aspi::SS_PENDING)
            platform_.WaitForSingleObject(event.Get(), kInfinite);
        event.Reset();
    } else {
        sendCommand_(&srb);
        while (status.load() == aspi::SS_PENDING) {
        }
    }

    const std::uint8_t result = status.load();
    if (result != aspi::SS_COMP)
        tables_.StoreSense(address, srb.SenseArea);
    return result;
}

std::int32_t AspiBackend::AdapterInfo(std::uint32_t adapter, tessaly::AdapterInfo& info) {
    if (sendCommand_ == nullptr || adapter > 0xFF)
        return aspi::SS_INVALID_HA;
    aspi::SRB_HAInquiry srb;
    std::memset(&srb, 0, sizeof srb);
    srb.SRB_Cmd = aspi::SC_HA_INQUIRY;
    srb.SRB_HaId = static_cast<std::uint8_t>(adapter);
    const std::int32_t status = static_cast<std::int32_t>(sendCommand_(&srb));
    std::memcpy(info.managerId, srb.HA_ManagerId, 16);
    info.managerId[16] = '\0';
    std::memcpy(info.identifier, srb.HA_Identifier, 16);
    info.identifier[16] = '\0';
    std::memcpy(info.unique, srb.HA_Unique, 16);
    info.scsiId = srb.HA_SCSI_ID;
    return status;
}

}  // namespace tessaly
