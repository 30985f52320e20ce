// One emulated optical drive behind the virtual PC's adapters. It executes command
// descriptor blocks the way a device does: injected failures and answers of the
// scenario first, then an opcode-to-handler table; every answer is clipped to the
// command's allocation length and to the data buffer; an unknown opcode ends in
// CHECK CONDITION with ILLEGAL REQUEST / invalid command operation code. The sense
// of a failed command is kept until REQUEST SENSE or an auto-sense takes it.
//
// Execute may be called from the ASPI manager's worker thread while the program's
// thread asks for pass-through commands; a mutex serialises them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "vpc/drive_reply.h"
#include "vpc/drive_traits.h"
#include "vpc/scenario.h"
#include "vpc/sense.h"

namespace tessaly::vpc {

struct CommandResult {
    std::uint8_t status = 0;        // kScsiStatusGood or kScsiStatusCheckCondition
    std::uint32_t transferred = 0;  // bytes moved to or from the data buffer
};

inline constexpr std::size_t kStandardInquiryLength = 36;
inline constexpr std::size_t kInquiryAnswerLength = 96;

class EmulatedDrive {
  public:
    explicit EmulatedDrive(DriveSpec spec);
    EmulatedDrive(const EmulatedDrive&) = delete;
    EmulatedDrive& operator=(const EmulatedDrive&) = delete;

    // Runs cdb[0..cdbLength) with data[0..dataLength) as the data buffer (null is
    // allowed when dataLength is 0). Bytes of the CDB beyond cdbLength read as 0.
    CommandResult Execute(const std::uint8_t* cdb, std::size_t cdbLength, std::uint8_t* data,
                          std::uint32_t dataLength);

    // The kept sense: that of the last failed command, "no sense" otherwise.
    SenseBlock Sense() const;
    // Hands out the kept sense and clears it, as REQUEST SENSE or an auto-sense does.
    SenseBlock TakeSense();

    // The 36 bytes a port driver keeps from its bus scan: the answer injected for
    // INQUIRY when the scenario has one, else the drive's standard data.
    std::array<std::uint8_t, kStandardInquiryLength> IdentifyData() const;

    const DriveSpec& Spec() const { return spec_; }
    // Puts the drive back in the state it was built in (no sense kept, tray and the
    // "becoming ready" count as its spec gives them) with `answers` injected in place of
    // its spec's: one drive serves many runs as if each had a new one.
    void Restart(std::map<std::string, std::vector<std::uint8_t>> answers);
    bool TrayOpen() const;
    // Opens or closes the tray as the user's hand would: "open" or "closed" (false
    // for anything else). Closing it on a disc starts the "becoming ready" count.
    bool SetTray(std::string_view state);
    // TEST UNIT READY commands still to answer "becoming ready".
    std::uint32_t BecomingReadyLeft() const;

  private:
    using Reply = DriveReply;
    using Handler = Reply (EmulatedDrive::*)(ByteView cdb);

    static const std::array<Handler, 256>& HandlerTable();

    CommandResult Finish(const Reply& reply, ByteView cdb, std::uint8_t* data,
                         std::uint32_t dataLength);

    Reply TestUnitReady(ByteView cdb);
    Reply RequestSense(ByteView cdb);
    Reply Inquiry(ByteView cdb);
    Reply StartStopUnit(ByteView cdb);
    Reply ModeSense6(ByteView cdb);
    Reply ModeSense10(ByteView cdb);
    Reply ReadMemory(ByteView cdb);
    Reply ReadJumper(ByteView cdb);
    Reply ReadDiscInformation(ByteView cdb);
    Reply ReadTocPmaAtip(ByteView cdb);
    Reply ReadCapacity(ByteView cdb);
    Reply GetConfiguration(ByteView cdb);
    Reply ReadDiscStructure(ByteView cdb);
    Reply Release(ByteView cdb);
    Reply Unsupported(ByteView cdb);

    // Why a command that needs the medium cannot run now (tray open, no disc,
    // becoming ready), or nullopt when the disc is ready; the caller holds the mutex.
    std::optional<SenseCode> MediumProblem() const;

    // The state of a drive just switched on; the caller holds the mutex (or builds it).
    void PowerOn();

    // Tray movements; the caller holds the mutex.
    void OpenTray();
    void CloseTray();

    std::array<std::uint8_t, kInquiryAnswerLength> StandardInquiry() const;

    DriveSpec spec_;  // only its injected answers change, by Restart
    const DriveTraits traits_;
    mutable std::mutex mutex_;
    SenseBlock sense_;
    TrayState tray_;
    std::uint32_t becomingReadyLeft_ = 0;
};

}  // namespace tessaly::vpc
