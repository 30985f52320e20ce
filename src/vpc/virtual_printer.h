// The virtual PC's printer and clock: the recording printer with the scenario's paper
// and date (see platform/recording_printer.h).
#pragma once

#include <optional>

#include "platform/recording_printer.h"
#include "vpc/scenario.h"

namespace tessaly::vpc {

using platform::PrintedLine;
using platform::PrintedPage;
using platform::PrintedText;

class VirtualPrinter final : public platform::RecordingPrinter {
  public:
    VirtualPrinter(std::optional<PrinterSpec> printer, std::optional<DateSpec> date)
        : RecordingPrinter(Paper(printer), Date(date)) {}

  private:
    static std::optional<platform::PaperSpec> Paper(const std::optional<PrinterSpec>& printer) {
        if (!printer)
            return std::nullopt;
        return platform::PaperSpec{printer->width,         printer->height,
                                   printer->cancel,        printer->fontHeight,
                                   printer->startDocError, printer->dotsPerInch};
    }
    static std::optional<platform::FixedDate> Date(const std::optional<DateSpec>& date) {
        if (!date)
            return std::nullopt;
        return platform::FixedDate{date->year, date->month, date->day};
    }
};

}  // namespace tessaly::vpc
