// Printing the information report on one page, laid out in fractions of the
// printable area so that it looks the same at any printer resolution.
#pragma once

#include "disc/disc_fields.h"
#include "drives/drive_list.h"
#include "platform/platform.h"
#include "platform/printing.h"
#include "report/report_content.h"
#include "transport/scsi_transport.h"

namespace tessaly {

// Page geometry in device units: width W, height H, margin W/20, top H/20, line step
// H/60, rule width H/1000.
struct PageGeometry {
    int width = 0;
    int height = 0;
    int margin = 0;
    int top = 0;
    int lineStep = 0;
    int ruleWidth = 0;
};
PageGeometry PageGeometryOf(int width, int height);

// Lays the report out on the device context's page (the document and page already
// started).
void DrawInfoReport(platform::Printing& printing, platform::Hdc dc, const PageGeometry& page,
                    platform::GdiObject pen, const InfoReport& report);

enum class PrintOutcome {
    kPrinted,
    kCancelled,   // in the print dialog, or in the printer's own prompt at the document's start
    kNotStarted,  // the printer refused the document (StartDocA failed otherwise)
};

// The print button: the print dialog, owned by `owner` (the main window), then the report
// read afresh and printed on one page. Nothing is read or printed when the dialog was
// cancelled; the report is read but not printed when the document did not start.
PrintOutcome PrintInformationReport(ScsiTransport& transport, platform::Platform& platform,
                                    platform::Printing& printing, const DriveList& drives,
                                    DiscFields& shown, platform::Hwnd owner);

}  // namespace tessaly
