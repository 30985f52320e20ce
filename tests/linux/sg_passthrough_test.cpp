// The pass-through request mapping against a fake SG_IO: one row per case, from the
// request the core builds, changed by the row, to what SG_IO saw and what came back.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "fake_linux.h"
#include "platform/linux/error_codes.h"
#include "platform/linux/sg_passthrough.h"
#include "platform/platform.h"
#include "transport/scsi_passthrough.h"

namespace tessaly {
namespace {

using platform::linux_os::ControlResult;
using platform::linux_os::PassThroughDirect;
using testing::FakeCalls;

constexpr std::uint32_t kBlockSize = sizeof(nt::PassThroughRequest);
constexpr std::uint32_t kSenseOffset = offsetof(nt::PassThroughRequest, sense);

struct SeenByDevice {
    int direction = -99;
    unsigned length = 0;
    unsigned timeout = 0;
    int senseRoom = -1;
    int cdbLength = -1;
};

struct Row {
    const char* name;
    std::function<void(nt::PassThroughRequest&)> change;  // of a valid 12-byte READ request
    std::function<int(sg_io_hdr_t&)> device;              // the SG_IO answer
    std::uint32_t outSize = kBlockSize;
    // Expected:
    bool ok = true;
    std::uint32_t error = 0;
    bool ioctlCalled = true;
    SeenByDevice seen{};
    std::uint8_t status = 0;
    std::uint32_t transferred = 0;
    std::uint8_t senseLength = 0;
    std::uint32_t returned = 0;
};

int Good(sg_io_hdr_t& h) {
    h.status = 0;
    h.resid = 0;
    return 0;
}

int CheckCondition(sg_io_hdr_t& h) {
    h.status = 0x02;
    h.resid = static_cast<int>(h.dxfer_len);
    h.driver_status = 0x08;
    const std::uint8_t sense[18] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x00};
    const std::size_t n = std::min<std::size_t>(h.mx_sb_len, sizeof sense);
    std::memcpy(h.sbp, sense, n);
    h.sb_len_wr = static_cast<unsigned char>(n);
    return 0;
}

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"data in, all moved",
         nullptr,
         Good,
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12},
         0,
         64,
         0,
         sizeof(nt::SCSI_PASS_THROUGH_DIRECT)},
        {"data in, residual subtracted",
         nullptr,
         [](sg_io_hdr_t& h) {
             h.resid = 24;
             return 0;
         },
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12},
         0,
         40,
         0,
         sizeof(nt::SCSI_PASS_THROUGH_DIRECT)},
        {"a residual past the length is clamped",
         nullptr,
         [](sg_io_hdr_t& h) {
             h.resid = 1000;
             return 0;
         },
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12},
         0,
         0,
         0,
         sizeof(nt::SCSI_PASS_THROUGH_DIRECT)},
        {"a negative residual is clamped",
         nullptr,
         [](sg_io_hdr_t& h) {
             h.resid = -5;
             return 0;
         },
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12},
         0,
         64,
         0,
         sizeof(nt::SCSI_PASS_THROUGH_DIRECT)},
        {"data out",
         [](nt::PassThroughRequest& r) { r.sptd.DataIn = nt::SCSI_IOCTL_DATA_OUT; },
         Good,
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_TO_DEV, 64, 60000u, 32, 12},
         0,
         64,
         0,
         sizeof(nt::SCSI_PASS_THROUGH_DIRECT)},
        {"unspecified moves nothing",
         [](nt::PassThroughRequest& r) { r.sptd.DataIn = nt::SCSI_IOCTL_DATA_UNSPECIFIED; },
         Good,
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_NONE, 0, 60000u, 32, 12},
         0,
         0,
         0,
         sizeof(nt::SCSI_PASS_THROUGH_DIRECT)},
        {"no data length is no transfer",
         [](nt::PassThroughRequest& r) {
             r.sptd.DataTransferLength = 0;
             r.sptd.DataBuffer = nullptr;
         },
         Good,
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_NONE, 0, 60000u, 32, 12},
         0,
         0,
         0,
         sizeof(nt::SCSI_PASS_THROUGH_DIRECT)},
        {"timeout in seconds becomes milliseconds",
         [](nt::PassThroughRequest& r) { r.sptd.TimeOutValue = 7; },
         Good,
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_FROM_DEV, 64, 7000, 32, 12},
         0,
         64,
         0,
         sizeof(nt::SCSI_PASS_THROUGH_DIRECT)},
        {"a huge timeout is capped at a minute",
         [](nt::PassThroughRequest& r) { r.sptd.TimeOutValue = 0xFFFFFFFFu; },
         Good,
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12},
         0,
         64,
         0,
         sizeof(nt::SCSI_PASS_THROUGH_DIRECT)},
        {"CHECK CONDITION succeeds with status and sense",
         nullptr,
         CheckCondition,
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12},
         2,
         0,
         18,
         kSenseOffset + 18},
        {"sense clamped to the request's room",
         [](nt::PassThroughRequest& r) { r.sptd.SenseInfoLength = 8; },
         CheckCondition,
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 8, 12},
         2,
         0,
         8,
         kSenseOffset + 8},
        {"no sense room, no sense",
         [](nt::PassThroughRequest& r) { r.sptd.SenseInfoLength = 0; },
         CheckCondition,
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 0, 12},
         2,
         0,
         0,
         sizeof(nt::SCSI_PASS_THROUGH_DIRECT)},
        {"a device that claims more sense than it had room for",
         nullptr,
         [](sg_io_hdr_t& h) {
             h.sb_len_wr = 200;
             return 0;
         },
         kBlockSize,
         true,
         0,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12},
         0,
         64,
         32,
         kSenseOffset + 32},
        {"EIO is not ready",
         nullptr,
         [](sg_io_hdr_t&) { return -EIO; },
         kBlockSize,
         false,
         21,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12}},
        {"EINVAL is an invalid parameter",
         nullptr,
         [](sg_io_hdr_t&) { return -EINVAL; },
         kBlockSize,
         false,
         87,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12}},
        {"EACCES is access denied",
         nullptr,
         [](sg_io_hdr_t&) { return -EACCES; },
         kBlockSize,
         false,
         5,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12}},
        {"host error (no connect)",
         nullptr,
         [](sg_io_hdr_t& h) {
             h.host_status = 0x01;
             return 0;
         },
         kBlockSize,
         false,
         platform::kErrorIoDevice,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12}},
        {"host timeout",
         nullptr,
         [](sg_io_hdr_t& h) {
             h.host_status = 0x03;
             return 0;
         },
         kBlockSize,
         false,
         121,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12}},
        {"driver timeout",
         nullptr,
         [](sg_io_hdr_t& h) {
             h.driver_status = 0x06;
             return 0;
         },
         kBlockSize,
         false,
         121,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12}},
        {"driver error",
         nullptr,
         [](sg_io_hdr_t& h) {
             h.driver_status = 0x04;
             return 0;
         },
         kBlockSize,
         false,
         platform::kErrorIoDevice,
         true,
         {SG_DXFER_FROM_DEV, 64, 60000u, 32, 12}},
        {"wrong length field refused", [](nt::PassThroughRequest& r) { r.sptd.Length = 40; }, Good,
         kBlockSize, false, 87, false},
        {"CDB over 16 bytes refused", [](nt::PassThroughRequest& r) { r.sptd.CdbLength = 17; },
         Good, kBlockSize, false, 87, false},
        {"empty CDB refused", [](nt::PassThroughRequest& r) { r.sptd.CdbLength = 0; }, Good,
         kBlockSize, false, 87, false},
        {"unknown direction refused", [](nt::PassThroughRequest& r) { r.sptd.DataIn = 3; }, Good,
         kBlockSize, false, 87, false},
        {"data length without a buffer refused",
         [](nt::PassThroughRequest& r) { r.sptd.DataBuffer = nullptr; }, Good, kBlockSize, false,
         87, false},
        {"sense area past the output refused",
         [](nt::PassThroughRequest& r) { r.sptd.SenseInfoOffset = kBlockSize - 8; }, Good,
         kBlockSize, false, 87, false},
        {"sense area inside the structure refused",
         [](nt::PassThroughRequest& r) { r.sptd.SenseInfoOffset = 4; }, Good, kBlockSize, false, 87,
         false},
        {"sense offset overflowing refused",
         [](nt::PassThroughRequest& r) { r.sptd.SenseInfoOffset = 0xFFFFFFF0u; }, Good, kBlockSize,
         false, 87, false},
        {"output shorter than the structure refused", nullptr, Good,
         sizeof(nt::SCSI_PASS_THROUGH_DIRECT) - 1, false, 122, false},
    };
    return rows;
}

TEST(SgPassThrough, RequestMappingTable) {
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        FakeCalls calls;
        calls.devices["/dev/sr0"] = {};
        const int fd = calls.Open("/dev/sr0", 0);
        std::vector<std::uint8_t> data(64, 0xEE);
        nt::PassThroughRequest request{};
        request.sptd.Length = sizeof(nt::SCSI_PASS_THROUGH_DIRECT);
        request.sptd.CdbLength = 12;
        request.sptd.SenseInfoLength = sizeof request.sense;
        request.sptd.DataIn = nt::SCSI_IOCTL_DATA_IN;
        request.sptd.DataTransferLength = static_cast<std::uint32_t>(data.size());
        request.sptd.TimeOutValue = 108000;
        request.sptd.DataBuffer = data.data();
        request.sptd.SenseInfoOffset = kSenseOffset;
        request.sptd.Cdb[0] = 0xBE;
        request.sptd.Cdb[11] = 0x5A;
        std::memset(request.sense, 0xCC, sizeof request.sense);
        if (row.change)
            row.change(request);

        SeenByDevice seen;
        calls.sgIo = [&](sg_io_hdr_t& h) {
            seen = {h.dxfer_direction, h.dxfer_len, h.timeout, h.mx_sb_len, h.cmd_len};
            EXPECT_EQ(h.interface_id, 'S');
            EXPECT_EQ(static_cast<const std::uint8_t*>(h.cmdp)[11], 0x5A) << "the whole CDB";
            return row.device(h);
        };
        const nt::PassThroughRequest before = request;
        const ControlResult result =
            PassThroughDirect(calls, fd, &request, sizeof request, &request, row.outSize);

        EXPECT_EQ(result.ok, row.ok);
        EXPECT_EQ(result.error, row.error);
        EXPECT_EQ(calls.sgIoCalls, row.ioctlCalled ? 1 : 0);
        if (row.ioctlCalled) {
            EXPECT_EQ(seen.direction, row.seen.direction);
            EXPECT_EQ(seen.length, row.seen.length);
            EXPECT_EQ(seen.timeout, row.seen.timeout);
            EXPECT_EQ(seen.senseRoom, row.seen.senseRoom);
            EXPECT_EQ(seen.cdbLength, row.seen.cdbLength);
        }
        if (!row.ok) {
            EXPECT_EQ(std::memcmp(&before, &request, sizeof request), 0)
                << "a failed call leaves the block as it was";
            continue;
        }
        EXPECT_EQ(result.returned, row.returned);
        EXPECT_EQ(request.sptd.ScsiStatus, row.status);
        EXPECT_EQ(request.sptd.DataTransferLength, row.transferred);
        EXPECT_EQ(request.sptd.SenseInfoLength, row.senseLength);
        for (std::size_t i = row.senseLength; i < sizeof request.sense; ++i)
            EXPECT_EQ(request.sense[i], 0xCC) << "no sense byte past the count, at " << i;
        if (row.senseLength >= 14 && row.status == 2) {
            EXPECT_EQ(request.sense[2], 0x05);
            EXPECT_EQ(request.sense[12], 0x24);
        }
    }
}

TEST(SgPassThrough, NullBlocksRefusedWithoutTheDevice) {
    FakeCalls calls;
    calls.devices["/dev/sr0"] = {};
    const int fd = calls.Open("/dev/sr0", 0);
    nt::PassThroughRequest request{};
    const auto in = PassThroughDirect(calls, fd, nullptr, kBlockSize, &request, kBlockSize);
    const auto out = PassThroughDirect(calls, fd, &request, kBlockSize, nullptr, kBlockSize);
    const auto shortIn = PassThroughDirect(calls, fd, &request, 8, &request, kBlockSize);
    EXPECT_FALSE(in.ok);
    EXPECT_EQ(in.error, platform::kErrorInvalidParameter);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.error, platform::kErrorInvalidParameter);
    EXPECT_FALSE(shortIn.ok);
    EXPECT_EQ(shortIn.error, platform::kErrorInsufficientBuffer);
    EXPECT_EQ(calls.sgIoCalls, 0);
}

struct AddressRow {
    const char* name;
    platform::linux_os::IdLun address;
    std::uint32_t outSize;
    bool ok;
    std::uint32_t error;
};

TEST(SgPassThrough, ScsiAddressFromIdLun) {
    const AddressRow rows[] = {
        {"host 2, channel 0, id 3", {2, 0, 3, 0}, 8, true, 0},
        {"every field apart", {7, 1, 15, 2}, 8, true, 0},
        {"high host number", {255, 3, 6, 7}, 16, true, 0},
        {"output too short", {0, 0, 0, 0}, 7, false, platform::kErrorInsufficientBuffer},
    };
    for (const AddressRow& row : rows) {
        SCOPED_TRACE(row.name);
        FakeCalls calls;
        testing::FakeDevice device;
        device.address = row.address;
        calls.devices["/dev/sr0"] = device;
        const int fd = calls.Open("/dev/sr0", 0);
        platform::linux_os::IdLun read;
        std::uint32_t error = 0;
        ASSERT_TRUE(platform::linux_os::ReadIdLun(calls, fd, read, error));
        std::uint8_t out[16];
        std::memset(out, 0xAA, sizeof out);
        const auto result = platform::linux_os::WriteScsiAddress(read, out, row.outSize);
        EXPECT_EQ(result.ok, row.ok);
        EXPECT_EQ(result.error, row.error);
        if (!row.ok)
            continue;
        const std::uint8_t expected[8] = {
            8, 0, 0, 0, row.address.host, row.address.channel, row.address.id, row.address.lun};
        EXPECT_EQ(std::memcmp(out, expected, 8), 0);
        EXPECT_EQ(out[8], 0xAA) << "nothing written past the address";
        EXPECT_EQ(result.returned, 8u);
    }
}

TEST(SgPassThrough, IdLunOfADeviceWithoutOne) {
    FakeCalls calls;
    testing::FakeDevice device;
    device.sg = false;
    calls.devices["/dev/sda"] = device;
    const int fd = calls.Open("/dev/sda", 0);
    platform::linux_os::IdLun read;
    std::uint32_t error = 0;
    EXPECT_FALSE(platform::linux_os::ReadIdLun(calls, fd, read, error));
    EXPECT_EQ(error, platform::kErrorInvalidFunction);
}

}  // namespace
}  // namespace tessaly
