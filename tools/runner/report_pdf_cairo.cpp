#include "platform/linux/cairo_printing.h"
#include "runner/report_pdf.h"

namespace tessaly::runner {

bool HasPdfOutput() {
    return true;
}

bool PrintReportPdf(app::MainDialog& dialog, const std::string& path,
                    std::optional<platform::FixedDate> date, std::string& error) {
    platform::linux_os::CairoPrinting printing(path, date);
    dialog.OnPrint(printing);
    if (printing.Succeeded())
        return true;
    error = "cannot write " + path + ": " +
            (printing.Error().empty() ? std::string("nothing was printed") : printing.Error());
    return false;
}

}  // namespace tessaly::runner
