// The information report's recorded page as a one-page PDF (A4), texts and rules where
// the report printer placed them. Built with cairo; a build without it says so.
#pragma once

#include <string>

#include "platform/recording_printer.h"

namespace tessaly::cli {

// False with a reason when the file cannot be written (or PDF output is not built in).
bool WriteReportPdf(const platform::PrintedPage& page, const std::string& path, std::string& error);

}  // namespace tessaly::cli
