// The application manifest as the built program carries it: the RT_MANIFEST resource
// (id 1) of tessaly.exe or tessaly64.exe, read through the loader as Windows reads it
// when the program starts, and checked for the elevation it asks for, its DPI awareness
// and the Windows versions it declares.
//
//   manifest_wine_test [--gtest flags] [PROGRAM]
//     PROGRAM  the program file (Windows or Unix path); default: TESSALY_EXE when set
//              (the shipped build), else the program beside this exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "wine_window.h"

namespace tessaly::wine_test {
namespace {

std::string programPath;

// The manifest text, empty when the program or its resource is missing.
std::string ReadManifest(const std::string& path) {
    const HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return {};
    std::string text;
    const HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    const HGLOBAL loaded = info != nullptr ? ::LoadResource(module, info) : nullptr;
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    const DWORD size = info != nullptr ? ::SizeofResource(module, info) : 0;
    if (data != nullptr)
        text.assign(static_cast<const char*>(data), size);
    ::FreeLibrary(module);
    return text;
}

// The text between <name ...> and </name> after the element's own attributes, or the
// attributes of an empty element <name .../>; empty when the element is missing.
std::string Element(const std::string& manifest, const std::string& name) {
    const std::size_t open = manifest.find("<" + name);
    if (open == std::string::npos)
        return {};
    const std::size_t close = manifest.find('>', open);
    if (close == std::string::npos)
        return {};
    if (manifest[close - 1] == '/')
        return manifest.substr(open, close + 1 - open);
    const std::size_t end = manifest.find("</" + name, close);
    return end == std::string::npos ? std::string() : manifest.substr(close + 1, end - close - 1);
}

class Manifest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { manifest_ = ReadManifest(programPath); }
    void SetUp() override {
        ASSERT_FALSE(manifest_.empty()) << "no RT_MANIFEST resource 1 in " << programPath;
    }
    static inline std::string manifest_;
};

TEST_F(Manifest, AsksForTheHighestTokenOfTheUser) {
    const std::string level = Element(manifest_, "requestedExecutionLevel");
    EXPECT_NE(level.find("level=\"highestAvailable\""), std::string::npos) << level;
    EXPECT_NE(level.find("uiAccess=\"false\""), std::string::npos) << level;
}

TEST_F(Manifest, DeclaresSystemDpiAwareness) {
    EXPECT_EQ(Element(manifest_, "dpiAware"), "true");
    EXPECT_NE(manifest_.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/"
                             "WindowsSettings\">"),
              std::string::npos);
}

TEST_F(Manifest, DeclaresVistaToEleven) {
    struct Row {
        const char* windows;
        const char* id;
    };
    const Row rows[] = {
        {"Vista", "{e2011457-1546-43c5-a5fe-008deee3d3f0}"},
        {"7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
        {"8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
        {"8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
        {"10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
    };
    for (const Row& row : rows) {
        EXPECT_NE(manifest_.find(std::string("<supportedOS Id=\"") + row.id + "\"/>"),
                  std::string::npos)
            << "Windows " << row.windows;
    }
}

// No dependency on Common Controls 6: the window keeps its classic controls.
TEST_F(Manifest, KeepsTheClassicControls) {
    EXPECT_EQ(manifest_.find("Microsoft.Windows.Common-Controls"), std::string::npos);
}

}  // namespace
}  // namespace tessaly::wine_test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    using tessaly::wine_test::programPath;
    if (argc > 1)
        programPath = tessaly::wine_test::WindowsPath(argv[1]);
    if (programPath.empty())
        programPath =
            tessaly::wine_test::WindowsPath(tessaly::wine_test::EnvironmentText("TESSALY_EXE"));
    if (programPath.empty())
        programPath = tessaly::wine_test::ExeDirectory() + TESSALY_PROGRAM;
    std::fprintf(stderr, "manifest of %s\n", programPath.c_str());
    return RUN_ALL_TESTS();
}
