// Faults on the way to the drive: the time-out cap, commands the host asks to send
// again, the drive's status and sense kept under a host error, and REQUEST SENSE for a
// CHECK CONDITION without sense. Each row: the answers of each SG_IO in turn, then the
// result, the pauses and the operation codes the device saw.
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
constexpr std::uint8_t kRd = 0xA8;  // READ(12), the command sent
constexpr std::uint8_t kRs = 0x03;  // REQUEST SENSE
constexpr std::uint32_t kIo = platform::kErrorIoDevice;
constexpr std::uint32_t kTimeout = platform::linux_os::kErrorSemTimeout;
constexpr std::uint32_t kNotReady = platform::linux_os::kErrorNotReady;
// Unit attention, power on or reset: 18 fixed-format bytes.
constexpr std::uint8_t kSense[18] = {0x70, 0, 0x06, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x29, 0x00};

// One SG_IO answer: the call's result, host status (DID_*), driver and SCSI status, and
// the sense bytes written.
struct Answer {
    int rc;
    std::uint8_t host, driver, status, sense;
};
constexpr Answer kGood{0, 0, 0, 0, 0};
constexpr Answer kCheck{0, 0, 0, 2, 0};  // CHECK CONDITION, no sense
constexpr Answer kEio{-EIO, 0, 0, 0, 0};
Answer Host(std::uint8_t status) {
    return {0, status, 0, 0, 0};
}

struct Row {
    const char* name;
    std::vector<Answer> answers;  // the last repeats
    std::uint8_t room;            // SenseInfoLength
    std::uint32_t error;          // 0: success with status and sense
    std::uint8_t status, sense;
    std::size_t pauses;
    std::vector<std::uint8_t> commands;
};

// clang-format off
const std::vector<Row> kRows = {
    {"good at once", {kGood}, 32, 0, 0, 0, 0, {kRd}},
    {"bus busy, then good", {Host(0x02), kGood}, 32, 0, 0, 0, 1, {kRd, kRd}},
    {"reset, soft error, good", {Host(0x08), Host(0x0B), kGood}, 32, 0, 0, 0, 2, {kRd, kRd, kRd}},
    {"immediate retry, requeue, disruption", {Host(0x0C), Host(0x0D), Host(0x0E), kGood}, 32,
     0, 0, 0, 3, {kRd, kRd, kRd, kRd}},
    {"busy through three retries fails", {Host(0x02)}, 32, kIo, 0, 0, 3, {kRd, kRd, kRd, kRd}},
    {"no connect not retried", {Host(0x01)}, 32, kIo, 0, 0, 0, {kRd}},
    {"fail-fast not retried", {Host(0x0F)}, 32, kIo, 0, 0, 0, {kRd}},
    {"host time-out not retried", {Host(0x03)}, 32, kTimeout, 0, 0, 0, {kRd}},
    {"failed call not retried", {kEio}, 32, kNotReady, 0, 0, 0, {kRd}},
    {"host error keeps CHECK CONDITION, sense", {{0, 0x07, 0x08, 2, 18}}, 32, 0, 2, 18, 0, {kRd}},
    {"host error keeps BUSY", {{0, 0x07, 0, 8, 0}}, 32, 0, 8, 0, 0, {kRd}},
    {"driver error keeps CHECK CONDITION and sense", {{0, 0, 0x0C, 2, 18}}, 32, 0, 2, 18, 0, {kRd}},
    {"driver time-out without an answer fails", {{0, 0, 0x06, 0, 0}}, 32, kTimeout, 0, 0, 0, {kRd}},
    {"sense came with it", {{0, 0, 0x08, 2, 18}}, 32, 0, 2, 18, 0, {kRd}},
    {"no sense: REQUEST SENSE", {kCheck, kGood}, 32, 0, 2, 18, 0, {kRd, kRs}},
    {"REQUEST SENSE cut to the room", {kCheck, kGood}, 14, 0, 2, 14, 0, {kRd, kRs}},
    {"no room, no REQUEST SENSE", {kCheck}, 0, 0, 2, 0, 0, {kRd}},
    {"REQUEST SENSE failing leaves none", {kCheck, kEio}, 32, 0, 2, 0, 0, {kRd, kRs}},
    {"REQUEST SENSE retried", {kCheck, Host(0x08), kGood}, 32, 0, 2, 18, 1, {kRd, kRs, kRs}},
    {"host error, CHECK, no sense", {{0, 0x07, 0, 2, 0}, kGood}, 32, 0, 2, 18, 0, {kRd, kRs}},
};
// clang-format on

TEST(SgFaults, RetriesStatusSenseAndRequestSense) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        FakeCalls calls;
        calls.devices["/dev/sr0"] = {};
        const int fd = calls.Open("/dev/sr0", 0);
        std::vector<std::uint8_t> commands;
        calls.sgIo = [&](sg_io_hdr_t& h) {
            const std::uint8_t opcode = static_cast<const std::uint8_t*>(h.cmdp)[0];
            const Answer& a = row.answers[std::min(commands.size(), row.answers.size() - 1)];
            commands.push_back(opcode);
            h.host_status = a.host;
            h.driver_status = a.driver;
            h.status = a.status;
            const bool data = opcode == kRs && a.rc == 0 && a.status == 0;
            const std::size_t n = std::min<std::size_t>(data ? h.dxfer_len : h.mx_sb_len,
                                                        data ? sizeof kSense : a.sense);
            std::memcpy(data ? h.dxferp : h.sbp, kSense, n);
            h.sb_len_wr = data ? 0 : static_cast<unsigned char>(n);
            h.resid = data ? static_cast<int>(h.dxfer_len - n) : 0;
            return a.rc;
        };
        std::vector<std::uint8_t> buffer(64, 0xEE);
        nt::PassThroughRequest request{};
        request.sptd.Length = sizeof(nt::SCSI_PASS_THROUGH_DIRECT);
        request.sptd.CdbLength = 12;
        request.sptd.SenseInfoLength = row.room;
        request.sptd.DataIn = nt::SCSI_IOCTL_DATA_IN;
        request.sptd.DataTransferLength = static_cast<std::uint32_t>(buffer.size());
        request.sptd.DataBuffer = buffer.data();
        request.sptd.SenseInfoOffset = kSenseOffset;
        request.sptd.Cdb[0] = kRd;
        std::memset(request.sense, 0xCC, sizeof request.sense);

        const auto result =
            PassThroughDirect(calls, fd, &request, sizeof request, &request, sizeof request);
        EXPECT_EQ(result.ok, row.error == 0);
        EXPECT_EQ(result.error, row.error);
        EXPECT_EQ(commands, row.commands);
        EXPECT_EQ(calls.pauses.size(), row.pauses);
        for (const std::uint32_t pause : calls.pauses)
            EXPECT_TRUE(pause > 0 && pause <= 1000) << "a short pause: " << pause;
        if (!result.ok)
            continue;
        EXPECT_EQ(request.sptd.ScsiStatus, row.status);
        EXPECT_EQ(request.sptd.SenseInfoLength, row.sense);
        EXPECT_EQ(std::memcmp(request.sense, kSense, row.sense), 0);
        for (std::size_t i = row.sense; i < sizeof request.sense; ++i)
            EXPECT_EQ(request.sense[i], 0xCC) << "no sense byte past the count, at " << i;
    }
}

// Whatever the caller asks (seconds), SG_IO waits a minute at most (milliseconds).
TEST(SgFaults, TimeoutCappedAtAMinute) {
    const std::pair<std::uint32_t, unsigned> rows[] = {
        {1, 1000}, {60, 60000}, {61, 60000}, {108000, 60000}, {0xFFFFFFFFu, 60000}, {0, 60000}};
    for (const auto& [seconds, milliseconds] : rows) {
        SCOPED_TRACE(seconds);
        FakeCalls calls;
        calls.devices["/dev/sr0"] = {};
        unsigned seen = 0;
        calls.sgIo = [&](sg_io_hdr_t& h) {
            seen = h.timeout;
            return 0;
        };
        nt::PassThroughRequest request{};
        request.sptd.Length = sizeof(nt::SCSI_PASS_THROUGH_DIRECT);
        request.sptd.CdbLength = 6;
        request.sptd.TimeOutValue = seconds;
        ASSERT_TRUE(PassThroughDirect(calls, calls.Open("/dev/sr0", 0), &request, sizeof request,
                                      &request, sizeof request)
                        .ok);
        EXPECT_EQ(seen, milliseconds);
    }
}

}  // namespace
}  // namespace tessaly
