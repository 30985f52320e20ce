#include "app/main_dialog.h"

#include <cstring>
#include <utility>

#include "app/drive_label_rule.h"
#include "drives/drive_scope.h"
#include "drives/model_identification.h"
#include "platform/file_version.h"
#include "platform/os_version.h"
#include "report/report_printer.h"
#include "transport/inquiry_data.h"

namespace tessaly::app {

namespace {

constexpr std::uint32_t kWindows98Minor = 10;
// The peripheral byte of a connected CD/DVD (MMC) device.
constexpr std::uint8_t kMmcDevice = 0x05;

}  // namespace

bool MainDialog::AspiVersionCheck() {
    // Zero-filled, so the four characters tested exist whatever the text's length.
    char version[64] = {};
    platform::VersionString strings[] = {{"FileVersion", version, sizeof version}};
    if (!platform::ReadVersionStrings(platform_, aspi::kManagerFileName, strings, 1))
        return false;
    if (version[0] == '\0')
        std::strcpy(version, "n/a");
    // "1, 0, 0, 0": version 1.0.0.0 in the form version resources write it.
    if (version[0] != '1' || version[3] != '0' || version[6] != '0' || version[9] != '0') {
        return false;
    }
    view_.ShowAspiWarningDialog();
    return true;
}

bool MainDialog::OnInitDialog() {
    const int navyFields[] = {IDC_HOST_ADAPTER,  IDC_TARGET_ID,    IDC_LEAD_OUT_LBA,
                              IDC_LEAD_IN_LBA,   IDC_LEAD_IN_TIME, IDC_MANUFACTURER,
                              IDC_LEAD_OUT_TIME, IDC_STATUS};
    for (int id : navyFields)
        view_.SetTextColor(id, kColorNavy);
    // NT 6 and later reach the drives by pass-through alone, so an old manager file there
    // is never loaded and gets no warning.
    const bool managerUnused = platform::OsVersion::Read(platform_).IsNt6OrLater();
    const bool outdatedManager = !managerUnused && AspiVersionCheck();
    const std::int32_t result = transport_.Initialize();

    if (result == 0 && !transport_.AnyUsbAttached()) {
        // A user refused the drives on NT 6 and later gets the one message that says so
        // (below): the manager's message would name a layer those systems never use.
        if (!(transport_.Os().IsNt6OrLater() && transport_.DriveAccessDenied()))
            view_.MessageBox("ASPI for Win32 is not initialized!", "Error", kMbOk | kMbIconError);
        view_.Close();
    } else {
        platform::OsVersionInfo version;
        if (!platform_.GetVersionExA(version))
            version = platform::OsVersionInfo{};
        if (version.minorVersion == kWindows98Minor && outdatedManager &&
            transport_.AnyUsbAttached()) {
            const int answer = view_.MessageBox(
                "WARNING: USB devices detected with older Aspi layer!\n\tDo you wish to continue?",
                "Tessaly", kMbOkCancel | kMbIconExclamation);
            if (answer != kIdOk) {
                transport_.Shutdown();
                view_.DestroyWindow();
                return false;
            }
        }
        ListAdapterDrives(result & 0xFF);
        ListExternalDrives();
        view_.SelectDriveItem(0);
    }

    for (DiscField field : {kFieldLeadOutLba, kFieldLeadInLba, kFieldLeadOutTime, kFieldLeadInTime,
                            kFieldManufacturer}) {
        view_.SetField(field, "-");
    }
    view_.SetField(kFieldStatus, "CD-R(W) inserted");

    if (drives_.count >= 1) {
        drives_.selected = 0;
        panel_.ShowSelectedDrive(0);
        panel_.StartPolling();
    } else {
        // Later Windows refuse the drives to a user who is not an administrator; saying
        // so tells that user what to do. The transport counts refusals on those systems
        // only, so earlier ones keep the single line.
        const bool denied = transport_.DriveAccessDenied();
        view_.MessageBox(denied ? "No Varnoth drives detected!\nAccess to the drives was denied: "
                                  "run Tessaly as administrator."
                                : "No Varnoth drives detected!",
                         view_.ApplicationName(), kMbOk | kMbIconError);
        view_.Close();
    }
    return true;
}

void MainDialog::AddDrive(const DriveAddress& drive, std::string label) {
    // The list holds 32 drives; further ones are not listed, so every item keeps its entry.
    if (!drives_.Add(drive))
        return;
    view_.AddDriveItem(std::move(label));
}

void MainDialog::ListDrive(const DriveAddress& drive, const InquiryIdentity& identity,
                           DriveOrigin origin) {
    if (IsSupportedDrive(transport_, drive)) {
        AddDrive(drive,
                 ChooseDriveLabel(identity.product, transport_.IsUsbAttached(drive) == 1,
                                  transport_.Is1394Attached(drive) == 1, drive.target, origin));
    } else if (AnyMakerDrives() && identity.peripheral == kMmcDevice) {
        AddDrive(drive, OtherDriveLabel(identity.vendor, identity.product, drive.target));
    }
}

void MainDialog::ListAdapterDrives(int adapterCount) {
    for (const DriveAddress& drive : transport_.DiscoveryAddresses(adapterCount)) {
        InquiryIdentity identity;
        if (transport_.Inquiry(drive, identity) == 0)
            continue;
        ListDrive(drive, identity, DriveOrigin::kAdapter);
    }
}

void MainDialog::ListExternalDrives() {
    if (!transport_.HasExternalDevices() ||
        transport_.FirstExternalAdapter() == kNoExternalAdapter) {
        return;
    }
    int adapter = transport_.FirstExternalAdapter();
    const int slots = transport_.ExternalSlotCount();
    for (int slot = 0; slot < slots; ++slot) {
        if (transport_.GetExternalDevice(slot).present == 0)
            continue;
        const DriveAddress drive(static_cast<std::uint32_t>(adapter), 0);
        InquiryIdentity identity;
        if (adapter < slots && transport_.Inquiry(drive, identity) != 0)
            ListDrive(drive, identity, DriveOrigin::kExternal);
        ++adapter;  // the next present slot is the next adapter, listed or not
    }
}

bool MainDialog::OnPrint(platform::Printing& printing) {
    const PrintOutcome outcome = PrintInformationReport(transport_, platform_, printing, drives_,
                                                        view_, view_.WindowHandle());
    if (outcome == PrintOutcome::kNotStarted) {
        view_.MessageBox("Unable to print the information report!", view_.ApplicationName(),
                         kMbOk | kMbIconError);
    }
    return outcome == PrintOutcome::kPrinted;
}

void MainDialog::ReleaseAndStop() {
    transport_.Shutdown();
    panel_.StopPolling();
}

void MainDialog::OnClose() {
    ReleaseAndStop();
    OnCancel();
}

void MainDialog::OnCancel() {
    ReleaseAndStop();
    view_.EndDialog(kIdCancel);
}

}  // namespace tessaly::app
