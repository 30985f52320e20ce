// The ASPI manager file's version resource as the virtual PC reports it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vpc/scenario.h"
#include "vpc/virtual_pc.h"

namespace tessaly::vpc::testing {
namespace {

VirtualPc Pc(const std::string& aspi) {
    std::string error;
    auto scenario =
        ParseScenario(R"({"os": {"platform": 1, "major": 4, "minor": 10})" + aspi + "}", error);
    EXPECT_TRUE(scenario.has_value()) << error;
    return VirtualPc(std::move(*scenario));
}

std::string Query(VirtualPc& pc, const char* subBlock) {
    const std::uint32_t size = pc.GetFileVersionInfoSizeA("wnaspi32.dll");
    if (size == 0)
        return "(no resource)";
    std::vector<std::uint8_t> block(size);
    if (!pc.GetFileVersionInfoA("WNASPI32.DLL", size, block.data()))
        return "(unreadable)";
    const void* value = nullptr;
    std::uint32_t length = 0;
    if (!pc.VerQueryValueA(block.data(), subBlock, &value, &length))
        return "(missing)";
    return std::string(static_cast<const char*>(value), length ? length - 1 : 0);
}

TEST(VpcVersionResource, StringsUnderTheirTranslation) {
    VirtualPc pc = Pc(R"(, "aspi": {"file_version": "1, 0, 0, 0", "description": "ASPI for Win32",
                          "company": "Example Software Inc."})");
    EXPECT_EQ(Query(pc, "\\StringFileInfo\\040904e4\\FileVersion"), "1, 0, 0, 0");
    EXPECT_EQ(Query(pc, "\\StringFileInfo\\040904E4\\FileDescription"), "ASPI for Win32");
    EXPECT_EQ(Query(pc, "\\StringFileInfo\\040904e4\\CompanyName"), "Example Software Inc.");
    EXPECT_EQ(Query(pc, "\\StringFileInfo\\040704e4\\FileVersion"), "(missing)");
    EXPECT_EQ(Query(pc, "\\VarFileInfo\\Translation").size(), 3u) << "4 bytes, read as a text";
}

TEST(VpcVersionResource, MissingPieces) {
    VirtualPc none = Pc("");
    EXPECT_EQ(Query(none, "\\VarFileInfo\\Translation"), "(no resource)");
    VirtualPc bare = Pc(R"(, "aspi": {"file_version": null})");
    EXPECT_EQ(Query(bare, "\\VarFileInfo\\Translation"), "(no resource)");
    VirtualPc noTranslation = Pc(R"(, "aspi": {"translation": null})");
    EXPECT_EQ(Query(noTranslation, "\\VarFileInfo\\Translation"), "(missing)");
    VirtualPc noCompany = Pc(R"(, "aspi": {})");
    EXPECT_EQ(Query(noCompany, "\\StringFileInfo\\040904e4\\CompanyName"), "(missing)");
    EXPECT_EQ(Query(noCompany, "\\StringFileInfo\\040904e4\\FileVersion"), "4, 60, 0, 1021");
}

TEST(VpcVersionResource, ACutCopyIsReadOnlyAsFarAsItGoes) {
    VirtualPc pc = Pc(R"(, "aspi": {"file_version": "4, 60, 0, 1021", "company": "Example"})");
    const std::uint32_t size = pc.GetFileVersionInfoSizeA("wnaspi32.dll");
    std::vector<std::uint8_t> block(size / 2);
    ASSERT_TRUE(pc.GetFileVersionInfoA("wnaspi32.dll", size / 2, block.data()));
    const void* value = nullptr;
    std::uint32_t length = 0;
    EXPECT_FALSE(pc.VerQueryValueA(block.data(), "\\StringFileInfo\\040904e4\\CompanyName", &value,
                                   &length));
}

}  // namespace
}  // namespace tessaly::vpc::testing
