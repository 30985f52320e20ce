#include "vpc/emulated_drive.h"

#include <algorithm>
#include <utility>

#include "transport/scsi_command.h"
#include "vpc/drive_disc_commands.h"
#include "vpc/drive_dvd_commands.h"
#include "vpc/drive_mode_pages.h"
#include "vpc/drive_vendor_commands.h"
#include "vpc/injection_key.h"

namespace tessaly::vpc {
namespace {

constexpr std::string_view kMakerVendor = "VARNOTH ";
constexpr std::string_view kOtherVendor = "OTHERCO ";
constexpr std::string_view kOtherProduct = "CD-ROM DRIVE";
constexpr std::string_view kDefaultRevision = "1.00";
constexpr std::uint8_t kDefaultPeripheral = 0x05;  // CD/DVD device, connected
constexpr std::uint8_t kGetConfiguration = 0x46;
constexpr std::uint8_t kReadDiscStructure = 0xAD;

// The allocation length of the commands that carry one; others are limited by the
// data buffer alone.
std::optional<std::uint32_t> AllocationLength(ByteView cdb) {
    switch (cdb.U8(0)) {
        case opcode::kRequestSense:
        case opcode::kInquiry:
        case opcode::kModeSense6:
            return cdb.U8(4);
        case 0x23:  // READ FORMAT CAPACITIES
        case 0x42:  // READ SUB-CHANNEL
        case opcode::kReadTocPmaAtip:
        case 0x46:  // GET CONFIGURATION
        case 0x4A:  // GET EVENT STATUS NOTIFICATION
        case 0x4D:  // LOG SENSE
        case opcode::kReadDiscInformation:
        case 0x52:  // READ TRACK INFORMATION
        case opcode::kModeSense10:
        case 0x5C:  // READ BUFFER CAPACITY
            return cdb.Be16(7);
        case 0xA4:  // REPORT KEY
        case 0xAD:  // READ DVD STRUCTURE
            return cdb.Be16(8);
        default:
            return std::nullopt;
    }
}

// Copies text into out, padded with blanks (or cut) to width.
void PutPadded(std::uint8_t* out, std::string_view text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        out[i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
    }
}

}  // namespace

EmulatedDrive::EmulatedDrive(DriveSpec spec) : spec_(std::move(spec)), traits_(TraitsOf(spec_)) {
    PowerOn();
}

void EmulatedDrive::Restart(std::map<std::string, std::vector<std::uint8_t>> answers) {
    std::lock_guard lock(mutex_);
    spec_.answers = std::move(answers);
    PowerOn();
}

void EmulatedDrive::PowerOn() {
    sense_ = MakeSenseBlock(sense::kNoSense);
    tray_ = spec_.tray;
    becomingReadyLeft_ = spec_.disc && tray_ == TrayState::kClosed ? spec_.disc->readyAfter : 0;
}

const std::array<EmulatedDrive::Handler, 256>& EmulatedDrive::HandlerTable() {
    static const std::array<Handler, 256> table = [] {
        std::array<Handler, 256> t;
        t.fill(&EmulatedDrive::Unsupported);
        t[opcode::kTestUnitReady] = &EmulatedDrive::TestUnitReady;
        t[opcode::kRequestSense] = &EmulatedDrive::RequestSense;
        t[opcode::kInquiry] = &EmulatedDrive::Inquiry;
        t[opcode::kStartStopUnit] = &EmulatedDrive::StartStopUnit;
        t[opcode::kModeSense6] = &EmulatedDrive::ModeSense6;
        t[opcode::kModeSense10] = &EmulatedDrive::ModeSense10;
        t[opcode::kVendorReadMemory] = &EmulatedDrive::ReadMemory;
        t[opcode::kVendorReadTwoBytes] = &EmulatedDrive::ReadJumper;
        t[opcode::kReadDiscInformation] = &EmulatedDrive::ReadDiscInformation;
        t[opcode::kReadTocPmaAtip] = &EmulatedDrive::ReadTocPmaAtip;
        t[opcode::kReadCapacity] = &EmulatedDrive::ReadCapacity;
        t[opcode::kRelease6] = &EmulatedDrive::Release;
        t[kGetConfiguration] = &EmulatedDrive::GetConfiguration;
        t[kReadDiscStructure] = &EmulatedDrive::ReadDiscStructure;
        return t;
    }();
    return table;
}

CommandResult EmulatedDrive::Execute(const std::uint8_t* cdb, std::size_t cdbLength,
                                     std::uint8_t* data, std::uint32_t dataLength) {
    const ByteView command(cdb, cdbLength);
    if (data == nullptr)
        dataLength = 0;
    std::lock_guard lock(mutex_);
    Reply reply;
    if (command.size() == 0) {
        reply.failure = sense::kInvalidOpcode;
        return Finish(reply, command, data, dataLength);
    }
    const std::string key = InjectionKeyOf(cdb, cdbLength);
    const std::string opKey = InjectionKey(command.U8(0));
    for (const std::string* k : {&key, &opKey}) {
        if (const auto it = spec_.fail.find(*k); it != spec_.fail.end()) {
            reply.failure = it->second;
            return Finish(reply, command, data, dataLength);
        }
    }
    for (const std::string* k : {&key, &opKey}) {
        if (const auto it = spec_.answers.find(*k); it != spec_.answers.end()) {
            reply.answer = it->second;
            return Finish(reply, command, data, dataLength);
        }
    }
    reply = (this->*HandlerTable()[command.U8(0)])(command);
    return Finish(reply, command, data, dataLength);
}

CommandResult EmulatedDrive::Finish(const Reply& reply, ByteView cdb, std::uint8_t* data,
                                    std::uint32_t dataLength) {
    if (reply.failure) {
        sense_ = MakeSenseBlock(*reply.failure);
        return CommandResult{kScsiStatusCheckCondition, 0};
    }
    std::size_t length = std::min<std::size_t>(reply.answer.size(), dataLength);
    if (const auto allocation = AllocationLength(cdb)) {
        length = std::min<std::size_t>(length, *allocation);
    }
    std::copy_n(reply.answer.begin(), length, data);
    if (cdb.U8(0) != opcode::kRequestSense)
        sense_ = MakeSenseBlock(sense::kNoSense);
    return CommandResult{kScsiStatusGood, static_cast<std::uint32_t>(length)};
}

SenseBlock EmulatedDrive::Sense() const {
    std::lock_guard lock(mutex_);
    return sense_;
}

SenseBlock EmulatedDrive::TakeSense() {
    std::lock_guard lock(mutex_);
    const SenseBlock taken = sense_;
    sense_ = MakeSenseBlock(sense::kNoSense);
    return taken;
}

bool EmulatedDrive::TrayOpen() const {
    std::lock_guard lock(mutex_);
    return tray_ == TrayState::kOpen;
}

bool EmulatedDrive::SetTray(std::string_view state) {
    std::lock_guard lock(mutex_);
    if (state == "open") {
        OpenTray();
    } else if (state == "closed") {
        CloseTray();
    } else {
        return false;
    }
    return true;
}

void EmulatedDrive::OpenTray() {
    tray_ = TrayState::kOpen;
    becomingReadyLeft_ = 0;
}

// Only a load (an open tray closing on a disc) starts the "becoming ready" count.
void EmulatedDrive::CloseTray() {
    if (tray_ == TrayState::kOpen && spec_.disc)
        becomingReadyLeft_ = spec_.disc->readyAfter;
    tray_ = TrayState::kClosed;
}

std::uint32_t EmulatedDrive::BecomingReadyLeft() const {
    std::lock_guard lock(mutex_);
    return becomingReadyLeft_;
}

std::array<std::uint8_t, kStandardInquiryLength> EmulatedDrive::IdentifyData() const {
    std::array<std::uint8_t, kStandardInquiryLength> out{};
    if (const auto it = spec_.answers.find(InjectionKey(opcode::kInquiry));
        it != spec_.answers.end()) {
        std::copy_n(it->second.begin(), std::min(it->second.size(), out.size()), out.begin());
        return out;
    }
    const auto full = StandardInquiry();
    std::copy_n(full.begin(), out.size(), out.begin());
    return out;
}

// Standard INQUIRY data:
//   [0]     peripheral qualifier and device type
//   [1]     80h removable medium
//   [2]     version 2
//   [3]     response data format 2
//   [4]     additional length 31 (36 bytes in all)
//   [8-15]  vendor identification, [16-31] product identification, [32-35] revision
//   [36-95] zero
std::array<std::uint8_t, kInquiryAnswerLength> EmulatedDrive::StandardInquiry() const {
    std::array<std::uint8_t, kInquiryAnswerLength> out{};
    const bool maker = spec_.model.has_value();
    out[0] = spec_.peripheral.value_or(kDefaultPeripheral);
    out[1] = 0x80;
    out[2] = 0x02;
    out[3] = 0x02;
    out[4] = kStandardInquiryLength - 5;
    PutPadded(&out[8], spec_.vendor.value_or(std::string(maker ? kMakerVendor : kOtherVendor)), 8);
    PutPadded(&out[16], spec_.product.value_or(maker ? *spec_.model : std::string(kOtherProduct)),
              16);
    PutPadded(&out[32], spec_.revision.value_or(std::string(kDefaultRevision)), 4);
    return out;
}

EmulatedDrive::Reply EmulatedDrive::Inquiry(ByteView cdb) {
    Reply reply;
    // No vital product data pages, no command support data.
    if ((cdb.U8(1) & 0x03) != 0 || cdb.U8(2) != 0) {
        reply.failure = sense::kInvalidFieldInCdb;
        return reply;
    }
    const auto data = StandardInquiry();
    reply.answer.assign(data.begin(), data.end());
    return reply;
}

std::optional<SenseCode> EmulatedDrive::MediumProblem() const {
    if (tray_ == TrayState::kOpen)
        return sense::kNoMediumTrayOpen;
    if (!spec_.disc)
        return sense::kNoMediumTrayClosed;
    if (becomingReadyLeft_ > 0)
        return sense::kBecomingReady;
    return std::nullopt;
}

// Only TEST UNIT READY counts the "becoming ready" answers down.
EmulatedDrive::Reply EmulatedDrive::TestUnitReady(ByteView) {
    Reply reply;
    reply.failure = MediumProblem();
    if (reply.failure == sense::kBecomingReady)
        --becomingReadyLeft_;
    return reply;
}

EmulatedDrive::Reply EmulatedDrive::RequestSense(ByteView) {
    Reply reply;
    reply.answer.assign(sense_.begin(), sense_.end());
    sense_ = MakeSenseBlock(sense::kNoSense);
    return reply;
}

// START STOP UNIT: byte 4 bit 1 (LoEj) with bit 0 (Start) ejects (02h) or loads (03h).
// Any other byte 4 (spin up or down, a power condition) leaves the tray where it is.
EmulatedDrive::Reply EmulatedDrive::StartStopUnit(ByteView cdb) {
    const std::uint8_t control = cdb.U8(4);
    if (control == kStartStopEject)
        OpenTray();
    else if (control == kStartStopLoad)
        CloseTray();
    return Reply{};
}

EmulatedDrive::Reply EmulatedDrive::ModeSense6(ByteView cdb) {
    return ModeSense(spec_, traits_, ModeSenseForm::kSixByte, cdb.U8(2) & 0x3F);
}

EmulatedDrive::Reply EmulatedDrive::ModeSense10(ByteView cdb) {
    return ModeSense(spec_, traits_, ModeSenseForm::kTenByte, cdb.U8(2) & 0x3F);
}

EmulatedDrive::Reply EmulatedDrive::ReadMemory(ByteView cdb) {
    return vpc::ReadMemory(spec_, traits_, cdb);
}

EmulatedDrive::Reply EmulatedDrive::ReadJumper(ByteView) {
    return vpc::ReadJumper(spec_, traits_);
}

EmulatedDrive::Reply EmulatedDrive::ReadDiscInformation(ByteView) {
    if (const auto problem = MediumProblem())
        return Reply::Fail(*problem);
    return vpc::ReadDiscInformation(*spec_.disc);
}

EmulatedDrive::Reply EmulatedDrive::ReadTocPmaAtip(ByteView cdb) {
    if (const auto problem = MediumProblem())
        return Reply::Fail(*problem);
    return vpc::ReadTocPmaAtip(*spec_.disc, traits_, cdb);
}

EmulatedDrive::Reply EmulatedDrive::ReadCapacity(ByteView) {
    if (const auto problem = MediumProblem())
        return Reply::Fail(*problem);
    return vpc::ReadCapacity(*spec_.disc);
}

// A drive that reads only CD knows neither command, as the maker's CD models do not.
EmulatedDrive::Reply EmulatedDrive::GetConfiguration(ByteView cdb) {
    if (!traits_.readsDvd)
        return Unsupported(cdb);
    return vpc::GetConfiguration(MediumProblem() ? nullptr : &*spec_.disc);
}

EmulatedDrive::Reply EmulatedDrive::ReadDiscStructure(ByteView cdb) {
    if (!traits_.readsDvd)
        return Unsupported(cdb);
    if (const auto problem = MediumProblem())
        return Reply::Fail(*problem);
    return vpc::ReadDiscStructure(*spec_.disc, cdb);
}

// RELEASE(6): there are no reservations to give up; every model accepts it.
EmulatedDrive::Reply EmulatedDrive::Release(ByteView) {
    return Reply{};
}

EmulatedDrive::Reply EmulatedDrive::Unsupported(ByteView) {
    return Reply::Fail(sense::kInvalidOpcode);
}

}  // namespace tessaly::vpc
