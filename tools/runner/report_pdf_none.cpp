#include "runner/report_pdf.h"

namespace tessaly::runner {

bool HasPdfOutput() {
    return false;
}

bool PrintReportPdf(app::MainDialog&, const std::string&, std::optional<platform::FixedDate>,
                    std::string& error) {
    error = "this build has no PDF output (built without cairo)";
    return false;
}

}  // namespace tessaly::runner
