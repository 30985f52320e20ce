// Windows SCSI pass-through structures and control codes, in their published
// layouts (ntddscsi.h). The request block is a SCSI_PASS_THROUGH_DIRECT with
// its sense area behind it, sent as both input and output of the control.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaly::nt {

inline constexpr std::uint32_t IOCTL_SCSI_GET_INQUIRY_DATA = 0x0004100C;
inline constexpr std::uint32_t IOCTL_SCSI_GET_ADDRESS = 0x00041018;
inline constexpr std::uint32_t IOCTL_SCSI_PASS_THROUGH_DIRECT = 0x0004D014;
inline constexpr std::uint32_t IOCTL_STORAGE_QUERY_PROPERTY = 0x002D1400;

// The access a control code demands of its handle (CTL_CODE bits 14-15): FILE_ANY_ACCESS
// 0, FILE_READ_ACCESS 1, FILE_WRITE_ACCESS 2. Pass-through demands both; the address,
// inquiry-data and property queries demand none.
inline constexpr std::uint32_t kFileReadAccess = 1;
inline constexpr std::uint32_t kFileWriteAccess = 2;
constexpr std::uint32_t RequiredAccess(std::uint32_t controlCode) {
    return (controlCode >> 14) & 3;
}

inline constexpr std::uint8_t SCSI_IOCTL_DATA_OUT = 0;
inline constexpr std::uint8_t SCSI_IOCTL_DATA_IN = 1;
inline constexpr std::uint8_t SCSI_IOCTL_DATA_UNSPECIFIED = 2;

struct SCSI_ADDRESS {
    std::uint32_t Length;
    std::uint8_t PortNumber;
    std::uint8_t PathId;
    std::uint8_t TargetId;
    std::uint8_t Lun;
};

struct SCSI_PASS_THROUGH_DIRECT {
    std::uint16_t Length;
    std::uint8_t ScsiStatus;
    std::uint8_t PathId;
    std::uint8_t TargetId;
    std::uint8_t Lun;
    std::uint8_t CdbLength;
    std::uint8_t SenseInfoLength;
    std::uint8_t DataIn;
    std::uint32_t DataTransferLength;
    std::uint32_t TimeOutValue;
    void* DataBuffer;
    std::uint32_t SenseInfoOffset;
    std::uint8_t Cdb[16];
};

// The request sent for one command: the structure, padding, and 32 bytes of sense.
struct PassThroughRequest {
    SCSI_PASS_THROUGH_DIRECT sptd;
    std::uint32_t filler;
    std::uint8_t sense[32];
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(SCSI_ADDRESS) == 8);
static_assert(offsetof(SCSI_ADDRESS, PortNumber) == 4);
static_assert(offsetof(SCSI_ADDRESS, TargetId) == 6);
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataIn) == 8);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 20);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 24);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 28);
static_assert(sizeof(PassThroughRequest) == 80);
static_assert(offsetof(PassThroughRequest, sense) == 48);
#elif defined(_WIN64)
// The 8-byte data pointer is aligned to 8, with padding before it and at the end.
static_assert(sizeof(SCSI_ADDRESS) == 8);
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 56);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataIn) == 8);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 24);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 32);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 36);
static_assert(sizeof(PassThroughRequest) == 96);
static_assert(offsetof(PassThroughRequest, sense) == 60);
#endif

// IOCTL_SCSI_GET_INQUIRY_DATA output, read by offset from a 4096-byte buffer:
// SCSI_ADAPTER_BUS_INFO { NumberOfBuses; SCSI_BUS_DATA BusData[] } where each
// SCSI_BUS_DATA is { NumberOfLogicalUnits, InitiatorBusId, pad[2], InquiryDataOffset }
// and each SCSI_INQUIRY_DATA is { PathId, TargetId, Lun, DeviceClaimed,
// InquiryDataLength, NextInquiryDataOffset, InquiryData[] }.
inline constexpr std::size_t kInquiryDataBufferSize = 4096;
inline constexpr std::size_t kAdapterBusInfoNumberOfBuses = 0;
inline constexpr std::size_t kAdapterBusInfoBusData = 4;
inline constexpr std::size_t kBusDataSize = 8;
inline constexpr std::size_t kBusDataNumberOfLogicalUnits = 0;
inline constexpr std::size_t kBusDataInitiatorBusId = 1;
inline constexpr std::size_t kBusDataInquiryDataOffset = 4;
inline constexpr std::size_t kInquiryDataPathId = 0;
inline constexpr std::size_t kInquiryDataTargetId = 1;
inline constexpr std::size_t kInquiryDataLun = 2;
inline constexpr std::size_t kInquiryDataDeviceClaimed = 3;
inline constexpr std::size_t kInquiryDataInquiryDataLength = 4;
inline constexpr std::size_t kInquiryDataNextInquiryDataOffset = 8;
inline constexpr std::size_t kInquiryDataInquiryData = 12;

// IOCTL_STORAGE_QUERY_PROPERTY: STORAGE_PROPERTY_QUERY in, STORAGE_ADAPTER_DESCRIPTOR out.
inline constexpr std::uint32_t StorageAdapterProperty = 1;
inline constexpr std::uint32_t PropertyStandardQuery = 0;
inline constexpr std::size_t kStoragePropertyQuerySize = 12;
inline constexpr std::size_t kAdapterDescriptorAlignmentMask = 16;
inline constexpr std::size_t kAdapterDescriptorBusType = 24;

// The port driver refuses a pass-through time-out of 0 or above 30 hours.
inline constexpr std::uint32_t kLongestTimeOutValue = 108000;

}  // namespace tessaly::nt
