// What the kernel refused: the commands SG_IO would not send (and the one line that
// says so), and the errno of each node's last open.
#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>

#include "app/headless_view.h"
#include "app/main_dialog.h"
#include "call_recorder.h"
#include "fake_linux.h"
#include "platform/linux/linux_platform.h"
#include "runner/text_output.h"
#include "support/pc_fixture.h"
#include "transport/scsi_transport.h"

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

// The kernel's command filter for a user without CAP_SYS_RAWIO: vendor operation codes
// and RELEASE(6) fail with EPERM before they reach the drive.
class CommandFilter final : public platform::linux_os::SystemCalls {
  public:
    explicit CommandFilter(platform::linux_os::SystemCalls& inner) : inner_(inner) {}
    int Open(const char* path, int flags) override { return inner_.Open(path, flags); }
    int Close(int fd) override { return inner_.Close(fd); }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        if (request == SG_IO) {
            const std::uint8_t code = static_cast<sg_io_hdr_t*>(argument)->cmdp[0];
            if (code >= 0xC0 || code == 0x17)
                return -EPERM;
        }
        return inner_.Ioctl(fd, request, argument);
    }
    int Fstat(int fd, struct stat& info) override { return inner_.Fstat(fd, info); }
    int Stat(const char* path, struct stat& info) override { return inner_.Stat(path, info); }
    void Pause(std::uint32_t milliseconds) override { inner_.Pause(milliseconds); }

  private:
    platform::linux_os::SystemCalls& inner_;
};

// A recorder with the maker's vendor commands on a SCSI host, read by a user the kernel
// filters and by root: the refused reads show as n/a (none as a value), and the
// recorder names what was refused.
TEST(CallRecorder, RefusedVendorReadsShowAsNotAvailable) {
    const vpc::Scenario scenario = testing::ScenarioFrom(R"({
      "os": { "platform": 2, "major": 5, "minor": 1, "build": 2600, "service": "" },
      "adapters": [ { "bus": "scsi", "identifier": "virtio_scsi", "scsi_id": 7, "devices": [
        { "target": 3, "letter": "D", "drive": { "model": "CD-R   VW1210S", "serial": "12345",
          "jumper": 5, "tray": "closed" } } ] } ]
    })");
    for (const bool filtered : {false, true}) {
        SCOPED_TRACE(filtered ? "a filtered user" : "root");
        vpc::EmulatedDrive drive(scenario.adapters[0].devices[0].drive);
        testing::FakeSysfs sysfs;
        sysfs.AddHost(0, "virtio_scsi", "7");
        const auto identity = drive.IdentifyData();
        sysfs.AddDevice("0:0:3:0", 5, "VARNOTH", "", "",
                        std::vector<std::uint8_t>(identity.begin(), identity.end()));
        testing::FakeCalls fake;
        fake.devices["/dev/sr0"] = testing::FakeDevice{{0, 0, 3, 0}, &drive};
        CommandFilter kernel(fake);
        cli::CallRecorder calls(filtered ? static_cast<platform::linux_os::SystemCalls&>(kernel)
                                         : fake);
        platform::linux_os::LinuxPlatform pc(calls, sysfs.Root(), {}, {"6.1.0", "x86_64"});
        ScsiTransport transport(pc);
        app::HeadlessView view;
        app::MainDialog dialog(transport, pc, view);
        view.Attach(&dialog);
        dialog.OnInitDialog();
        platform::RecordingPrinter printer(platform::PaperSpec{4800, 6600, false, 0},
                                           platform::FixedDate{2003, 5, 14});
        const std::string text = runner::FormatText(runner::PlayTextSession(view, dialog, printer));
        ASSERT_EQ(view.Items().size(), 1u);
        if (filtered) {
            EXPECT_NE(text.find("(S/N:n/a)"), std::string::npos) << text;
            EXPECT_NE(text.find("Jumper settings: n/a"), std::string::npos) << text;
            EXPECT_EQ(calls.Refused().count(0xDE), 1u);
            EXPECT_EQ(calls.Refused().count(0xF1), 1u);
        } else {
            EXPECT_NE(text.find("(S/N:074565)"), std::string::npos) << text;
            EXPECT_NE(text.find("Jumper settings: 10100000"), std::string::npos) << text;
            EXPECT_TRUE(calls.Refused().empty());
        }
    }
}

}  // namespace
}  // namespace tessaly
