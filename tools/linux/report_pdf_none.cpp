#include "report_pdf.h"

namespace tessaly::cli {

bool WriteReportPdf(const platform::PrintedPage&, const std::string&, std::string& error) {
    error = "this build has no PDF output (built without cairo)";
    return false;
}

}  // namespace tessaly::cli
