// The SCSI device controls of the virtual PC: addresses, port inquiry data, adapter
// descriptors and pass-through, with the requests Windows refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/bytes.h"
#include "vpc_test_support.h"

namespace tessaly::vpc::testing {
namespace {

using platform::kErrorInsufficientBuffer;
using platform::kErrorInvalidFunction;
using platform::kErrorInvalidHandle;
using platform::kErrorInvalidParameter;

// Port 0: no device. Port 1 (atapi, initiator 5): E: at bus 0 target 1 with the tray
// open, F: at bus 0 target 0, a device without letter at bus 2 target 3, H: at target
// 4 failing every pass-through. G: is a USB drive reached by letter only.
std::string XpPc(const char* os = kXp) {
    return Json({os, R"("adapters": [
      {"bus": "scsi", "identifier": "aic78xx"},
      {"bus": "atapi", "identifier": "atapi", "scsi_id": 5, "devices": [
        {"target": 1, "letter": "E", "drive": {"model": "CD-R   VW2410A", "tray": "open"}},
        {"target": 0, "letter": "F", "drive": {"model": "DVDR   VD0708A"}},
        {"target": 3, "bus": 2, "drive": {"model": "CD-R   VW5232A"}},
        {"target": 4, "letter": "H", "drive": {"passthrough_error": 1117}}]}],
      "external": [{"letter": "G", "bus": "usb", "drive": {"model": "CD-R   VW2410AU",
                                                          "disc": {"kind": "cd-r"}}}])"});
}

TEST(VpcPassThrough, ScsiAddressOfDriveLetters) {
    VirtualPc pc(ScenarioFrom(XpPc()));
    struct Row {
        const char* name;
        bool ok;
        std::uint32_t error;
        std::uint8_t port = 0, path = 0, target = 0;
    };
    const Row rows[] = {
        {"\\\\.\\E:", true, 0, 1, 0, 1},
        {"\\\\.\\F:", true, 0, 1, 0, 0},
        {"\\\\.\\G:", false, kErrorInvalidFunction},  // external: letter only
        {"\\\\.\\C:", false, kErrorInvalidFunction},
        {"\\\\.\\SCSI1:", false, kErrorInvalidFunction},
    };
    for (const Row& row : rows) {
        const platform::Handle handle = Open(pc, row.name);
        ASSERT_NE(handle, platform::kInvalidHandleValue) << row.name;
        std::uint8_t out[8];
        std::memset(out, 0xCC, sizeof out);
        const IoResult r =
            Ioctl(pc, handle, nt::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, out, sizeof out);
        EXPECT_EQ(r.ok, row.ok) << row.name;
        EXPECT_EQ(r.error, row.error) << row.name;
        if (row.ok) {
            EXPECT_EQ(r.returned, 8u);
            EXPECT_EQ(ByteView(out, 8).Le32(0), 8u);
            EXPECT_EQ(out[4], row.port);
            EXPECT_EQ(out[5], row.path);
            EXPECT_EQ(out[6], row.target);
            EXPECT_EQ(out[7], 0);
        } else {
            EXPECT_EQ(r.returned, 0u);
        }
        pc.CloseHandle(handle);
    }
    const platform::Handle e = Open(pc, "\\\\.\\E:");
    std::uint8_t small[7];
    EXPECT_EQ(Ioctl(pc, e, nt::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, small, sizeof small).error,
              kErrorInsufficientBuffer);
}

// Walks SCSI_ADAPTER_BUS_INFO by its offsets: "bus:target:product" per device, in order.
std::vector<std::string> WalkInquiryData(const std::vector<std::uint8_t>& data, std::uint32_t size,
                                         std::uint8_t initiator, std::vector<int>& unitsPerBus) {
    const ByteView view(data.data(), size);
    std::vector<std::string> found;
    const std::uint32_t buses = view.Le32(nt::kAdapterBusInfoNumberOfBuses);
    for (std::uint32_t bus = 0; bus < buses; ++bus) {
        const std::size_t busData = nt::kAdapterBusInfoBusData + bus * nt::kBusDataSize;
        EXPECT_EQ(view.U8(busData + nt::kBusDataInitiatorBusId), initiator);
        const int units = view.U8(busData + nt::kBusDataNumberOfLogicalUnits);
        unitsPerBus.push_back(units);
        std::uint32_t at = view.Le32(busData + nt::kBusDataInquiryDataOffset);
        if (units == 0) {
            EXPECT_EQ(at, 0u);
        }
        for (int walked = 0; at != 0; ++walked) {
            EXPECT_LT(walked, units);
            EXPECT_EQ(at % 8, 0u) << "entries are 8-byte aligned";
            EXPECT_TRUE(view.Has(at, nt::kInquiryDataInquiryData + 36));
            EXPECT_EQ(view.U8(at + nt::kInquiryDataPathId), bus);
            EXPECT_EQ(view.U8(at + nt::kInquiryDataLun), 0);
            EXPECT_EQ(view.U8(at + nt::kInquiryDataDeviceClaimed), 1);
            EXPECT_EQ(view.Le32(at + nt::kInquiryDataInquiryDataLength), 36u);
            char product[17];
            CopyFixedText(view, at + nt::kInquiryDataInquiryData + 16, product, 16);
            found.push_back(std::to_string(bus) + ":" +
                            std::to_string(view.U8(at + nt::kInquiryDataTargetId)) + ":" + product);
            at = view.Le32(at + nt::kInquiryDataNextInquiryDataOffset);
        }
    }
    return found;
}

TEST(VpcPassThrough, PortInquiryDataWalkedByOffsets) {
    VirtualPc pc(ScenarioFrom(XpPc()));
    const platform::Handle port1 = Open(pc, "\\\\.\\SCSI1:");
    std::vector<std::uint8_t> out(nt::kInquiryDataBufferSize, 0xCC);
    IoResult r = Ioctl(pc, port1, nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, out.data(),
                       static_cast<std::uint32_t>(out.size()));
    ASSERT_TRUE(r.ok);
    std::vector<int> units;
    EXPECT_EQ(WalkInquiryData(out, r.returned, 5, units),
              (std::vector<std::string>{"0:0:DVDR   VD0708A  ", "0:1:CD-R   VW2410A  ",
                                        "0:4:CD-ROM DRIVE    ", "2:3:CD-R   VW5232A  "}));
    EXPECT_EQ(units, (std::vector<int>{3, 0, 1}));

    // Too small for all of it: refused, nothing written.
    std::vector<std::uint8_t> small(r.returned - 1, 0xCC);
    r = Ioctl(pc, port1, nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, small.data(),
              static_cast<std::uint32_t>(small.size()));
    EXPECT_EQ(r.error, kErrorInsufficientBuffer);
    EXPECT_EQ(small[0], 0xCC);

    // An adapter without devices still reports one bus.
    const platform::Handle port0 = Open(pc, "\\\\.\\SCSI0:");
    r = Ioctl(pc, port0, nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, out.data(),
              static_cast<std::uint32_t>(out.size()));
    ASSERT_TRUE(r.ok);
    units.clear();
    EXPECT_TRUE(WalkInquiryData(out, r.returned, 7, units).empty());
    EXPECT_EQ(units, std::vector<int>{0});

    const platform::Handle e = Open(pc, "\\\\.\\E:");
    EXPECT_EQ(Ioctl(pc, e, nt::IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, out.data(), 4096).error,
              kErrorInvalidFunction);
}

TEST(VpcPassThrough, ExecutesOnTheDriveOfTheLetter) {
    VirtualPc pc(ScenarioFrom(XpPc()));
    const platform::Handle f = Open(pc, "\\\\.\\F:");
    std::uint8_t buffer[64] = {};
    nt::PassThroughRequest request = PassThrough({0x12, 0, 0, 0, 0x24, 0}, buffer, sizeof buffer);
    request.sptd.PathId = 9;  // the port driver puts in the unit's own address
    request.sptd.TargetId = 8;
    request.sptd.Lun = 7;
    IoResult r = Ioctl(pc, f, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request, sizeof request,
                       &request, sizeof request);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.returned, sizeof(nt::SCSI_PASS_THROUGH_DIRECT));
    EXPECT_EQ(request.sptd.ScsiStatus, 0);
    EXPECT_EQ(request.sptd.DataTransferLength, 36u);
    EXPECT_EQ(request.sptd.SenseInfoLength, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer) + 16, 16), "DVDR   VD0708A  ");
    EXPECT_EQ(pc.CommandLog(), std::vector<std::string>{"1:0 12 00 00 00 24 00"});
    EXPECT_EQ(request.sptd.PathId, 0);
    EXPECT_EQ(request.sptd.TargetId, 0);
    EXPECT_EQ(request.sptd.Lun, 0);

    // CHECK CONDITION: the sense lands at SenseInfoOffset, at most 18 bytes.
    const platform::Handle e = Open(pc, "\\\\.\\E:");
    request = PassThrough({0, 0, 0, 0, 0, 0}, nullptr, 0);
    std::memset(request.sense, 0xCC, sizeof request.sense);
    r = Ioctl(pc, e, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request, sizeof request, &request,
              sizeof request);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(request.sptd.ScsiStatus, kScsiStatusCheckCondition);
    EXPECT_EQ(request.sptd.SenseInfoLength, 18);
    EXPECT_EQ(r.returned, offsetof(nt::PassThroughRequest, sense) + 18);
    EXPECT_EQ(request.sense[0], 0x70);
    EXPECT_EQ(request.sense[2], 0x02);
    EXPECT_EQ(request.sense[12], 0x3A);
    EXPECT_EQ(request.sense[13], 0x02);
    EXPECT_EQ(request.sense[18], 0xCC);

    // The external drive is reached by its letter as well.
    const platform::Handle g = Open(pc, "\\\\.\\G:");
    request = PassThrough({0, 0, 0, 0, 0, 0}, nullptr, 0);
    ASSERT_TRUE(Ioctl(pc, g, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request, sizeof request, &request,
                      sizeof request)
                    .ok);
    EXPECT_EQ(request.sptd.ScsiStatus, 0);
}

// A drive letter's device is one logical unit: whatever address the request names, the
// command reaches that unit, which the log names "adapter:target", or "adapter:bus:target"
// off bus 0, and the request comes back with the unit's address.
TEST(VpcPassThrough, TheLettersUnitTakesTheCommandWhateverTheRequestNames) {
    VirtualPc pc(ScenarioFrom(Json({R"("os": {"platform": 2, "major": 10, "minor": 0})",
                                    R"("adapters": [
      {"bus": "scsi", "identifier": "stornvme"},
      {"bus": "atapi", "identifier": "storahci", "devices": [
        {"target": 0, "bus": 0, "letter": "D", "drive": {"model": "CD-ROM VN52A"}},
        {"target": 0, "bus": 1, "letter": "E", "drive": {"model": "CD-R   VW2410A"}},
        {"target": 3, "bus": 5, "letter": "F", "drive": {"model": "DVDR   VD0708A"}}]}])"})));
    struct Row {
        const char* name;
        std::uint8_t path, target, lun;  // what the request names
        const char* logged;
        std::uint8_t unitPath, unitTarget;
        const char* product;
    };
    const Row rows[] = {
        {"\\\\.\\D:", 0, 0, 0, "1:0 12 00 00 00 24 00", 0, 0, "CD-ROM VN52A    "},
        {"\\\\.\\E:", 0, 0, 0, "1:1:0 12 00 00 00 24 00", 1, 0, "CD-R   VW2410A  "},
        {"\\\\.\\E:", 1, 0, 0, "1:1:0 12 00 00 00 24 00", 1, 0, "CD-R   VW2410A  "},
        {"\\\\.\\F:", 1, 0, 2, "1:5:3 12 00 00 00 24 00", 5, 3, "DVDR   VD0708A  "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.logged);
        pc.ClearCommandLog();
        const platform::Handle device = Open(pc, row.name);
        std::uint8_t buffer[64] = {};
        nt::PassThroughRequest request =
            PassThrough({0x12, 0, 0, 0, 0x24, 0}, buffer, sizeof buffer);
        request.sptd.PathId = row.path;
        request.sptd.TargetId = row.target;
        request.sptd.Lun = row.lun;
        ASSERT_TRUE(Ioctl(pc, device, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request, sizeof request,
                          &request, sizeof request)
                        .ok);
        EXPECT_EQ(pc.CommandLog(), std::vector<std::string>{row.logged});
        EXPECT_EQ(request.sptd.PathId, row.unitPath);
        EXPECT_EQ(request.sptd.TargetId, row.unitTarget);
        EXPECT_EQ(request.sptd.Lun, 0);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer) + 16, 16), row.product);
        pc.CloseHandle(device);
    }
}

TEST(VpcPassThrough, MalformedRequestsAreRefusedBeforeTheDrive) {
    VirtualPc pc(ScenarioFrom(XpPc()));
    const platform::Handle f = Open(pc, "\\\\.\\F:");
    constexpr std::uint32_t kFull = sizeof(nt::PassThroughRequest);
    constexpr std::uint32_t kBare = sizeof(nt::SCSI_PASS_THROUGH_DIRECT);
    std::uint8_t buffer[36];
    struct Row {
        const char* label;
        void (*change)(nt::PassThroughRequest&);
        std::uint32_t inSize;
        std::uint32_t outSize;
    };
    const Row rows[] = {
        {"input too small", [](nt::PassThroughRequest&) {}, kBare - 1, kFull},
        {"output too small", [](nt::PassThroughRequest&) {}, kFull, kBare - 1},
        {"length field", [](nt::PassThroughRequest& r) { r.sptd.Length = kBare + 4; }, kFull,
         kFull},
        {"cdb of 17", [](nt::PassThroughRequest& r) { r.sptd.CdbLength = 17; }, kFull, kFull},
        {"direction 3", [](nt::PassThroughRequest& r) { r.sptd.DataIn = 3; }, kFull, kFull},
        {"sense past the output",
         [](nt::PassThroughRequest& r) {
             r.sptd.SenseInfoLength =
                 static_cast<std::uint8_t>(sizeof r - r.sptd.SenseInfoOffset + 1);
         },
         kFull, kFull},
        {"sense offset wraps",
         [](nt::PassThroughRequest& r) { r.sptd.SenseInfoOffset = 0xFFFFFFF0u; }, kFull, kFull},
        {"sense space cut off", [](nt::PassThroughRequest&) {}, kFull, kBare + 8},
        {"null data buffer", [](nt::PassThroughRequest& r) { r.sptd.DataBuffer = nullptr; }, kFull,
         kFull},
    };
    for (const Row& row : rows) {
        nt::PassThroughRequest request = PassThrough({0x12, 0, 0, 0, 36, 0}, buffer, sizeof buffer);
        row.change(request);
        const IoResult r = Ioctl(pc, f, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request, row.inSize,
                                 &request, row.outSize);
        EXPECT_FALSE(r.ok) << row.label;
        EXPECT_EQ(r.error, kErrorInvalidParameter) << row.label;
        EXPECT_EQ(r.returned, 0u) << row.label;
    }
    EXPECT_TRUE(pc.CommandLog().empty());

    nt::PassThroughRequest request = PassThrough({0x12, 0, 0, 0, 36, 0}, buffer, sizeof buffer);
    EXPECT_FALSE(pc.DeviceIoControl(f, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request, kFull,
                                    &request, kFull, nullptr));
    EXPECT_EQ(pc.GetLastError(), kErrorInvalidParameter);
}

TEST(VpcPassThrough, WrongHandlesAndInjectedSystemErrors) {
    VirtualPc pc(ScenarioFrom(XpPc()));
    std::uint8_t buffer[36];
    struct Row {
        const char* label;
        platform::Handle handle;
        std::uint32_t error;
    };
    const Row rows[] = {
        {"system disk", Open(pc, "\\\\.\\C:"), kErrorInvalidFunction},
        {"port", Open(pc, "\\\\.\\SCSI1:"), kErrorInvalidFunction},
        {"event", pc.CreateEventA(true, false), kErrorInvalidFunction},
        {"never opened", 0x7777, kErrorInvalidHandle},
        {"invalid handle value", platform::kInvalidHandleValue, kErrorInvalidHandle},
        {"passthrough_error", Open(pc, "\\\\.\\H:"), 1117},
    };
    for (const Row& row : rows) {
        nt::PassThroughRequest request = PassThrough({0x12, 0, 0, 0, 36, 0}, buffer, sizeof buffer);
        const IoResult r = Ioctl(pc, row.handle, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request,
                                 sizeof request, &request, sizeof request);
        EXPECT_FALSE(r.ok) << row.label;
        EXPECT_EQ(r.error, row.error) << row.label;
    }
    EXPECT_TRUE(pc.CommandLog().empty()) << "no command reached a drive";
    const platform::Handle e = Open(pc, "\\\\.\\E:");
    EXPECT_EQ(Ioctl(pc, e, 0x00070000, nullptr, 0, buffer, sizeof buffer).error,
              kErrorInvalidFunction)
        << "unknown control code";
}

TEST(VpcPassThrough, StorageAdapterPropertyByBusOnWindows2000AndLater) {
    const Scenario scenario = ScenarioFrom(Json({kXp, R"("adapters": [
        {"bus": "scsi"}, {"bus": "atapi"}, {"bus": "usb"}, {"bus": "1394"}])"}));
    VirtualPc pc(scenario);
    const std::uint8_t expected[] = {1, 2, 7, 4};
    std::uint8_t query[12] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int port = 0; port < 4; ++port) {
        const std::string name = "\\\\.\\SCSI" + std::to_string(port) + ":";
        const platform::Handle handle = Open(pc, name.c_str());
        std::uint8_t out[64] = {};
        const IoResult r = Ioctl(pc, handle, nt::IOCTL_STORAGE_QUERY_PROPERTY, query, sizeof query,
                                 out, sizeof out);
        ASSERT_TRUE(r.ok) << name;
        EXPECT_EQ(r.returned, 32u);
        EXPECT_EQ(ByteView(out, 32).Le32(4), 32u) << "Size";
        EXPECT_EQ(out[nt::kAdapterDescriptorBusType], expected[port]) << name;
    }
    const platform::Handle port0 = Open(pc, "\\\\.\\SCSI0:");
    std::uint8_t header[8] = {};
    IoResult r = Ioctl(pc, port0, nt::IOCTL_STORAGE_QUERY_PROPERTY, query, sizeof query, header,
                       sizeof header);
    EXPECT_TRUE(r.ok) << "the header alone tells the size";
    EXPECT_EQ(r.returned, 8u);
    EXPECT_EQ(ByteView(header, 8).Le32(4), 32u);
    std::uint8_t out[32];
    EXPECT_EQ(Ioctl(pc, port0, nt::IOCTL_STORAGE_QUERY_PROPERTY, query, 11, out, 32).error,
              kErrorInvalidParameter);
    query[0] = 0;  // StorageDeviceProperty
    EXPECT_EQ(Ioctl(pc, port0, nt::IOCTL_STORAGE_QUERY_PROPERTY, query, 12, out, 32).error,
              kErrorInvalidFunction);

    VirtualPc nt4(ScenarioFrom(XpPc(kNt4)));
    query[0] = 1;
    const platform::Handle nt4Port = Open(nt4, "\\\\.\\SCSI1:");
    EXPECT_EQ(Ioctl(nt4, nt4Port, nt::IOCTL_STORAGE_QUERY_PROPERTY, query, 12, out, 32).error,
              kErrorInvalidFunction);
}

// NT 5 and later grant a device control only to a handle opened with the access its code
// demands (bits 14-15): pass-through both reading and writing; the address, inquiry-data
// and property queries nothing. NT 4 does not check.
TEST(VpcPassThrough, ControlAccessIsCheckedOnNtFiveAndLater) {
    constexpr std::uint32_t kRead = platform::kGenericRead;
    constexpr std::uint32_t kWrite = platform::kGenericWrite;
    constexpr std::uint32_t kAll = 0x10000000u;  // GENERIC_ALL
    const char* kVista = R"("os": {"platform": 2, "major": 6, "minor": 0, "build": 6002})";
    const char* kWin10 = R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 19045})";
    const char* kWin11 = R"("os": {"platform": 2, "major": 10, "minor": 0, "build": 22631})";
    struct Row {
        const char* os;
        std::uint32_t access;
        bool passThrough;  // IOCTL_SCSI_PASS_THROUGH_DIRECT succeeds
    };
    const Row rows[] = {
        {kNt4, kRead, true},
        {kNt4, 0, true},
        {kXp, kRead, false},
        {kXp, kWrite, false},
        {kXp, 0, false},
        {kXp, kRead | kWrite, true},
        {kXp, kAll, true},
        {kXp, 3, true},  // FILE_READ_DATA | FILE_WRITE_DATA
        {kVista, kRead, false},
        {kVista, kRead | kWrite, true},
        {kWin10, kRead, false},
        {kWin10, kWrite, false},
        {kWin10, kRead | kWrite, true},
        {kWin11, kRead, false},
        {kWin11, kRead | kWrite, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.os) + " access " + std::to_string(row.access));
        VirtualPc pc(ScenarioFrom(XpPc(row.os)));
        const platform::Handle e = pc.CreateFileA(
            "\\\\.\\E:", row.access, platform::kFileShareRead | platform::kFileShareWrite,
            platform::kOpenExisting);
        ASSERT_NE(e, platform::kInvalidHandleValue);
        std::uint8_t buffer[36];
        nt::PassThroughRequest request = PassThrough({0x12, 0, 0, 0, 36, 0}, buffer, sizeof buffer);
        const IoResult r = Ioctl(pc, e, nt::IOCTL_SCSI_PASS_THROUGH_DIRECT, &request,
                                 sizeof request, &request, sizeof request);
        EXPECT_EQ(r.ok, row.passThrough);
        EXPECT_EQ(r.error, row.passThrough ? 0u : platform::kErrorAccessDenied);
        EXPECT_EQ(pc.CommandLog().empty(), !row.passThrough)
            << "a refused request reaches no drive";
        // The address query demands no access: every handle gets it.
        std::uint8_t address[8] = {};
        EXPECT_TRUE(Ioctl(pc, e, nt::IOCTL_SCSI_GET_ADDRESS, nullptr, 0, address, 8).ok);
        EXPECT_EQ(address[6], 1) << "target of E:";
        pc.CloseHandle(e);
    }
}

// A device of the scenario with "access": "denied" refuses to open with access denied,
// whatever access is asked for; its neighbours open.
TEST(VpcPassThrough, DeniedDeviceRefusesToOpen) {
    VirtualPc pc(ScenarioFrom(Json({kXp, R"("adapters": [{"bus": "atapi", "devices": [
        {"target": 0, "letter": "D", "access": "denied", "drive": {"model": "CD-R   VW2410A"}},
        {"target": 1, "letter": "E", "access": "granted", "drive": {"model": "CD-R   VW2410A"}}]}],
        "external": [{"letter": "F", "access": "denied", "drive": {"model": "CD-R   VW2410A"}}])"})));
    for (const char* name : {"\\\\.\\D:", "\\\\.\\F:"}) {
        for (std::uint32_t access : {0u, platform::kGenericRead, 0xC0000000u}) {
            EXPECT_EQ(pc.CreateFileA(name, access, 3, platform::kOpenExisting),
                      platform::kInvalidHandleValue)
                << name;
            EXPECT_EQ(pc.GetLastError(), platform::kErrorAccessDenied) << name;
        }
    }
    EXPECT_NE(Open(pc, "\\\\.\\E:"), platform::kInvalidHandleValue);
    EXPECT_NE(Open(pc, "\\\\.\\SCSI0:"), platform::kInvalidHandleValue);
    EXPECT_EQ(pc.OpenHandleCount(), 2u);

    std::string error;
    EXPECT_FALSE(ParseScenario(Json({kXp, R"("adapters": [{"devices": [
        {"target": 0, "letter": "D", "access": "none"}]}])"}),
                               error));
    EXPECT_NE(error.find("access"), std::string::npos) << error;
}

}  // namespace
}  // namespace tessaly::vpc::testing
