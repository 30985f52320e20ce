// Walking a port's inquiry-data buffer: honest chains, and buffers a faulty or
// hostile driver could return.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "transport/inquiry_data.h"

namespace tessaly {
namespace {

class PortBuffer {
  public:
    explicit PortBuffer(std::size_t size = 4096) : bytes_(size, 0) {}
    void Buses(std::uint8_t count) { bytes_[0] = count; }
    void FirstOffset(std::uint32_t offset) { Le32(8, offset); }
    // An entry at offset whose inquiry data names product.
    void Entry(std::uint32_t offset, std::uint8_t target, const char* product, std::uint32_t next,
               std::uint32_t length = 36) {
        bytes_[offset + 1] = target;
        Le32(offset + 4, length);
        Le32(offset + 8, next);
        bytes_[offset + 12] = 0x05;
        std::memcpy(&bytes_[offset + 12 + 8], "VARNOTH ", 8);
        std::memcpy(&bytes_[offset + 12 + 16], product, 16);
    }
    ByteView View() const { return ByteView(bytes_.data(), bytes_.size()); }
    void Le32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }

  private:
    std::vector<std::uint8_t> bytes_;
};

TEST(PortInquiryData, FirstEntryOfTheChainWithTheTargetWins) {
    PortBuffer port;
    port.Buses(1);
    port.FirstOffset(16);
    port.Entry(16, 3, "CD-ROM VN40S    ", 64);
    port.Entry(64, 1, "CD-R   VW2410A  ", 112);
    port.Entry(112, 1, "CD-R   VW0404   ", 0);
    InquiryIdentity id;
    ASSERT_TRUE(FindPortInquiryEntry(port.View(), 1, id));
    EXPECT_EQ(std::string(id.product), "CD-R   VW2410A  ");
    EXPECT_EQ(id.peripheral, 0x05);
    ASSERT_TRUE(FindPortInquiryEntry(port.View(), 3, id));
    EXPECT_EQ(std::string(id.product), "CD-ROM VN40S    ");
    EXPECT_FALSE(FindPortInquiryEntry(port.View(), 7, id));
}

TEST(PortInquiryData, HostileBuffersEndTheWalk) {
    struct Row {
        const char* what;
        void (*build)(PortBuffer&);
    };
    const Row rows[] = {
        {"no bus", [](PortBuffer& p) { p.FirstOffset(16), p.Entry(16, 1, "X               ", 0); }},
        {"offset past the end", [](PortBuffer& p) { p.Buses(1), p.FirstOffset(5000); }},
        {"header cut by the end", [](PortBuffer& p) { p.Buses(1), p.FirstOffset(4090); }},
        {"chain loops to itself",
         [](PortBuffer& p) {
             p.Buses(1), p.FirstOffset(16), p.Entry(16, 2, "X               ", 16);
         }},
        {"next offset huge",
         [](PortBuffer& p) {
             p.Buses(1), p.FirstOffset(16), p.Entry(16, 2, "X               ", 0xFFFFFFF0u);
         }},
    };
    for (const Row& row : rows) {
        PortBuffer port;
        row.build(port);
        InquiryIdentity id;
        EXPECT_FALSE(FindPortInquiryEntry(port.View(), 1, id)) << row.what;
    }
}

TEST(PortInquiryData, DataIsLimitedToItsDeclaredLengthAndTheBuffer) {
    PortBuffer port;
    port.Buses(1);
    port.FirstOffset(16);
    port.Entry(16, 1, "CD-R   VW2410A  ", 0, 20);  // vendor whole, product cut after 4
    InquiryIdentity id;
    ASSERT_TRUE(FindPortInquiryEntry(port.View(), 1, id));
    EXPECT_EQ(std::string(id.vendor), "VARNOTH ");
    EXPECT_EQ(std::string(id.product), "CD-R");

    // An entry whose data runs past the end of a short buffer reads as NUL there.
    PortBuffer tiny(48);
    tiny.Buses(1);
    tiny.FirstOffset(16);
    tiny.Le32(16 + 4, 36);
    InquiryIdentity cut;
    EXPECT_TRUE(FindPortInquiryEntry(tiny.View(), 0, cut));
    EXPECT_EQ(std::string(cut.product), "");
}

}  // namespace
}  // namespace tessaly
