// DeviceIoControl of the virtual PC: the SCSI address of a drive letter, a port's
// inquiry data and adapter descriptor, and SCSI pass-through to the drive behind a
// letter. Requests are checked as Windows checks them before anything runs.
#include <algorithm>
#include <cstring>

#include "common/bytes.h"
#include "transport/scsi_command.h"
#include "transport/scsi_passthrough.h"
#include "vpc/port_data.h"
#include "vpc/virtual_pc.h"

namespace tessaly::vpc {
namespace {

constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::size_t kScsiAddressSize = 8;
constexpr std::size_t kDescriptorHeaderSize = 8;  // STORAGE_DESCRIPTOR_HEADER: Version, Size

}  // namespace

bool VirtualPc::DeviceIoControl(platform::Handle device, std::uint32_t controlCode, void* inBuffer,
                                std::uint32_t inSize, void* outBuffer, std::uint32_t outSize,
                                std::uint32_t* bytesReturned) {
    // Without an OVERLAPPED block Windows writes the count unconditionally.
    if (bytesReturned == nullptr)
        return Fail(platform::kErrorInvalidParameter);
    *bytesReturned = 0;
    try {
        const auto object = FindObject(device);
        if (!object)
            return Fail(platform::kErrorInvalidHandle);
        if (object->kind == ObjectKind::kEvent)
            return Fail(platform::kErrorInvalidFunction);
        // The I/O manager checks the handle's access before the driver sees the request.
        const std::uint32_t required = nt::RequiredAccess(controlCode);
        if (ChecksControlAccess() && (object->grantedAccess & required) != required)
            return Fail(platform::kErrorAccessDenied);
        switch (controlCode) {
            case nt::IOCTL_SCSI_GET_ADDRESS:
                return GetScsiAddress(*object, outBuffer, outSize, *bytesReturned);
            case nt::IOCTL_SCSI_GET_INQUIRY_DATA:
                return GetInquiryData(*object, outBuffer, outSize, *bytesReturned);
            case nt::IOCTL_SCSI_PASS_THROUGH_DIRECT:
                return PassThroughDirect(*object, inBuffer, inSize, outBuffer, outSize,
                                         *bytesReturned);
            case nt::IOCTL_STORAGE_QUERY_PROPERTY:
                return QueryProperty(*object, inBuffer, inSize, outBuffer, outSize, *bytesReturned);
            default:
                return Fail(platform::kErrorInvalidFunction);
        }
    } catch (...) {
        *bytesReturned = 0;
        return Fail(kErrorNotEnoughMemory);
    }
}

// SCSI_ADDRESS: Length 8, PortNumber, PathId, TargetId, Lun. Only a drive letter of
// a device on an adapter has one.
bool VirtualPc::GetScsiAddress(const Object& object, void* out, std::uint32_t outSize,
                               std::uint32_t& returned) {
    if (object.kind != ObjectKind::kVolume || !object.volume->address) {
        return Fail(platform::kErrorInvalidFunction);
    }
    if (outSize < kScsiAddressSize)
        return Fail(platform::kErrorInsufficientBuffer);
    if (out == nullptr)
        return Fail(platform::kErrorInvalidParameter);
    const ScsiAddress& address = *object.volume->address;
    ByteWriter writer(static_cast<std::uint8_t*>(out), kScsiAddressSize);
    writer.Le32(0, kScsiAddressSize);
    writer.U8(4, address.port);
    writer.U8(5, address.path);
    writer.U8(6, address.target);
    writer.U8(7, 0);
    returned = kScsiAddressSize;
    return true;
}

bool VirtualPc::GetInquiryData(const Object& object, void* out, std::uint32_t outSize,
                               std::uint32_t& returned) {
    if (object.kind != ObjectKind::kPort)
        return Fail(platform::kErrorInvalidFunction);
    std::vector<PortDevice> devices;
    for (const AttachedDrive& attached : attached_) {
        if (attached.adapter == object.port) {
            devices.push_back(
                PortDevice{attached.bus, attached.target, attached.drive->IdentifyData()});
        }
    }
    const std::vector<std::uint8_t> data =
        BuildPortInquiryData(scenario_.adapters[object.port].scsiId, std::move(devices));
    if (outSize < data.size())
        return Fail(platform::kErrorInsufficientBuffer);
    if (out == nullptr)
        return Fail(platform::kErrorInvalidParameter);
    std::memcpy(out, data.data(), data.size());
    returned = static_cast<std::uint32_t>(data.size());
    return true;
}

// The request block is a SCSI_PASS_THROUGH_DIRECT, optionally followed by room for
// sense data at SenseInfoOffset; it is both input and output. On return ScsiStatus,
// DataTransferLength (bytes moved) and SenseInfoLength (sense bytes written) are set.
bool VirtualPc::PassThroughDirect(const Object& object, void* in, std::uint32_t inSize, void* out,
                                  std::uint32_t outSize, std::uint32_t& returned) {
    using nt::SCSI_PASS_THROUGH_DIRECT;
    constexpr std::size_t kRequestSize = sizeof(SCSI_PASS_THROUGH_DIRECT);
    if (object.kind != ObjectKind::kVolume || object.volume->drive == nullptr) {
        return Fail(platform::kErrorInvalidFunction);
    }
    if (in == nullptr || out == nullptr || inSize < kRequestSize || outSize < kRequestSize) {
        return Fail(platform::kErrorInvalidParameter);
    }
    SCSI_PASS_THROUGH_DIRECT request;
    std::memcpy(&request, in, kRequestSize);
    // The sense area lies behind the structure and inside the output.
    const bool senseFits =
        request.SenseInfoLength == 0 ||
        (request.SenseInfoOffset >= request.Length &&
         std::uint64_t{request.SenseInfoOffset} + request.SenseInfoLength <= outSize);
    const bool timeOutValid =
        request.TimeOutValue >= 1 && request.TimeOutValue <= nt::kLongestTimeOutValue;
    if (request.Length != kRequestSize || request.CdbLength > sizeof request.Cdb ||
        request.DataIn > nt::SCSI_IOCTL_DATA_UNSPECIFIED || !senseFits || !timeOutValid ||
        (request.DataBuffer == nullptr && request.DataTransferLength != 0) ||
        !DataBufferAligned(*object.volume, request)) {
        return Fail(platform::kErrorInvalidParameter);
    }
    const Volume& volume = *object.volume;
    if (volume.passthroughError)
        return Fail(*volume.passthroughError);

    // A drive letter's device is a logical unit: its port driver puts the unit's own
    // address into the request, whatever path id, target id and LUN the caller wrote, and
    // the command reaches that unit. A drive without a SCSI address (USB or IEEE 1394,
    // reached by letter alone) is logged by what the request names.
    if (volume.address) {
        request.PathId = volume.address->path;
        request.TargetId = volume.address->target;
        request.Lun = 0;
        log_.Record(volume.address->port, volume.address->path, volume.address->target, request.Cdb,
                    request.CdbLength);
    } else {
        log_.Record(request.PathId, request.TargetId, request.Cdb, request.CdbLength);
    }
    const CommandResult result = volume.drive->Execute(
        request.Cdb, request.CdbLength, static_cast<std::uint8_t*>(request.DataBuffer),
        request.DataTransferLength);
    SenseBlock sense{};
    std::uint8_t senseCount = 0;
    if (result.status != kScsiStatusGood && request.SenseInfoLength > 0) {
        sense = volume.drive->TakeSense();
        senseCount =
            static_cast<std::uint8_t>(std::min<std::size_t>(request.SenseInfoLength, sense.size()));
    }
    request.ScsiStatus = result.status;
    request.DataTransferLength = result.transferred;
    request.SenseInfoLength = senseCount;
    auto* block = static_cast<std::uint8_t*>(out);
    std::memcpy(block, &request, kRequestSize);
    std::memcpy(block + request.SenseInfoOffset, sense.data(), senseCount);
    returned = senseCount > 0 ? request.SenseInfoOffset + senseCount
                              : static_cast<std::uint32_t>(kRequestSize);
    return true;
}

// The port driver moves data only at an address the adapter can reach: a buffer with
// any bit of the adapter's alignment mask set is refused. Only an adapter whose
// scenario names its mask demands it; a drive reached by letter alone demands nothing.
bool VirtualPc::DataBufferAligned(const Volume& volume,
                                  const nt::SCSI_PASS_THROUGH_DIRECT& request) const {
    if (request.DataTransferLength == 0 || !volume.address ||
        volume.address->port >= scenario_.adapters.size()) {
        return true;
    }
    const std::optional<std::uint32_t> mask =
        scenario_.adapters[volume.address->port].alignmentMask;
    const auto address = reinterpret_cast<std::uintptr_t>(request.DataBuffer);
    return !mask || (address & *mask) == 0;
}

// STORAGE_PROPERTY_QUERY in: PropertyId (4 bytes), QueryType (4 bytes), one
// parameter byte. Only the adapter property of a port is answered, and only by
// Windows 2000 and later. An output shorter than the descriptor gets its start,
// whose Size tells the caller how much to ask for.
bool VirtualPc::QueryProperty(const Object& object, void* in, std::uint32_t inSize, void* out,
                              std::uint32_t outSize, std::uint32_t& returned) {
    if (object.kind != ObjectKind::kPort || scenario_.os.major < 5) {
        return Fail(platform::kErrorInvalidFunction);
    }
    if (in == nullptr || inSize < nt::kStoragePropertyQuerySize) {
        return Fail(platform::kErrorInvalidParameter);
    }
    const ByteView query(static_cast<const std::uint8_t*>(in), inSize);
    if (query.Le32(0) != nt::StorageAdapterProperty || query.Le32(4) != nt::PropertyStandardQuery) {
        return Fail(platform::kErrorInvalidFunction);
    }
    if (outSize < kDescriptorHeaderSize)
        return Fail(platform::kErrorInsufficientBuffer);
    if (out == nullptr)
        return Fail(platform::kErrorInvalidParameter);
    const AdapterSpec& adapter = scenario_.adapters[object.port];
    const auto descriptor = BuildAdapterDescriptor(adapter.bus, ReportedAlignmentMask(adapter));
    const std::size_t count = std::min<std::size_t>(outSize, descriptor.size());
    std::memcpy(out, descriptor.data(), count);
    returned = static_cast<std::uint32_t>(count);
    return true;
}

}  // namespace tessaly::vpc
