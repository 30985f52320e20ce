// One input of the INQUIRY target: bits 0-1 of the first byte pick the bus the drive's
// adapter is on (SCSI, ATAPI, USB, IEEE 1394), bit 2 whether it was found on an adapter
// or as an external device; the rest is the drive's INQUIRY answer. The answer goes the
// whole way discovery takes it: the transport's INQUIRY and its identity texts, the
// model identification, the adapter's interface kind and the drop-down label.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "answer_pieces.h"
#include "app/drive_label_rule.h"
#include "drives/model_identification.h"
#include "kept_pc.h"
#include "transport/inquiry_data.h"

namespace tessaly::fuzz {

class InquiryRun {
  public:
    // Runs one input; with `outcome`, also records what it left there.
    void Run(const std::uint8_t* data, std::size_t size, Outcome* outcome = nullptr) {
        if (size < 1)
            return;
        CheckParser(data + 1, size - 1);
        const auto bus = static_cast<vpc::BusKind>(data[0] & 3);
        KeptPc& kept = pcs_.Get(bus, [&] {
            vpc::DeviceSpec device;
            device.target = 1;
            device.letter = 'E';
            device.drive.model = "CD-R   VW2410A";
            return OneDrivePc(bus, device);
        });
        Answers answers;
        answers["12"].assign(data + 1, data + size);
        ScsiTransport& transport = kept.Reset(0, 1, std::move(answers));
        const DriveAddress drive(0, 1);

        InquiryIdentity identity;
        const std::int32_t found = transport.Inquiry(drive, identity);
        CheckTerminated(identity);
        DriveModelRow row{};
        const bool identified = IdentifyDriveModel(transport, drive, row);
        if (identified && std::memchr(row.productKey, 0, sizeof row.productKey) == nullptr)
            __builtin_trap();
        const bool supported = IsSupportedDrive(transport, drive);
        if (supported && !identified)
            __builtin_trap();
        const int kind = transport.DetectInterfaceKind(0);
        const auto origin =
            (data[0] & 4) != 0 ? app::DriveOrigin::kExternal : app::DriveOrigin::kAdapter;
        const std::string label =
            app::ChooseDriveLabel(identity.product, transport.IsUsbAttached(drive) == 1,
                                  transport.Is1394Attached(drive) == 1, drive.target, origin);
        // "ID:1  " and at most the product text or the row's kind and display name.
        if (label.compare(0, 6, "ID:1  ") != 0 || label.size() > 6 + 16 + 33)
            __builtin_trap();
        if (outcome != nullptr) {
            outcome->commands = kept.Pc().CommandLog();
            outcome->texts = {std::to_string(found),
                              identity.vendor,
                              identity.product,
                              identity.revision,
                              identified ? row.productKey : "unidentified",
                              std::to_string(kind),
                              label};
        }
    }

  private:
    // The parser alone on a heap copy of exactly the answer's size, so that any read
    // past the answer reaches the sanitizer.
    static void CheckParser(const std::uint8_t* data, std::size_t size) {
        const std::vector<std::uint8_t> answer(data, data + size);
        const auto identity = ParseInquiryData(ByteView(answer.data(), answer.size()));
        CheckTerminated(identity);
        if (size > 0 && identity.peripheral != data[0])
            __builtin_trap();
        if (size >= 36 && std::memcmp(identity.product, data + 16, 16) != 0)
            __builtin_trap();
    }

    static void CheckTerminated(const InquiryIdentity& identity) {
        if (identity.vendor[8] != '\0' || identity.product[16] != '\0' ||
            identity.revision[4] != '\0') {
            __builtin_trap();
        }
    }

    KeptPcs<vpc::BusKind> pcs_;
};

}  // namespace tessaly::fuzz
