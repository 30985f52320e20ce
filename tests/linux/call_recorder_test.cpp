// What the kernel refused: the commands SG_IO would not send (and the one line that
// says so), and the errno of each node's last open.
#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>

#include "call_recorder.h"
#include "fake_linux.h"

namespace tessaly {
namespace {

// SG_IO of one CDB through the recorder; the fake kernel refuses what refuse names.
int Send(cli::CallRecorder& calls, int fd, std::uint8_t opcode) {
    std::uint8_t cdb[12] = {opcode};
    sg_io_hdr_t header{};
    header.interface_id = 'S';
    header.cmdp = cdb;
    header.cmd_len = sizeof cdb;
    return calls.Ioctl(fd, SG_IO, &header);
}

TEST(CallRecorder, KeepsTheCommandsRefusedWithEperm) {
    testing::FakeCalls fake;
    fake.devices["/dev/sr0"] = testing::FakeDevice{};
    const std::set<std::uint8_t> refusedByKernel = {0xDE, 0xF1, 0x17};
    fake.sgIo = [&](sg_io_hdr_t& header) {
        if (refusedByKernel.count(header.cmdp[0]) != 0)
            return -EPERM;
        return header.cmdp[0] == 0x1B ? -EIO : 0;  // another failure is no refusal
    };
    cli::CallRecorder calls(fake);
    const int fd = calls.Open("/dev/sr0", 0);
    ASSERT_GE(fd, 0);
    for (std::uint8_t opcode : {0x12, 0xDE, 0x1B, 0xF1, 0xDE, 0x17, 0x00})
        Send(calls, fd, opcode);
    EXPECT_EQ(calls.Refused(), refusedByKernel);
    EXPECT_EQ(fake.sgIoCalls, 7) << "every command reaches the kernel";
}

TEST(CallRecorder, KeepsEachNodesLastOpen) {
    testing::FakeCalls fake;
    testing::FakeDevice denied;
    denied.openError = EACCES;
    fake.devices["/dev/sr1"] = denied;
    fake.devices["/dev/sr0"] = testing::FakeDevice{};
    cli::CallRecorder calls(fake);
    calls.Open("/dev/sr1", 0);
    calls.Open("/dev/sr2", 0);
    calls.Open("/dev/sr0", 0);
    EXPECT_EQ(calls.OpenError("/dev/sr0"), 0);
    EXPECT_EQ(calls.OpenError("/dev/sr1"), EACCES);
    EXPECT_EQ(calls.OpenError("/dev/sr2"), ENOENT);
    EXPECT_EQ(calls.OpenError("/dev/sr3"), -1) << "never opened";
    fake.devices["/dev/sr1"].openError = 0;
    calls.Open("/dev/sr1", 0);
    EXPECT_EQ(calls.OpenError("/dev/sr1"), 0) << "the last open counts";
}

TEST(RefusalNote, NamesWhatWasRefusedAndHowToAllowIt) {
    struct Row {
        std::set<std::uint8_t> refused;
        const char* what;
    };
    const Row rows[] = {
        {{0xDE, 0xF1}, "the maker's vendor commands (DEh, F1h)"},
        {{0x17, 0xDE, 0xF1}, "the maker's vendor commands (DEh, F1h) and RELEASE(6)"},
        {{0x17}, "RELEASE(6)"},
        {{0x17, 0x3B, 0xF1}, "the maker's vendor commands (F1h), RELEASE(6) and command 3Bh"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(cli::RefusalNote(row.refused, "/usr/bin/tessaly"),
                  std::string("the kernel refused ") + row.what +
                      " to this user, so what they read shows as n/a: run as root, or allow "
                      "them with 'setcap cap_sys_rawio+ep /usr/bin/tessaly' (as root)");
    }
    EXPECT_EQ(cli::RefusalNote({}, "/usr/bin/tessaly"), "") << "nothing refused, no note";
}

}  // namespace
}  // namespace tessaly
