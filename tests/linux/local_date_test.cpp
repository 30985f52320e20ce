// The report's date without a fixed one: the local day of the machine's time zone, as
// Windows' GetLocalTime gives it, not the UTC day. Two zones 26 hours apart never share a
// calendar day, so their dates differ whatever the time of the test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/recording_printer.h"
#include "report/report_content.h"

namespace tessaly::testing {
namespace {

// The report's date text with the process in time zone `zone` (a POSIX TZ value).
std::string DateIn(const char* zone, std::optional<platform::FixedDate> fixed = std::nullopt) {
    const char* before = std::getenv("TZ");
    const std::string saved = before != nullptr ? before : "";
    ::setenv("TZ", zone, 1);
    ::tzset();
    platform::RecordingPrinter printer(std::nullopt, fixed);
    const std::string text = ReportDate(printer);
    if (before != nullptr)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    return text;
}

TEST(ReportDate, IsTheLocalDay) {
    const std::string east = DateIn("EAST-14");
    const std::string west = DateIn("WEST+12");
    EXPECT_FALSE(east.empty());
    EXPECT_FALSE(west.empty());
    EXPECT_NE(east, west) << "both zones gave the same day";
    // The scenario's fixed date is the local day it reports, in any zone.
    EXPECT_EQ(DateIn("EAST-14", platform::FixedDate{2003, 5, 14}), "14 May 2003");
    EXPECT_EQ(DateIn("WEST+12", platform::FixedDate{2003, 5, 14}), "14 May 2003");
}

}  // namespace
}  // namespace tessaly::testing
