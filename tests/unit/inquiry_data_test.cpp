#include "transport/inquiry_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

std::vector<std::uint8_t> Answer(const std::string& vendor, const std::string& product,
                                 const std::string& revision) {
    std::vector<std::uint8_t> a(56, 0);
    a[0] = 0x05;
    a[4] = 31;
    std::copy(vendor.begin(), vendor.end(), a.begin() + 8);
    std::copy(product.begin(), product.end(), a.begin() + 16);
    std::copy(revision.begin(), revision.end(), a.begin() + 32);
    return a;
}

TEST(InquiryData, KeepsFullWidthsWithTrailingBlanks) {
    const auto a = Answer("VARNOTH ", "CD-R   VW2410A  ", "1.04");
    const InquiryIdentity id = ParseInquiryData(ByteView(a.data(), a.size()));
    EXPECT_EQ(id.peripheral, 0x05);
    EXPECT_EQ(std::string(id.vendor), "VARNOTH ");
    EXPECT_EQ(std::string(id.product), "CD-R   VW2410A  ");
    EXPECT_EQ(id.product[16], '\0');
    EXPECT_EQ(std::string(id.revision), "1.04");
}

TEST(InquiryData, ShortAnswerReadsAsNulBeyondItsEnd) {
    const auto full = Answer("VARNOTH ", "CD-R   VW2410A  ", "1.04");
    const InquiryIdentity id = ParseInquiryData(ByteView(full.data(), 20));
    EXPECT_EQ(std::string(id.vendor), "VARNOTH ");
    EXPECT_EQ(std::string(id.product), "CD-R");
    EXPECT_EQ(std::string(id.revision), "");
    const InquiryIdentity none = ParseInquiryData(ByteView(nullptr, 56));
    EXPECT_EQ(none.peripheral, 0);
    EXPECT_EQ(std::string(none.vendor), "");
}

TEST(InquiryData, CdbAsksForFiftySixBytes) {
    std::uint8_t cdb[6];
    BuildInquiryCdb(cdb);
    const std::uint8_t expected[6] = {0x12, 0, 0, 0, 0x38, 0};
    EXPECT_EQ(0, std::memcmp(cdb, expected, 6));
}

}  // namespace
}  // namespace tessaly
