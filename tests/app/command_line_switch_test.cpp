// The Windows program's command-line switches: whole words only.
#include "app/command_line_switch.h"

#include <gtest/gtest.h>

namespace tessaly::app {
namespace {

TEST(CommandLineSwitch, WholeWordsOnly) {
    struct Row {
        const char* commandLine;
        bool found;
    } rows[] = {
        {"--any-maker", true},
        {"  --any-maker ", true},
        {"/x\t--any-maker", true},
        {"a --any-maker b", true},
        {"", false},
        {"--any-maker2", false},
        {"x--any-maker", false},
        {"--any-make", false},
        {"--any-makerr --any-maker", true},
        {"\"--any-maker\"", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(HasCommandLineSwitch(row.commandLine, "--any-maker"), row.found)
            << row.commandLine;
    EXPECT_FALSE(HasCommandLineSwitch(nullptr, "--any-maker"));
    EXPECT_FALSE(HasCommandLineSwitch("--any-maker", ""));
}

}  // namespace
}  // namespace tessaly::app
