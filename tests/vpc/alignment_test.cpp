// The port driver's checks of a pass-through request that the virtual PC makes as
// Windows does: the data buffer's alignment for the adapter, the sense area behind the
// structure, the time-out within 1 s to 30 hours.
#include <gtest/gtest.h>

#include <string>

#include "vpc_test_support.h"

namespace tessaly::vpc::testing {
namespace {

using platform::kErrorInvalidParameter;

// Port 0 demands 512-byte alignment (E:), port 1 names no mask (F:), port 2 demands
// dword alignment (G:).
std::string AlignedPc() {
    return Json({kXp, R"("adapters": [
      {"bus": "atapi", "alignment_mask": "0x1ff",
       "devices": [{"target": 0, "letter": "E", "drive": {"model": "CD-R   VW2410A"}}]},
      {"bus": "atapi",
       "devices": [{"target": 0, "letter": "F", "drive": {"model": "CD-R   VW2410A"}}]},
      {"bus": "scsi", "alignment_mask": 3,
       "devices": [{"target": 0, "letter": "G", "drive": {"model": "CD-R   VW2410A"}}]}])"});
}

TEST(VpcAlignment, MisalignedDataBuffersAreRefusedBeforeTheDrive) {
    VirtualPc pc(ScenarioFrom(AlignedPc()));
    alignas(512) static std::uint8_t storage[2048];
    struct Row {
        const char* label;
        const char* device;
        std::size_t offset;    // of the data buffer in the 512-aligned storage
        std::uint32_t length;  // DataTransferLength
        bool ok;
    };
    const Row rows[] = {
        {"sector-aligned on the sector adapter", "\\\\.\\E:", 512, 36, true},
        {"word-aligned on the sector adapter", "\\\\.\\E:", 2, 36, false},
        {"one byte off on the sector adapter", "\\\\.\\E:", 513, 36, false},
        {"no data: the address does not count", "\\\\.\\E:", 1, 0, true},
        {"dword-aligned on the dword adapter", "\\\\.\\G:", 4, 36, true},
        {"word-aligned on the dword adapter", "\\\\.\\G:", 6, 36, false},
        {"odd address on the dword adapter", "\\\\.\\G:", 3, 36, false},
        {"odd address where no mask is named", "\\\\.\\F:", 1, 36, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        pc.ClearCommandLog();
        const platform::Handle device = Open(pc, row.device);
        nt::PassThroughRequest request =
            PassThrough({0x12, 0, 0, 0, 36, 0}, storage + row.offset, row.length);
        const IoResult r = Ioctl(pc, device, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request,
                                 sizeof request, &request, sizeof request);
        EXPECT_EQ(r.ok, row.ok);
        EXPECT_EQ(r.error, row.ok ? 0u : kErrorInvalidParameter);
        EXPECT_EQ(pc.CommandLog().size(), row.ok ? 1u : 0u);
        pc.CloseHandle(device);
    }
}

TEST(VpcAlignment, SenseOffsetAndTimeOutAsThePortDriverChecksThem) {
    VirtualPc pc(ScenarioFrom(AlignedPc()));
    const platform::Handle f = Open(pc, "\\\\.\\F:");
    std::uint8_t buffer[36];
    struct Row {
        const char* label;
        void (*change)(nt::PassThroughRequest&);
        bool ok;
    };
    const Row rows[] = {
        {"sense inside the structure",
         [](nt::PassThroughRequest& r) { r.sptd.SenseInfoOffset = 8; }, false},
        {"sense right behind the structure",
         [](nt::PassThroughRequest& r) { r.sptd.SenseInfoOffset = r.sptd.Length; }, true},
        {"no sense asked: the offset does not count",
         [](nt::PassThroughRequest& r) {
             r.sptd.SenseInfoLength = 0;
             r.sptd.SenseInfoOffset = 0;
         },
         true},
        {"time-out 0", [](nt::PassThroughRequest& r) { r.sptd.TimeOutValue = 0; }, false},
        {"time-out 1 s", [](nt::PassThroughRequest& r) { r.sptd.TimeOutValue = 1; }, true},
        {"time-out 60 s", [](nt::PassThroughRequest& r) { r.sptd.TimeOutValue = 60; }, true},
        {"time-out 30 hours", [](nt::PassThroughRequest& r) { r.sptd.TimeOutValue = 108000; },
         true},
        {"time-out past 30 hours", [](nt::PassThroughRequest& r) { r.sptd.TimeOutValue = 108001; },
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        nt::PassThroughRequest request = PassThrough({0x12, 0, 0, 0, 36, 0}, buffer, sizeof buffer);
        row.change(request);
        const IoResult r = Ioctl(pc, f, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request,
                                 sizeof request, &request, sizeof request);
        EXPECT_EQ(r.ok, row.ok);
        EXPECT_EQ(r.error, row.ok ? 0u : kErrorInvalidParameter);
    }
}

}  // namespace
}  // namespace tessaly::vpc::testing
