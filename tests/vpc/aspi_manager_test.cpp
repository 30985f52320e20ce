// The emulated ASPI manager on its own, with a host that holds drives and one event.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

#include "vpc/aspi_manager.h"
#include "vpc/command_log.h"
#include "vpc/event_object.h"
#include "vpc_test_support.h"

namespace tessaly::vpc::testing {
namespace {

using namespace std::chrono_literals;

DriveSpec Spec(TrayState tray) {
    DriveSpec spec;
    spec.model = "CD-R   VW2410S";
    spec.tray = tray;
    return spec;
}

class TestHost : public AspiManager::Host {
  public:
    TestHost() {
        drives_[{0, 4}] = std::make_unique<EmulatedDrive>(Spec(TrayState::kClosed));
        drives_[{1, 0}] = std::make_unique<EmulatedDrive>(Spec(TrayState::kOpen));
    }
    EmulatedDrive* FindDrive(std::uint8_t adapter, std::uint8_t target) override {
        const auto it = drives_.find({adapter, target});
        return it != drives_.end() ? it->second.get() : nullptr;
    }
    void SignalEvent(void* postProc) override {
        ++signals;  // counted before the waiting thread can wake
        if (postProc == kEventHandle)
            event.Set();
    }
    void RecordCommand(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                       std::size_t cdbLength) override {
        log.Record(adapter, target, cdb, cdbLength);
    }

    static inline void* const kEventHandle = reinterpret_cast<void*>(std::uintptr_t{0x24});
    EventObject event{true, false};
    std::atomic<int> signals{0};
    CommandLog log;

  private:
    std::map<std::pair<int, int>, std::unique_ptr<EmulatedDrive>> drives_;
};

AspiManager::Config Config(AspiCompletion completion, std::chrono::milliseconds delay = 1ms) {
    AspiManager::Config config;
    config.adapters = {AspiAdapter{7, "aic78xx"}, AspiAdapter{5, "atapi"}};
    config.completion = completion;
    config.completionDelay = delay;
    return config;
}

// SRB_Status as the program reads it while the worker may be writing.
std::uint8_t LoadStatus(aspi::SRB_ExecSCSICmd& srb) {
    auto* status = reinterpret_cast<std::uint8_t*>(&srb) + offsetof(aspi::SRB_Header, SRB_Status);
    return std::atomic_ref<std::uint8_t>(*status).load(std::memory_order_acquire);
}

std::uint8_t PolledStatus(aspi::SRB_ExecSCSICmd& srb) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::uint8_t value = LoadStatus(srb);
        if (value != aspi::SS_PENDING)
            return value;
        std::this_thread::yield();
    }
    return aspi::SS_PENDING;
}

TEST(VpcAspi, SupportInfoIsStatusAndAdapterCount) {
    TestHost host;
    AspiManager::Config config = Config(AspiCompletion::kDirect);
    EXPECT_EQ(AspiManager(config, host).GetASPI32SupportInfo(), 0x0102u);
    config.status = 0xE8;
    config.adapters.resize(300);
    EXPECT_EQ(AspiManager(config, host).GetASPI32SupportInfo(), 0xE8FFu);
    config.adapters.clear();
    EXPECT_EQ(AspiManager(config, host).GetASPI32SupportInfo(), 0xE800u);
}

TEST(VpcAspi, HostAdapterInquiry) {
    TestHost host;
    AspiManager manager(Config(AspiCompletion::kPending), host);
    aspi::SRB_HAInquiry srb;
    std::memset(&srb, 0xCC, sizeof srb);
    srb.SRB_Cmd = aspi::SC_HA_INQUIRY;
    srb.SRB_HaId = 1;
    EXPECT_EQ(manager.SendASPI32Command(&srb), aspi::SS_COMP) << "never pending";
    EXPECT_EQ(srb.SRB_Status, aspi::SS_COMP);
    EXPECT_EQ(srb.HA_Count, 2);
    EXPECT_EQ(srb.HA_SCSI_ID, 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(srb.HA_ManagerId), 16), "ASPI for WIN32  ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(srb.HA_Identifier), 16),
              std::string("atapi\0\0\0\0\0\0\0\0\0\0\0", 16));
    EXPECT_EQ(srb.HA_Unique[3], 16) << "targets";
    EXPECT_EQ(srb.HA_Unique[6], 0x01) << "64 KiB transfers";

    std::memset(&srb, 0xCC, sizeof srb);
    srb.SRB_Cmd = aspi::SC_HA_INQUIRY;
    srb.SRB_HaId = 2;
    EXPECT_EQ(manager.SendASPI32Command(&srb), aspi::SS_INVALID_HA);
    EXPECT_EQ(srb.SRB_Status, aspi::SS_INVALID_HA);
    EXPECT_EQ(srb.HA_Count, 0xCC) << "nothing filled";
    EXPECT_EQ(srb.HA_ManagerId[0], 0xCC);
}

TEST(VpcAspi, RefusedRequestsCompleteAtOnceAndReachNoDrive) {
    struct Row {
        const char* label;
        std::uint8_t haId;
        std::uint8_t target;
        std::uint8_t lun;
        std::uint8_t cdbLength;
        std::uint8_t cmd;
        std::uint8_t status;
    };
    const Row rows[] = {
        {"adapter beyond count", 2, 4, 0, 6, aspi::SC_EXEC_SCSI_CMD, aspi::SS_INVALID_HA},
        {"no device at target", 0, 3, 0, 6, aspi::SC_EXEC_SCSI_CMD, aspi::SS_NO_DEVICE},
        {"no device at lun", 0, 4, 1, 6, aspi::SC_EXEC_SCSI_CMD, aspi::SS_NO_DEVICE},
        {"cdb length 7", 0, 4, 0, 7, aspi::SC_EXEC_SCSI_CMD, aspi::SS_INVALID_CMD},
        {"cdb length 0", 0, 4, 0, 0, aspi::SC_EXEC_SCSI_CMD, aspi::SS_INVALID_CMD},
        {"unknown command", 0, 4, 0, 6, 0x07, aspi::SS_INVALID_CMD},
    };
    for (const AspiCompletion mode : {AspiCompletion::kPending, AspiCompletion::kDirect}) {
        TestHost host;
        AspiManager manager(Config(mode), host);
        for (const Row& row : rows) {
            std::uint8_t buffer[36] = {};
            aspi::SRB_ExecSCSICmd srb =
                ExecSrb(row.haId, row.target, {0x12, 0, 0, 0, 36, 0}, buffer, sizeof buffer);
            srb.SRB_Cmd = row.cmd;
            srb.SRB_Lun = row.lun;
            srb.SRB_CDBLen = row.cdbLength;
            EXPECT_EQ(manager.SendASPI32Command(&srb), row.status) << row.label;
            EXPECT_EQ(srb.SRB_Status, row.status) << row.label;
        }
        // What the program sent is logged (the five execute requests), though no drive ran it.
        EXPECT_EQ(host.log.Entries().size(), 5u);
        EXPECT_EQ(host.signals, 0);
    }
}

TEST(VpcAspi, DirectCompletionWithAutoSense) {
    TestHost host;
    AspiManager manager(Config(AspiCompletion::kDirect), host);
    std::uint8_t buffer[64] = {};
    aspi::SRB_ExecSCSICmd inquiry = ExecSrb(0, 4, {0x12, 0, 0, 0, 0x24, 0}, buffer, sizeof buffer);
    inquiry.SRB_Flags |= aspi::SRB_EVENT_NOTIFY;
    inquiry.SRB_PostProc = TestHost::kEventHandle;
    EXPECT_EQ(manager.SendASPI32Command(&inquiry), aspi::SS_COMP);
    EXPECT_EQ(inquiry.SRB_TargStat, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer) + 16, 16), "CD-R   VW2410S  ");
    EXPECT_EQ(buffer[36], 0) << "allocation length 36";
    EXPECT_TRUE(host.event.IsSet()) << "event set inside the call";

    aspi::SRB_ExecSCSICmd tur = ExecSrb(1, 0, {0, 0, 0, 0, 0, 0}, nullptr, 0);
    std::memset(tur.SenseArea, 0xCC, sizeof tur.SenseArea);
    EXPECT_EQ(manager.SendASPI32Command(&tur), aspi::SS_ERR);
    EXPECT_EQ(tur.SRB_TargStat, kScsiStatusCheckCondition);
    EXPECT_EQ(tur.SenseArea[0], 0x70);
    EXPECT_EQ(tur.SenseArea[2], 0x02);
    EXPECT_EQ(tur.SenseArea[12], 0x3A);
    EXPECT_EQ(tur.SenseArea[13], 0x02);
    EXPECT_EQ(tur.SenseArea[14], 0xCC) << "SRB_SenseLen 14 bytes only";
    EXPECT_EQ(host.FindDrive(1, 0)->Sense()[2], 0) << "auto-sense took the drive's sense";

    EXPECT_EQ(host.log.Entries(),
              (std::vector<std::string>{"0:4 12 00 00 00 24 00", "1:0 00 00 00 00 00 00"}));
}

TEST(VpcAspi, PendingCompletionSetsTheEventAfterTheFields) {
    TestHost host;
    AspiManager manager(Config(AspiCompletion::kPending, 100ms), host);
    std::uint8_t buffer[96] = {};
    aspi::SRB_ExecSCSICmd srb = ExecSrb(1, 0, {0, 0, 0, 0, 0, 0}, buffer, sizeof buffer);
    srb.SRB_Flags |= aspi::SRB_EVENT_NOTIFY;
    srb.SRB_PostProc = TestHost::kEventHandle;
    EXPECT_EQ(manager.SendASPI32Command(&srb), aspi::SS_PENDING);
    EXPECT_FALSE(host.event.IsSet());
    ASSERT_TRUE(host.event.Wait(5000ms));
    EXPECT_EQ(srb.SRB_Status, aspi::SS_ERR);
    EXPECT_EQ(srb.SRB_TargStat, kScsiStatusCheckCondition);
    EXPECT_EQ(srb.SenseArea[12], 0x3A);
    EXPECT_EQ(host.signals, 1);
}

TEST(VpcAspi, PendingCompletionWithoutEventIsPolled) {
    TestHost host;
    AspiManager manager(Config(AspiCompletion::kPending), host);
    std::uint8_t buffer[96] = {};
    aspi::SRB_ExecSCSICmd srb = ExecSrb(0, 4, {0x12, 0, 0, 0, 0x60, 0}, buffer, sizeof buffer);
    EXPECT_EQ(manager.SendASPI32Command(&srb), aspi::SS_PENDING);
    EXPECT_EQ(PolledStatus(srb), aspi::SS_COMP);
    EXPECT_EQ(buffer[0], 0x05);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer) + 8, 8), "VARNOTH ");
    EXPECT_EQ(host.signals, 0) << "no SRB_EVENT_NOTIFY, no event";
}

TEST(VpcAspi, NextRequestWaitsForThePreviousOne) {
    TestHost host;
    AspiManager manager(Config(AspiCompletion::kPending, 20ms), host);
    std::uint8_t first[36] = {};
    std::uint8_t second[36] = {};
    aspi::SRB_ExecSCSICmd a = ExecSrb(0, 4, {0x12, 0, 0, 0, 36, 0}, first, sizeof first);
    aspi::SRB_ExecSCSICmd b = ExecSrb(0, 4, {0x12, 0, 0, 0, 36, 0}, second, sizeof second);
    EXPECT_EQ(manager.SendASPI32Command(&a), aspi::SS_PENDING);
    EXPECT_EQ(manager.SendASPI32Command(&b), aspi::SS_PENDING);
    EXPECT_EQ(LoadStatus(a), aspi::SS_COMP) << "the first completed before the second was taken";
    manager.WaitIdle();
    EXPECT_EQ(b.SRB_Status, aspi::SS_COMP);
    EXPECT_EQ(first[1], 0x80);
    EXPECT_EQ(second[1], 0x80);
    EXPECT_EQ(host.log.Entries().size(), 2u);
}

TEST(VpcAspi, NullBufferWithLengthIsRefused) {
    TestHost host;
    AspiManager manager(Config(AspiCompletion::kDirect), host);
    aspi::SRB_ExecSCSICmd srb = ExecSrb(0, 4, {0x12, 0, 0, 0, 36, 0}, nullptr, 36);
    EXPECT_EQ(manager.SendASPI32Command(&srb), aspi::SS_INVALID_CMD);
    EXPECT_EQ(manager.SendASPI32Command(nullptr), aspi::SS_INVALID_CMD);
    EXPECT_EQ(host.log.Entries().size(), 1u) << "the request is logged, the null block not";
}

}  // namespace
}  // namespace tessaly::vpc::testing
