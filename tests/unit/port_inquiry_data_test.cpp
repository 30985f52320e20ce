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

// Every bus of the buffer, as Windows' AHCI driver reports one SATA port per bus.
TEST(PortInquiryData, FullAddressesFindEntriesOnEveryBus) {
    PortBuffer port;
    port.Buses(4);
    port.Le32(4 + 4, 64);    // bus 0: the disk
    port.Le32(12 + 4, 0);    // bus 1: nothing
    port.Le32(20 + 4, 112);  // bus 2: the reader, then a second LUN
    port.Le32(28 + 4, 208);  // bus 3: the recorder
    port.Entry(64, 0, "OTHERCO SSD 256 ", 0);
    port.Entry(112, 0, "CD-ROM VN52A    ", 160);
    port.Entry(160, 0, "CD-ROM VN40S    ", 0);
    port.Entry(208, 0, "CD-R   VW2410A  ", 0);
    // PathId, TargetId 0, Lun and DeviceClaimed of an entry.
    auto path = [&](std::size_t at, std::uint8_t bus, std::uint8_t lun) {
        port.Le32(at, bus | (std::uint32_t{lun} << 16));
    };
    path(64, 0, 0);
    path(112, 2, 0);
    path(160, 2, 1);
    path(208, 3, 0);

    const std::vector<PortInquiryEntry> entries = ListPortInquiryEntries(port.View());
    ASSERT_EQ(entries.size(), 4u);
    struct Row {
        std::uint8_t bus, lun;
        const char* product;  // nullptr: no such device
    };
    const Row rows[] = {{0, 0, "OTHERCO SSD 256 "}, {1, 0, nullptr},
                        {2, 0, "CD-ROM VN52A    "}, {2, 1, "CD-ROM VN40S    "},
                        {3, 0, "CD-R   VW2410A  "}, {3, 1, nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(int{row.bus} * 10 + row.lun);
        InquiryIdentity id;
        ASSERT_EQ(FindPortInquiryEntry(port.View(), row.bus, 0, row.lun, id),
                  row.product != nullptr);
        if (row.product != nullptr) {
            EXPECT_EQ(std::string(id.product), row.product);
        }
    }
}

// Chains that loop, leave the buffer or name more buses than it holds end the walk.
TEST(PortInquiryData, FullWalkEndsOnHostileBuffers) {
    struct Row {
        const char* name;
        std::uint8_t buses;
        std::uint32_t first;
        std::uint32_t next;
        std::size_t size;
        std::size_t atMost;
    };
    const Row rows[] = {
        {"entry loops to itself", 1, 64, 64, 4096, 4096 / 12 + 1},
        {"chain leaves the buffer", 1, 64, 5000, 4096, 1},
        {"255 buses in a small buffer", 255, 64, 0, 128, 1},
        {"first offset past the end", 1, 4090, 0, 4096, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PortBuffer port(row.size);
        port.Buses(row.buses);
        port.FirstOffset(row.first);
        if (row.first + 64 <= row.size)
            port.Entry(row.first, 0, "CD-R   VW2410A  ", row.next);
        EXPECT_LE(ListPortInquiryEntries(port.View()).size(), row.atMost);
    }
}

}  // namespace
}  // namespace tessaly
