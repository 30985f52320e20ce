// Helpers of the virtual PC's tests: inline scenarios, request blocks, device controls.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include "platform/platform.h"
#include "support/pc_fixture.h"
#include "transport/aspi_srb.h"
#include "transport/scsi_command.h"
#include "transport/scsi_passthrough.h"
#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace tessaly::vpc::testing {

// The scenario builders every suite shares.
using tessaly::testing::Json;
using tessaly::testing::kNt4;
using tessaly::testing::kWin98;
using tessaly::testing::kXp;
using tessaly::testing::ScenarioFrom;

inline aspi::SRB_ExecSCSICmd ExecSrb(std::uint8_t haId, std::uint8_t target,
                                     std::initializer_list<std::uint8_t> cdb, std::uint8_t* buffer,
                                     std::uint32_t bufferLength) {
    aspi::SRB_ExecSCSICmd srb;
    std::memset(&srb, 0, sizeof srb);
    srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = haId;
    srb.SRB_Target = target;
    srb.SRB_Flags = aspi::SRB_DIR_IN;
    srb.SRB_BufPointer = buffer;
    srb.SRB_BufLen = bufferLength;
    srb.SRB_SenseLen = aspi::kSenseLength;
    srb.SRB_CDBLen = static_cast<std::uint8_t>(cdb.size());
    std::size_t i = 0;
    for (std::uint8_t byte : cdb)
        srb.CDBByte[i++] = byte;
    return srb;
}

inline nt::PassThroughRequest PassThrough(std::initializer_list<std::uint8_t> cdb,
                                          std::uint8_t* buffer, std::uint32_t bufferLength) {
    nt::PassThroughRequest request;
    std::memset(&request, 0, sizeof request);
    request.sptd.Length = sizeof(nt::SCSI_PASS_THROUGH_DIRECT);
    request.sptd.CdbLength = static_cast<std::uint8_t>(cdb.size());
    request.sptd.SenseInfoLength = sizeof request.sense;
    request.sptd.SenseInfoOffset = offsetof(nt::PassThroughRequest, sense);
    request.sptd.DataIn = nt::SCSI_IOCTL_DATA_IN;
    request.sptd.DataBuffer = buffer;
    request.sptd.DataTransferLength = bufferLength;
    request.sptd.TimeOutValue = 10;
    std::size_t i = 0;
    for (std::uint8_t byte : cdb)
        request.sptd.Cdb[i++] = byte;
    return request;
}

struct IoResult {
    bool ok = false;
    std::uint32_t error = 0;  // GetLastError after a failure
    std::uint32_t returned = 0;
};

inline IoResult Ioctl(VirtualPc& pc, platform::Handle handle, std::uint32_t code, void* in,
                      std::uint32_t inSize, void* out, std::uint32_t outSize) {
    IoResult result;
    result.returned = 0xDEADBEEF;
    result.ok = pc.DeviceIoControl(handle, code, in, inSize, out, outSize, &result.returned);
    if (!result.ok)
        result.error = pc.GetLastError();
    return result;
}

inline platform::Handle Open(VirtualPc& pc, const char* name) {
    return pc.CreateFileA(name, platform::kGenericRead | platform::kGenericWrite,
                          platform::kFileShareRead | platform::kFileShareWrite,
                          platform::kOpenExisting);
}

}  // namespace tessaly::vpc::testing
