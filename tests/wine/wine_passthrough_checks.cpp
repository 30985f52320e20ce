// What Wine's pass-through does with the drives that the preloaded library serves, asked
// from this test process (which has the library too) before the program starts: the
// facts the program's pass-through path rests on, and where Wine differs from Windows.
// The program keeps to Windows' behaviour; these tests record Wine's. Pass-through mode
// only (exe_test_mode.h).
#include <windows.h>
#include <winioctl.h>

#include <ntddscsi.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "exe_test_mode.h"

namespace tessaly::wine_test {
namespace {

// The scenario's drive E: on adapter 0, at the bus and target the test mode gives
// (scenarios/report.json: bus 0, target 1).
constexpr char kDriveDevice[] = "\\\\.\\E:";
constexpr char kPortDevice[] = "\\\\.\\SCSI0:";

UCHAR Bus() {
    return static_cast<UCHAR>(TestMode().bus);
}
UCHAR Target() {
    return static_cast<UCHAR>(TestMode().target);
}

struct PassThroughRequest {
    SCSI_PASS_THROUGH_DIRECT sptd;
    ULONG filler;
    UCHAR sense[32];
};

class WinePassThrough : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!TestMode().passThrough)
            GTEST_SKIP() << "pass-through mode only";
        drive_ =
            ::CreateFileA(kDriveDevice, GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(drive_, INVALID_HANDLE_VALUE) << "error " << ::GetLastError();
    }
    void TearDown() override {
        if (drive_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(drive_);
    }

    // An INQUIRY of 36 bytes (or the given opcode) into data_.
    PassThroughRequest Request(UCHAR opcode) {
        PassThroughRequest request;
        std::memset(&request, 0, sizeof request);
        std::memset(data_, 0, sizeof data_);
        request.sptd.Length = sizeof request.sptd;
        request.sptd.TargetId = Target();
        request.sptd.CdbLength = 6;
        request.sptd.SenseInfoLength = sizeof request.sense;
        request.sptd.DataIn = SCSI_IOCTL_DATA_IN;
        request.sptd.DataTransferLength = 36;
        request.sptd.TimeOutValue = 10;
        request.sptd.DataBuffer = data_;
        request.sptd.SenseInfoOffset = offsetof(PassThroughRequest, sense);
        request.sptd.Cdb[0] = opcode;
        request.sptd.Cdb[4] = 36;
        return request;
    }

    HANDLE drive_ = INVALID_HANDLE_VALUE;
    UCHAR data_[64] = {};
};

TEST_F(WinePassThrough, NoAspiManagerIsThere) {
    const HMODULE manager = ::LoadLibraryA("wnaspi32.dll");
    EXPECT_EQ(manager, nullptr);
    if (manager != nullptr)
        ::FreeLibrary(manager);
}

TEST_F(WinePassThrough, TheLetterIsACdromDriveAtTheScenarioAddress) {
    EXPECT_EQ(::GetDriveTypeA("E:\\"), static_cast<UINT>(DRIVE_CDROM));
    SCSI_ADDRESS address;
    std::memset(&address, 0xEE, sizeof address);
    DWORD returned = 0;
    ASSERT_TRUE(::DeviceIoControl(drive_, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address,
                                  sizeof address, &returned, nullptr));
    EXPECT_EQ(returned, sizeof address);
    EXPECT_EQ(address.Length, sizeof address);
    // The library's Linux address (channel 254 on host B, id T) comes out as port 0, path
    // B, target T: Wine reports channel c as port c + 2 and the host as path. A drive on
    // bus 1 is thus at host 1, channel 254: Wine's own code gives PathId 1.
    EXPECT_EQ(address.PortNumber, 0);
    EXPECT_EQ(address.PathId, Bus());
    EXPECT_EQ(address.TargetId, Target());
    EXPECT_EQ(address.Lun, 0);
}

TEST_F(WinePassThrough, PortInquiryDataHoldsTheDrive) {
    const HANDLE port =
        ::CreateFileA(kPortDevice, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << "error " << ::GetLastError();
    UCHAR buffer[4096] = {};
    DWORD returned = 0;
    const BOOL answered = ::DeviceIoControl(port, IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, buffer,
                                            sizeof buffer, &returned, nullptr);
    ::CloseHandle(port);
    ASSERT_TRUE(answered);
    const auto& info = *reinterpret_cast<const SCSI_ADAPTER_BUS_INFO*>(buffer);
    ASSERT_EQ(info.NumberOfBuses, 1);
    EXPECT_EQ(info.BusData[0].NumberOfLogicalUnits, 1);
    // Wine's: one bus whatever the path id of its unit, the initiator field holds the port
    // number (Windows: the adapter's own id), and the count returned is 36, the inquiry
    // length, whatever was written.
    EXPECT_EQ(info.BusData[0].InitiatorBusId, 0);
    EXPECT_EQ(returned, 36u);
    const ULONG offset = info.BusData[0].InquiryDataOffset;
    ASSERT_LT(offset + sizeof(SCSI_INQUIRY_DATA) + 36, sizeof buffer);
    const auto& unit = *reinterpret_cast<const SCSI_INQUIRY_DATA*>(buffer + offset);
    EXPECT_EQ(unit.PathId, Bus());
    EXPECT_EQ(unit.TargetId, Target());
    EXPECT_EQ(unit.InquiryDataLength, 36u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(unit.InquiryData) + 8, 8), "VARNOTH ");
}

// How Wine answers IOCTL_SCSI_PASS_THROUGH_DIRECT, by the buffers the caller gives.
TEST_F(WinePassThrough, PassThroughDirectByBuffers) {
    struct Case {
        const char* name;
        bool inputRequest;   // the request in the input buffer
        bool outputRequest;  // the request in the output buffer (else a zeroed one)
        bool outputBuffer;   // an output buffer at all
        BOOL answered;
        DWORD error;
    };
    const Case cases[] = {
        // As Windows is called: the same request in both.
        {"both", true, true, true, TRUE, 0},
        // Wine reads the request from the output buffer: a zeroed one has Length 0,
        // below the structure size. Windows reads the input buffer.
        {"input only", true, false, true, FALSE, ERROR_INSUFFICIENT_BUFFER},
        {"no output", true, false, false, FALSE, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        PassThroughRequest input = Request(0x12);
        PassThroughRequest output = input;
        if (!c.outputRequest)
            std::memset(&output, 0, sizeof output);
        DWORD returned = 0;
        ::SetLastError(0);
        const BOOL answered = ::DeviceIoControl(
            drive_, IOCTL_SCSI_PASS_THROUGH_DIRECT, c.inputRequest ? &input : nullptr,
            c.inputRequest ? sizeof input : 0, c.outputBuffer ? &output : nullptr,
            c.outputBuffer ? sizeof output : 0, &returned, nullptr);
        EXPECT_EQ(answered, c.answered) << c.name;
        if (!c.answered) {
            EXPECT_EQ(::GetLastError(), c.error) << c.name;
            continue;
        }
        EXPECT_EQ(output.sptd.ScsiStatus, 0) << c.name;
        // Wine's: the count returned is the structure's size, the sense area not counted.
        EXPECT_EQ(returned, sizeof output.sptd) << c.name;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data_) + 8, 8), "VARNOTH ") << c.name;
    }
}

TEST_F(WinePassThrough, CheckConditionIsAnAnswerWithSense) {
    PassThroughRequest request = Request(0xFF);  // an opcode the drive does not know
    request.sptd.DataTransferLength = 0;
    request.sptd.DataIn = SCSI_IOCTL_DATA_UNSPECIFIED;
    DWORD returned = 0;
    ASSERT_TRUE(::DeviceIoControl(drive_, IOCTL_SCSI_PASS_THROUGH_DIRECT, &request, sizeof request,
                                  &request, sizeof request, &returned, nullptr));
    EXPECT_EQ(request.sptd.ScsiStatus, 2);  // CHECK CONDITION
    EXPECT_EQ(request.sense[0], 0x70);
    EXPECT_EQ(request.sense[2] & 0x0F, 0x05);  // ILLEGAL REQUEST
    EXPECT_EQ(request.sense[12], 0x20);        // invalid command operation code
}

}  // namespace
}  // namespace tessaly::wine_test
