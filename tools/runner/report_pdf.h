// The information report as a one-page PDF file: the window's print button, with a PDF
// printer instead of the print dialog's. Built with cairo; a build without it says so.
#pragma once

#include <optional>
#include <string>

#include "app/main_dialog.h"
#include "platform/recording_printer.h"

namespace tessaly::runner {

// Whether this build writes PDF files (it is linked with cairo).
bool HasPdfOutput();

// Prints the report of the selected drive on path; false with the reason when the file
// cannot be written (or the build has no PDF output).
// The page's date is date, or the system's when there is none.
bool PrintReportPdf(app::MainDialog& dialog, const std::string& path,
                    std::optional<platform::FixedDate> date, std::string& error);

}  // namespace tessaly::runner
