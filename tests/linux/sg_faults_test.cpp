// Faults on the way to the drive: the time-out cap, commands the host asks to send
// again, the drive's status and sense kept under a host error, and REQUEST SENSE for a
// CHECK CONDITION that came without sense. One row per case, from the answers of each
// SG_IO in turn to the result, the pauses and the commands the device saw.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

#include "fake_linux.h"
#include "platform/linux/error_codes.h"
#include "platform/linux/sg_passthrough.h"
#include "platform/platform.h"
#include "transport/scsi_passthrough.h"

namespace tessaly {
namespace {

using platform::linux_os::PassThroughDirect;
using testing::FakeCalls;

constexpr std::uint32_t kSenseOffset = offsetof(nt::PassThroughRequest, sense);
constexpr std::uint8_t kRead12 = 0xA8;
constexpr std::uint8_t kRequestSense = 0x03;

// DID_* host statuses.
constexpr std::uint8_t kNoConnect = 0x01;
constexpr std::uint8_t kBusBusy = 0x02;
constexpr std::uint8_t kTimeOut = 0x03;
constexpr std::uint8_t kError = 0x07;
constexpr std::uint8_t kReset = 0x08;
constexpr std::uint8_t kSoftError = 0x0B;
constexpr std::uint8_t kImmRetry = 0x0C;
constexpr std::uint8_t kRequeue = 0x0D;
constexpr std::uint8_t kTransportDisrupted = 0x0E;
constexpr std::uint8_t kTransportFailfast = 0x0F;

// One SG_IO answer: the call's result, host, driver and SCSI status and sense bytes
// written (unit attention 6/29/00, padded to the count).
struct Answer {
    int rc = 0;
    std::uint8_t host = 0;
    std::uint8_t driver = 0;
    std::uint8_t status = 0;
    std::uint8_t sense = 0;
};

constexpr Answer kGood{};
constexpr Answer kCheckNoSense{0, 0, 0, 0x02, 0};
constexpr Answer kCheckWithSense{0, 0, 0x08, 0x02, 18};

struct Row {
    const char* name;
    std::vector<Answer> answers;  // each SG_IO in turn; the last repeats
    std::uint8_t senseRoom = 32;
    // Expected:
    bool ok = true;
    std::uint32_t error = 0;
    std::uint8_t status = 0;
    std::uint8_t senseLength = 0;
    std::size_t pauses = 0;
    std::vector<std::uint8_t> commands;  // the operation codes SG_IO saw
};

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {"good at once", {kGood}, 32, true, 0, 0, 0, 0, {kRead12}},
        {"bus busy once, then good",
         {{0, kBusBusy}, kGood},
         32,
         true,
         0,
         0,
         0,
         1,
         {kRead12, kRead12}},
        {"reset once", {{0, kReset}, kGood}, 32, true, 0, 0, 0, 1, {kRead12, kRead12}},
        {"soft error twice",
         {{0, kSoftError}, {0, kSoftError}, kGood},
         32,
         true,
         0,
         0,
         0,
         2,
         {kRead12, kRead12, kRead12}},
        {"immediate retry, requeue and disruption",
         {{0, kImmRetry}, {0, kRequeue}, {0, kTransportDisrupted}, kGood},
         32,
         true,
         0,
         0,
         0,
         3,
         {kRead12, kRead12, kRead12, kRead12}},
        {"busy through three retries fails",
         {{0, kBusBusy}},
         32,
         false,
         platform::kErrorIoDevice,
         0,
         0,
         3,
         {kRead12, kRead12, kRead12, kRead12}},
        {"no connect is not retried",
         {{0, kNoConnect}},
         32,
         false,
         platform::kErrorIoDevice,
         0,
         0,
         0,
         {kRead12}},
        {"fail-fast is not retried",
         {{0, kTransportFailfast}},
         32,
         false,
         platform::kErrorIoDevice,
         0,
         0,
         0,
         {kRead12}},
        {"host time-out is not retried",
         {{0, kTimeOut}},
         32,
         false,
         platform::linux_os::kErrorSemTimeout,
         0,
         0,
         0,
         {kRead12}},
        {"a failed call is not retried",
         {{-EIO}},
         32,
         false,
         platform::linux_os::kErrorNotReady,
         0,
         0,
         0,
         {kRead12}},
        {"host error keeps the CHECK CONDITION and its sense",
         {{0, kError, 0x08, 0x02, 18}},
         32,
         true,
         0,
         2,
         18,
         0,
         {kRead12}},
        {"host error keeps a busy status",
         {{0, kError, 0, 0x08, 0}},
         32,
         true,
         0,
         8,
         0,
         0,
         {kRead12}},
        {"host error keeps sense without a status",
         {{0, kError, 0x08, 0, 18}},
         32,
         true,
         0,
         0,
         18,
         0,
         {kRead12}},
        {"driver error keeps the CHECK CONDITION and its sense",
         {{0, 0, 0x0C, 0x02, 18}},
         32,
         true,
         0,
         2,
         18,
         0,
         {kRead12}},
        {"driver time-out without an answer fails",
         {{0, 0, 0x06, 0, 0}},
         32,
         false,
         platform::linux_os::kErrorSemTimeout,
         0,
         0,
         0,
         {kRead12}},
        {"CHECK CONDITION with sense asks nothing more",
         {kCheckWithSense},
         32,
         true,
         0,
         2,
         18,
         0,
         {kRead12}},
        {"CHECK CONDITION without sense asks REQUEST SENSE",
         {kCheckNoSense, kGood},
         32,
         true,
         0,
         2,
         18,
         0,
         {kRead12, kRequestSense}},
        {"REQUEST SENSE cut to the room",
         {kCheckNoSense, kGood},
         14,
         true,
         0,
         2,
         14,
         0,
         {kRead12, kRequestSense}},
        {"no room, no REQUEST SENSE", {kCheckNoSense}, 0, true, 0, 2, 0, 0, {kRead12}},
        {"REQUEST SENSE that fails leaves no sense",
         {kCheckNoSense, {-EIO}},
         32,
         true,
         0,
         2,
         0,
         0,
         {kRead12, kRequestSense}},
        {"REQUEST SENSE retried on a transient status",
         {kCheckNoSense, {0, kReset}, kGood},
         32,
         true,
         0,
         2,
         18,
         1,
         {kRead12, kRequestSense, kRequestSense}},
        {"retried, then CHECK CONDITION without sense",
         {{0, kBusBusy}, kCheckNoSense, kGood},
         32,
         true,
         0,
         2,
         18,
         1,
         {kRead12, kRead12, kRequestSense}},
        {"host error with CHECK CONDITION but no sense asks for it",
         {{0, kError, 0, 0x02, 0}, kGood},
         32,
         true,
         0,
         2,
         18,
         0,
         {kRead12, kRequestSense}},
    };
    return rows;
}

// Unit attention, power on or reset: 18 fixed-format bytes, additional length 10.
constexpr std::uint8_t kSense[18] = {0x70, 0, 0x06, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x29, 0x00};

TEST(SgFaults, RetriesStatusSenseAndRequestSense) {
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        FakeCalls calls;
        calls.devices["/dev/sr0"] = {};
        const int fd = calls.Open("/dev/sr0", 0);
        std::vector<std::uint8_t> commands;
        calls.sgIo = [&](sg_io_hdr_t& h) {
            const std::uint8_t opcode = static_cast<const std::uint8_t*>(h.cmdp)[0];
            const Answer& a = row.answers[std::min(commands.size(), row.answers.size() - 1)];
            commands.push_back(opcode);
            if (a.rc != 0)
                return a.rc;
            h.host_status = a.host;
            h.driver_status = a.driver;
            h.status = a.status;
            h.resid = 0;
            if (opcode == kRequestSense) {
                const std::size_t n = std::min<std::size_t>(h.dxfer_len, sizeof kSense);
                std::memcpy(h.dxferp, kSense, n);
                h.resid = static_cast<int>(h.dxfer_len - n);
                return 0;
            }
            const std::size_t n = std::min<std::size_t>({a.sense, h.mx_sb_len, sizeof kSense});
            std::memcpy(h.sbp, kSense, n);
            h.sb_len_wr = static_cast<unsigned char>(n);
            return 0;
        };
        std::vector<std::uint8_t> data(64, 0xEE);
        nt::PassThroughRequest request{};
        request.sptd.Length = sizeof(nt::SCSI_PASS_THROUGH_DIRECT);
        request.sptd.CdbLength = 12;
        request.sptd.SenseInfoLength = row.senseRoom;
        request.sptd.DataIn = nt::SCSI_IOCTL_DATA_IN;
        request.sptd.DataTransferLength = static_cast<std::uint32_t>(data.size());
        request.sptd.TimeOutValue = 108000;
        request.sptd.DataBuffer = data.data();
        request.sptd.SenseInfoOffset = kSenseOffset;
        request.sptd.Cdb[0] = kRead12;
        std::memset(request.sense, 0xCC, sizeof request.sense);

        const auto result =
            PassThroughDirect(calls, fd, &request, sizeof request, &request, sizeof request);
        EXPECT_EQ(result.ok, row.ok);
        EXPECT_EQ(result.error, row.error);
        EXPECT_EQ(commands, row.commands);
        EXPECT_EQ(calls.pauses.size(), row.pauses);
        for (const std::uint32_t pause : calls.pauses) {
            EXPECT_GT(pause, 0u);
            EXPECT_LE(pause, 1000u) << "a short pause";
        }
        if (!row.ok)
            continue;
        EXPECT_EQ(request.sptd.ScsiStatus, row.status);
        EXPECT_EQ(request.sptd.SenseInfoLength, row.senseLength);
        if (row.senseLength > 12) {
            EXPECT_EQ(request.sense[2], 0x06);
            EXPECT_EQ(request.sense[12], 0x29);
        }
        for (std::size_t i = row.senseLength; i < sizeof request.sense; ++i)
            EXPECT_EQ(request.sense[i], 0xCC) << "no sense byte past the count, at " << i;
        EXPECT_EQ(result.returned, row.senseLength > 0 ? kSenseOffset + row.senseLength
                                                       : sizeof(nt::SCSI_PASS_THROUGH_DIRECT));
    }
}

// Whatever the caller asks, SG_IO waits a minute at most.
TEST(SgFaults, TimeoutCappedAtAMinute) {
    const struct {
        std::uint32_t seconds;
        unsigned milliseconds;
    } rows[] = {{1, 1000},       {30, 30000},          {60, 60000}, {61, 60000},
                {108000, 60000}, {0xFFFFFFFFu, 60000}, {0, 60000}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.seconds);
        FakeCalls calls;
        calls.devices["/dev/sr0"] = {};
        const int fd = calls.Open("/dev/sr0", 0);
        unsigned seen = 0;
        calls.sgIo = [&](sg_io_hdr_t& h) {
            seen = h.timeout;
            return 0;
        };
        nt::PassThroughRequest request{};
        request.sptd.Length = sizeof(nt::SCSI_PASS_THROUGH_DIRECT);
        request.sptd.CdbLength = 6;
        request.sptd.TimeOutValue = row.seconds;
        ASSERT_TRUE(
            PassThroughDirect(calls, fd, &request, sizeof request, &request, sizeof request).ok);
        EXPECT_EQ(seen, row.milliseconds);
    }
}

}  // namespace
}  // namespace tessaly
