// Ctrl-C: the program ends once the call under way returns, before the next open or
// ioctl; a command the host asked to send again is not sent again after it; and the
// handler leaves the default action for the second Ctrl-C.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>

#include "fake_linux.h"
#include "interruption.h"
#include "platform/linux/sg_passthrough.h"
#include "transport/scsi_passthrough.h"

namespace tessaly {
namespace {

using cli::InterruptibleCalls;
using testing::FakeCalls;

bool pressed = false;
int ends = 0;

bool Pressed() {
    return pressed;
}

void CountEnd() {
    ++ends;
}

enum class Call { kOpen, kIoctl, kClose };

struct Row {
    const char* name;
    Call call;
    bool pressedBefore;
    bool pressedDuring;  // by the device, while the ioctl is under way
    // Expected:
    bool reachedTheSystem;
    int ends;
    bool interruptedResult;  // -EINTR
};

TEST(Interruption, EndsAfterTheCallUnderWay) {
    const Row rows[] = {
        {"open without Ctrl-C", Call::kOpen, false, false, true, 0, false},
        {"ioctl without Ctrl-C", Call::kIoctl, false, false, true, 0, false},
        {"open after Ctrl-C", Call::kOpen, true, false, false, 1, true},
        {"ioctl after Ctrl-C", Call::kIoctl, true, false, false, 1, true},
        {"Ctrl-C during the ioctl", Call::kIoctl, false, true, true, 1, true},
        {"close after Ctrl-C still closes", Call::kClose, true, false, true, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeCalls inner;
        inner.devices["/dev/sr0"] = {};
        const int fd = inner.Open("/dev/sr0", 0);
        inner.openCalls = 0;
        inner.sgIo = [&](sg_io_hdr_t&) {
            pressed = pressed || row.pressedDuring;
            return 0;
        };
        pressed = row.pressedBefore;
        ends = 0;
        InterruptibleCalls calls(inner, Pressed, CountEnd);
        int result = 0;
        bool reached = false;
        switch (row.call) {
            case Call::kOpen:
                result = calls.Open("/dev/sr0", 0);
                reached = inner.openCalls == 1;
                break;
            case Call::kIoctl: {
                sg_io_hdr_t header{};
                result = calls.Ioctl(fd, SG_IO, &header);
                reached = inner.sgIoCalls == 1;
                break;
            }
            case Call::kClose:
                result = calls.Close(fd);
                reached = inner.OpenDescriptors() == 0;
                break;
        }
        EXPECT_EQ(reached, row.reachedTheSystem);
        EXPECT_EQ(ends, row.ends);
        EXPECT_EQ(result == -EINTR, row.interruptedResult);
        const bool opened = row.call == Call::kOpen && result >= 0;
        EXPECT_EQ(inner.OpenDescriptors(), row.call == Call::kClose ? 0u
                                           : opened                 ? 2u
                                                                    : 1u)
            << "an open the interruption cut short leaves nothing open";
    }
    pressed = false;
}

// A command the host asks to send again is not sent again once Ctrl-C was pressed.
TEST(Interruption, NoRetryAfterCtrlC) {
    FakeCalls inner;
    inner.devices["/dev/sr0"] = {};
    const int fd = inner.Open("/dev/sr0", 0);
    inner.sgIo = [](sg_io_hdr_t& h) {
        pressed = true;
        h.host_status = 0x02;  // DID_BUS_BUSY
        return 0;
    };
    pressed = false;
    ends = 0;
    InterruptibleCalls calls(inner, Pressed, CountEnd);
    nt::PassThroughRequest request{};
    request.sptd.Length = sizeof(nt::SCSI_PASS_THROUGH_DIRECT);
    request.sptd.CdbLength = 6;
    const auto result = platform::linux_os::PassThroughDirect(calls, fd, &request, sizeof request,
                                                              &request, sizeof request);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(inner.sgIoCalls, 1);
    EXPECT_GE(ends, 1);
    pressed = false;
}

// The first SIGINT is noted and hands SIGINT back to its default action.
TEST(Interruption, FirstSignalNotedSecondMeetsTheDefault) {
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);
    cli::CatchInterrupts();
    struct sigaction caught {};
    sigaction(SIGINT, nullptr, &caught);
    EXPECT_NE(caught.sa_handler, SIG_DFL);
    EXPECT_EQ(caught.sa_flags & SA_RESTART, 0) << "a wait the kernel can break off is broken off";
    EXPECT_FALSE(cli::Interrupted());
    std::raise(SIGINT);
    EXPECT_TRUE(cli::Interrupted());
    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_DFL) << "the second Ctrl-C ends the process";
    sigaction(SIGINT, &before, nullptr);
}

}  // namespace
}  // namespace tessaly
