// The PDF printer: the report printed through it makes a one-page PDF, texts are
// measured with the real font, and a file that cannot be written is a failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "fake_linux.h"
#include "platform/linux/cairo_printing.h"

namespace tessaly {
namespace {

using platform::linux_os::CairoPrinting;

std::string TempPdf() {
    testing::FakeSysfs dir;  // a fresh directory name, gone again at once
    return dir.Root() + ".pdf";
}

TEST(CairoPrinting, APageMakesAPdf) {
    const std::string path = TempPdf();
    {
        CairoPrinting printing(path);
        const platform::Hdc dc = printing.PrintDlgA(0);
        ASSERT_NE(dc, 0u);
        EXPECT_EQ(printing.GetDeviceCaps(dc, platform::kHorzRes), 5953);
        EXPECT_EQ(printing.GetDeviceCaps(dc, platform::kVertRes), 8419);
        EXPECT_EQ(printing.StartDocA(dc, "Tessaly"), 1);
        EXPECT_EQ(printing.StartPage(dc), 1);
        int shortWidth = 0;
        int longWidth = 0;
        int height = 0;
        ASSERT_TRUE(printing.GetTextExtentPoint32A(dc, "ab", 2, &shortWidth, &height));
        ASSERT_TRUE(printing.GetTextExtentPoint32A(dc, "abababab", 8, &longWidth, &height));
        EXPECT_GT(shortWidth, 0);
        EXPECT_GT(longWidth, 3 * shortWidth) << "measured with the font";
        EXPECT_GT(height, 0);
        const platform::GdiObject font = printing.CreateFontA(200, "Arial");
        EXPECT_EQ(printing.SelectObject(dc, font), font);
        int bigWidth = 0;
        ASSERT_TRUE(printing.GetTextExtentPoint32A(dc, "ab", 2, &bigWidth, &height));
        EXPECT_GT(bigWidth, shortWidth) << "a taller font is wider";
        EXPECT_TRUE(printing.TextOutA(dc, 100, 100, "Caf\xE9", 4));
        EXPECT_TRUE(printing.MoveToEx(dc, 100, 300));
        EXPECT_TRUE(printing.LineTo(dc, 2000, 300));
        EXPECT_EQ(printing.EndPage(dc), 1);
        EXPECT_EQ(printing.EndDoc(dc), 1);
        EXPECT_TRUE(printing.DeleteDC(dc));
        EXPECT_TRUE(printing.Succeeded()) << printing.Error();
        EXPECT_FALSE(printing.TextOutA(dc, 0, 0, "x", 1)) << "the page is gone";
    }
    std::ifstream file(path, std::ios::binary);
    std::string head(5, '\0');
    file.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");
    std::remove(path.c_str());
}

// A control byte in a drive's text is drawn as the replacement character, as the text
// output prints it: a NUL no longer cuts the text short, and every control byte (C0, DEL,
// code page 1252's C1 81h) takes the same place.
TEST(CairoPrinting, ControlBytesDrawnAsReplacements) {
    CairoPrinting printing(TempPdf());
    const platform::Hdc dc = printing.PrintDlgA(0);
    ASSERT_NE(dc, 0u);
    int height = 0;
    int plain = 0;
    ASSERT_TRUE(printing.GetTextExtentPoint32A(dc, "abbbbbbbb", 9, &plain, &height));
    const char* texts[] = {"a\0bbbbbbbb",
                           "a\x1B"
                           "bbbbbbbb",
                           "a\x7F"
                           "bbbbbbbb",
                           "a\x81"
                           "bbbbbbbb"};
    int widths[4] = {};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(printing.GetTextExtentPoint32A(dc, texts[i], 10, &widths[i], &height));
        EXPECT_GT(widths[i], plain) << "the control byte takes a place of its own";
        EXPECT_EQ(widths[i], widths[0]);
    }
}

TEST(CairoPrinting, AnUnwritableFileFails) {
    CairoPrinting printing("/nonexistent/folder/report.pdf");
    const platform::Hdc dc = printing.PrintDlgA(0);
    if (dc != 0) {
        printing.StartPage(dc);
        printing.EndPage(dc);
        printing.EndDoc(dc);
    }
    EXPECT_FALSE(printing.Succeeded());
    EXPECT_FALSE(printing.Error().empty());
}

TEST(CairoPrinting, NothingPrintedIsNoSuccess) {
    CairoPrinting printing(TempPdf());
    EXPECT_FALSE(printing.Succeeded());
}

}  // namespace
}  // namespace tessaly
