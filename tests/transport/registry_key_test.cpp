// Reading registry values the way the transport does: two steps, cut to the buffer.
#include "transport/registry_key.h"

#include <gtest/gtest.h>

#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

const char kValues[] = R"("registry": {"HKLM\\Enum\\Test": {
    "Short": "abc", "Long": "0123456789abcdefghij", "Empty": {"hex": ""}, "Multi": ["USB\\A", "B"]}})";

TEST(RegistryKey, TextsAreCutToTheBufferAndTerminated) {
    Pc pc(Json({kWin98, kValues}));
    RegistryKey key(*pc.machine);
    ASSERT_TRUE(key.Open(platform::kHkeyLocalMachine, {"Enum", "Test"}, platform::kKeyQueryValue));
    char text[8];
    ASSERT_TRUE(key.ReadText("Short", text, sizeof text));
    EXPECT_STREQ(text, "abc");
    ASSERT_TRUE(key.ReadText("Long", text, sizeof text));
    EXPECT_STREQ(text, "0123456");
    ASSERT_TRUE(key.ReadText("Multi", text, sizeof text));
    EXPECT_STREQ(text, "USB\\A") << "a list reads as its first text";
    EXPECT_FALSE(key.ReadText("Missing", text, sizeof text));
    key.Close();
    EXPECT_EQ(pc.machine->Registry().OpenKeyCount(), 0u);
}

// Found by fuzzing: a value of zero bytes was copied from a null buffer.
TEST(RegistryKey, EmptyValueReadsAsEmptyText) {
    Pc pc(Json({kWin98, kValues}));
    RegistryKey key(*pc.machine);
    ASSERT_TRUE(key.Open(platform::kHkeyLocalMachine, {"Enum", "Test"}, platform::kKeyQueryValue));
    char text[8] = "xxxxxxx";
    ASSERT_TRUE(key.ReadText("Empty", text, sizeof text));
    EXPECT_STREQ(text, "");
}

TEST(RegistryKey, LevelsAreOpenedOneByOneAndParentsClosed) {
    Pc pc(Json({kWin98, kValues}));
    {
        RegistryKey key(*pc.machine);
        ASSERT_TRUE(key.Open(platform::kHkeyLocalMachine, {"Enum", "Test"}, platform::kKeyRead));
        EXPECT_EQ(pc.machine->Registry().OpenKeyCount(), 1u);
        RegistryKey missing(*pc.machine);
        EXPECT_FALSE(missing.Open(platform::kHkeyLocalMachine, {"Enum", "Nothing", "Deeper"},
                                  platform::kKeyRead));
        EXPECT_EQ(pc.machine->Registry().OpenKeyCount(), 1u);
    }
    EXPECT_EQ(pc.machine->Registry().OpenKeyCount(), 0u);
    const auto& opens = pc.machine->Registry().Opens();
    ASSERT_GE(opens.size(), 2u);
    EXPECT_EQ(opens[0].path, "HKLM\\Enum");
    EXPECT_EQ(opens[1].path, "HKLM\\Enum\\Test");
}

}  // namespace
}  // namespace tessaly::testing
