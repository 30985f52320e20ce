// The SCSI control codes and structures that transport/ copies (it must build without the
// Windows headers) checked against the system's own headers, in the 32-bit and the 64-bit
// build alike. Nothing here runs.
#include <windows.h>
// After windows.h, which they build on.
#include <ntddscsi.h>
#include <winioctl.h>

#include <cstddef>

// The system's control codes are macros of the same names as the copies: take their
// values, then drop the macros so that the copies' header can be read.
namespace sys {
constexpr unsigned long kGetInquiryData = IOCTL_SCSI_GET_INQUIRY_DATA;
constexpr unsigned long kGetAddress = IOCTL_SCSI_GET_ADDRESS;
constexpr unsigned long kPassThroughDirect = IOCTL_SCSI_PASS_THROUGH_DIRECT;
constexpr unsigned long kStorageQueryProperty = IOCTL_STORAGE_QUERY_PROPERTY;
constexpr unsigned kDataOut = SCSI_IOCTL_DATA_OUT;
constexpr unsigned kDataIn = SCSI_IOCTL_DATA_IN;
constexpr unsigned kDataUnspecified = SCSI_IOCTL_DATA_UNSPECIFIED;
constexpr unsigned kFileReadAccess = FILE_READ_ACCESS;
constexpr unsigned kFileWriteAccess = FILE_WRITE_ACCESS;
}  // namespace sys
#undef IOCTL_SCSI_GET_INQUIRY_DATA
#undef IOCTL_SCSI_GET_ADDRESS
#undef IOCTL_SCSI_PASS_THROUGH_DIRECT
#undef IOCTL_STORAGE_QUERY_PROPERTY
#undef SCSI_IOCTL_DATA_OUT
#undef SCSI_IOCTL_DATA_IN
#undef SCSI_IOCTL_DATA_UNSPECIFIED

#include "platform/platform.h"
#include "transport/scsi_passthrough.h"

namespace tessaly::platform {
namespace {

template <typename Ours, typename Theirs>
constexpr bool SameSize = sizeof(Ours) == sizeof(Theirs) && alignof(Ours) == alignof(Theirs);

static_assert(nt::IOCTL_SCSI_GET_INQUIRY_DATA == sys::kGetInquiryData);
static_assert(nt::IOCTL_SCSI_GET_ADDRESS == sys::kGetAddress);
static_assert(nt::IOCTL_SCSI_PASS_THROUGH_DIRECT == sys::kPassThroughDirect);
static_assert(nt::IOCTL_STORAGE_QUERY_PROPERTY == sys::kStorageQueryProperty);
static_assert(nt::SCSI_IOCTL_DATA_OUT == sys::kDataOut);
static_assert(nt::SCSI_IOCTL_DATA_IN == sys::kDataIn);
static_assert(nt::SCSI_IOCTL_DATA_UNSPECIFIED == sys::kDataUnspecified);
static_assert(nt::kFileReadAccess == sys::kFileReadAccess);
static_assert(nt::kFileWriteAccess == sys::kFileWriteAccess);
static_assert(nt::RequiredAccess(sys::kPassThroughDirect) ==
              (sys::kFileReadAccess | sys::kFileWriteAccess));
static_assert(nt::RequiredAccess(sys::kGetAddress) == 0);

static_assert(SameSize<nt::SCSI_ADDRESS, ::SCSI_ADDRESS>);
static_assert(offsetof(nt::SCSI_ADDRESS, PortNumber) == offsetof(::SCSI_ADDRESS, PortNumber));
static_assert(offsetof(nt::SCSI_ADDRESS, TargetId) == offsetof(::SCSI_ADDRESS, TargetId));

using OurSptd = nt::SCSI_PASS_THROUGH_DIRECT;
using TheirSptd = ::SCSI_PASS_THROUGH_DIRECT;
static_assert(SameSize<OurSptd, TheirSptd>);
static_assert(offsetof(OurSptd, ScsiStatus) == offsetof(TheirSptd, ScsiStatus));
static_assert(offsetof(OurSptd, CdbLength) == offsetof(TheirSptd, CdbLength));
static_assert(offsetof(OurSptd, SenseInfoLength) == offsetof(TheirSptd, SenseInfoLength));
static_assert(offsetof(OurSptd, DataIn) == offsetof(TheirSptd, DataIn));
static_assert(offsetof(OurSptd, DataTransferLength) == offsetof(TheirSptd, DataTransferLength));
static_assert(offsetof(OurSptd, TimeOutValue) == offsetof(TheirSptd, TimeOutValue));
static_assert(offsetof(OurSptd, DataBuffer) == offsetof(TheirSptd, DataBuffer));
static_assert(offsetof(OurSptd, SenseInfoOffset) == offsetof(TheirSptd, SenseInfoOffset));
static_assert(offsetof(OurSptd, Cdb) == offsetof(TheirSptd, Cdb));

// The inquiry-data buffer is read by offset.
static_assert(nt::kAdapterBusInfoBusData == offsetof(SCSI_ADAPTER_BUS_INFO, BusData));
static_assert(nt::kBusDataSize == sizeof(SCSI_BUS_DATA));
static_assert(nt::kBusDataInitiatorBusId == offsetof(SCSI_BUS_DATA, InitiatorBusId));
static_assert(nt::kBusDataInquiryDataOffset == offsetof(SCSI_BUS_DATA, InquiryDataOffset));
static_assert(nt::kInquiryDataTargetId == offsetof(SCSI_INQUIRY_DATA, TargetId));
static_assert(nt::kInquiryDataDeviceClaimed == offsetof(SCSI_INQUIRY_DATA, DeviceClaimed));
static_assert(nt::kInquiryDataInquiryDataLength == offsetof(SCSI_INQUIRY_DATA, InquiryDataLength));
static_assert(nt::kInquiryDataNextInquiryDataOffset ==
              offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset));
static_assert(nt::kInquiryDataInquiryData == offsetof(SCSI_INQUIRY_DATA, InquiryData));

static_assert(nt::StorageAdapterProperty == StorageAdapterProperty);
static_assert(nt::PropertyStandardQuery == PropertyStandardQuery);
static_assert(nt::kStoragePropertyQuerySize == sizeof(STORAGE_PROPERTY_QUERY));
static_assert(nt::kAdapterDescriptorBusType == offsetof(STORAGE_ADAPTER_DESCRIPTOR, BusType));

// The platform interface's copies of the Win32 values.
static_assert(kGenericRead == GENERIC_READ && kGenericWrite == GENERIC_WRITE);
static_assert(kFileShareRead == FILE_SHARE_READ && kFileShareWrite == FILE_SHARE_WRITE);
static_assert(kOpenExisting == OPEN_EXISTING && kDriveCdrom == DRIVE_CDROM);
static_assert(kWaitTimeout == WAIT_TIMEOUT && kWaitFailed == WAIT_FAILED && kInfinite == INFINITE);
static_assert(kKeyRead == KEY_READ && kKeyAllAccess == KEY_ALL_ACCESS);
static_assert(kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);
static_assert(kErrorIoDevice == ERROR_IO_DEVICE && kErrorMoreData == ERROR_MORE_DATA);
static_assert(kErrorNoMoreItems == ERROR_NO_MORE_ITEMS);
static_assert(sizeof(Handle) == sizeof(HANDLE) && sizeof(Module) == sizeof(HMODULE));
static_assert(sizeof(RegKey) == sizeof(HKEY));

}  // namespace
}  // namespace tessaly::platform
