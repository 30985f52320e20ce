// Request blocks of the ASPI for Win32 interface, in their published layouts.
// The manager reads and writes these blocks in place, so field order and
// packing must match byte for byte: on 32-bit Windows with 4-byte pointers, on
// 64-bit Windows (a manager built for it) with 8-byte pointers, byte-packed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaly::aspi {

inline constexpr std::uint8_t SC_HA_INQUIRY = 0x00;
inline constexpr std::uint8_t SC_EXEC_SCSI_CMD = 0x02;

inline constexpr std::uint8_t SS_PENDING = 0x00;
inline constexpr std::uint8_t SS_COMP = 0x01;
inline constexpr std::uint8_t SS_ABORTED = 0x02;
inline constexpr std::uint8_t SS_ERR = 0x04;
inline constexpr std::uint8_t SS_INVALID_CMD = 0x80;
inline constexpr std::uint8_t SS_INVALID_HA = 0x81;
inline constexpr std::uint8_t SS_NO_DEVICE = 0x82;

inline constexpr std::uint8_t SRB_DIR_IN = 0x08;
inline constexpr std::uint8_t SRB_DIR_OUT = 0x10;
inline constexpr std::uint8_t SRB_EVENT_NOTIFY = 0x40;

inline constexpr std::uint8_t kSenseLength = 14;

#pragma pack(push, 1)
struct SRB_ExecSCSICmd {
    std::uint8_t SRB_Cmd;
    std::uint8_t SRB_Status;
    std::uint8_t SRB_HaId;
    std::uint8_t SRB_Flags;
    std::uint32_t SRB_Hdr_Rsvd;
    std::uint8_t SRB_Target;
    std::uint8_t SRB_Lun;
    std::uint16_t SRB_Rsvd1;
    std::uint32_t SRB_BufLen;
    std::uint8_t* SRB_BufPointer;
    std::uint8_t SRB_SenseLen;
    std::uint8_t SRB_CDBLen;
    std::uint8_t SRB_HaStat;
    std::uint8_t SRB_TargStat;
    void* SRB_PostProc;
    std::uint8_t SRB_Rsvd2[20];
    std::uint8_t CDBByte[16];
    std::uint8_t SenseArea[16];
};

struct SRB_HAInquiry {
    std::uint8_t SRB_Cmd;
    std::uint8_t SRB_Status;
    std::uint8_t SRB_HaId;
    std::uint8_t SRB_Flags;
    std::uint32_t SRB_Hdr_Rsvd;
    std::uint8_t HA_Count;
    std::uint8_t HA_SCSI_ID;
    std::uint8_t HA_ManagerId[16];
    std::uint8_t HA_Identifier[16];
    std::uint8_t HA_Unique[16];
    std::uint16_t HA_Rsvd1;
};
#pragma pack(pop)

// The common header every request block starts with.
struct SRB_Header {
    std::uint8_t SRB_Cmd;
    std::uint8_t SRB_Status;
    std::uint8_t SRB_HaId;
    std::uint8_t SRB_Flags;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(SRB_ExecSCSICmd) == 80);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Target) == 8);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 12);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_SenseLen) == 20);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_CDBLen) == 21);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 24);
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 48);
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 64);
static_assert(sizeof(SRB_HAInquiry) == 60);
static_assert(offsetof(SRB_HAInquiry, HA_SCSI_ID) == 9);
static_assert(offsetof(SRB_HAInquiry, HA_ManagerId) == 10);
static_assert(offsetof(SRB_HAInquiry, HA_Identifier) == 26);
static_assert(offsetof(SRB_HAInquiry, HA_Unique) == 42);
#elif defined(_WIN64)
static_assert(sizeof(SRB_ExecSCSICmd) == 88);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Target) == 8);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 12);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_SenseLen) == 24);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_CDBLen) == 25);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 28);
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 56);
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 72);
static_assert(sizeof(SRB_HAInquiry) == 60);
#endif

// The manager's two entry points; cdecl, as the 32-bit default calling convention (64-bit
// Windows has one convention only).
using GetASPI32SupportInfoProc = std::uint32_t (*)();
using SendASPI32CommandProc = std::uint32_t (*)(void* srb);

inline constexpr const char kManagerFileName[] = "wnaspi32.dll";
inline constexpr const char kSupportInfoName[] = "GetASPI32SupportInfo";
inline constexpr const char kSendCommandName[] = "SendASPI32Command";

}  // namespace tessaly::aspi
