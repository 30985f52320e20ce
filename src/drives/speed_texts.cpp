#include "drives/speed_texts.h"

#include <cstdio>
#include <cstring>

#include "common/bytes.h"
#include "drives/drive_commands.h"
#include "drives/drive_scope.h"
#include "drives/model_identification.h"
#include "transport/inquiry_data.h"
#include "transport/text_match.h"

namespace tessaly {

namespace {

constexpr unsigned kKilobytesPerSpeedUnit = 176;
constexpr std::uint8_t kCapabilitiesLength = 34;
constexpr std::uint8_t kSpeedIndexLength = 16;
constexpr int kLastSpeedIndex = 6;

// The current read speed of page 2Ah (bytes 14-15) as a factor.
unsigned SpeedFactor(const std::uint8_t (&answer)[kCapabilitiesLength]) {
    return ByteView(answer, sizeof answer).Be16(kModePageOffset + 14) / kKilobytesPerSpeedUnit;
}

bool IsKnownModel(ScsiTransport& transport, const DriveAddress& drive) {
    return HasVendorCommandSet(transport, drive) || IsSecondaryListModel(transport, drive);
}

}  // namespace

void ReadSpeedText(ScsiTransport& transport, const DriveAddress& drive, char* out,
                   std::size_t size) {
    if (size == 0)
        return;
    std::uint8_t answer[kCapabilitiesLength];
    if (!IsKnownModel(transport, drive)) {
        const bool ok =
            ModeSensePage(transport, drive, mode_page::kCapabilities, sizeof answer, answer) == 1;
        const unsigned n = ok ? SpeedFactor(answer) : 0;
        if (n == 0) {
            CopyText("maximum", out, size);
        } else {
            std::snprintf(out, size, "%u X", n);
        }
        return;
    }
    if (IsRecorderModel(transport, drive) || IsTenByteModeModel(transport, drive)) {
        // A failed command leaves the answer zero-filled: a speed of 0 reads "maximum".
        ModeSensePage(transport, drive, mode_page::kCapabilities, sizeof answer, answer);
        const unsigned n = SpeedFactor(answer);
        if (n == 0) {
            CopyText("maximum", out, size);
            return;
        }
        std::snprintf(out, size, "%uX", n);
        char formed[16];
        CopyText(out, formed, sizeof formed);
        for (int i = 0; i <= kLastSpeedIndex; ++i) {
            const char* speed = ModelSpeedText(transport, drive, i);
            if (ContainsText(speed, formed)) {
                CopyText(speed, out, size);
                return;
            }
        }
        return;
    }
    // The older SCSI readers name the selected speed by its index in vendor page 31h.
    std::uint8_t index[kSpeedIndexLength];
    ModeSensePage(transport, drive, mode_page::kVendorSpeed, sizeof index, index);
    const std::uint8_t chosen = index[kModePageOffset + 2];  // page 31h byte 2
    const int selected = chosen > kLastSpeedIndex ? kLastSpeedIndex : chosen;
    CopyText(ModelSpeedText(transport, drive, selected), out, size);
}

void SeparateSpeedUnit(char* text, std::size_t size) {
    if (std::strcmp(text, "maximum") == 0)
        return;
    char* x = std::strchr(text, 'X');
    if (x == nullptr)
        return;
    const std::size_t p = static_cast<std::size_t>(x - text);
    const std::size_t length = std::strlen(text);
    if (length + 2 > size)
        return;  // no room for the blank: leave the text whole
    std::memmove(x + 1, x, length - p + 1);
    *x = ' ';
}

void ReportReadSpeedText(ScsiTransport& transport, const DriveAddress& drive, char* out,
                         std::size_t size) {
    ReadSpeedText(transport, drive, out, size);
    SeparateSpeedUnit(out, size);
}

bool CanWriteDiscs(ScsiTransport& transport, const DriveAddress& drive) {
    InquiryIdentity id;
    if (transport.Inquiry(drive, id) == 0)
        return false;
    // A drive listed on request, no model of the table, is asked like an unknown model.
    if (!IsSupportedDrive(transport, drive) && !AnyMakerDrives()) {
        return std::strncmp(id.product, "CD-R ", 5) == 0;
    }
    if (IsKnownModel(transport, drive))
        return IsRecorderModel(transport, drive);
    std::uint8_t answer[kCapabilitiesLength];
    if (ModeSensePage(transport, drive, mode_page::kCapabilities, sizeof answer, answer) != 1)
        return false;
    std::size_t k = 20;
    for (std::size_t i = 1; i <= 19; ++i) {
        if (answer[i] == mode_page::kCapabilities) {
            k = i;
            break;
        }
    }
    return (answer[k + 3] & 0x33) != 0;
}

}  // namespace tessaly
