// One refresh of the disc fields, by what the drive answers.
#include "disc/disc_panel.h"

#include <gtest/gtest.h>

#include "support/field_map.h"
#include "support/pc_fixture.h"

namespace tessaly::testing {
namespace {

std::string Hex(const std::vector<std::pair<int, int>>& bytes, int length) {
    std::vector<int> data(length, 0);
    for (const auto& [at, value] : bytes)
        data[at] = value;
    std::string hex;
    char b[8];
    for (int v : data) {
        std::snprintf(b, sizeof b, "%02x ", v);
        hex += b;
    }
    return hex;
}

// An ATIP answer: byte 6, lead-in, lead-out, A1 byte 0, A1 byte 2, A2 byte 0.
std::string Atip(int byte6, int inM, int inS, int inF, int outM, int outS, int outF, int a1 = 0,
                 int a1c = 0, int a2 = 0) {
    return Hex({{1, 26},
                {4, 0x80},
                {6, byte6},
                {8, inM},
                {9, inS},
                {10, inF},
                {12, outM},
                {13, outS},
                {14, outF},
                {16, a1},
                {18, a1c},
                {20, a2}},
               28);
}

std::string Recorder(const std::string& answers, const std::string& fail = "{}") {
    return Win98Drive("atapi", R"({"model": "CD-R   VW2410A", "answers": )" + answers +
                                   R"(, "fail": )" + fail + "}");
}

std::string Reader(const std::string& answers, const std::string& fail = "{}") {
    return Win98Drive("scsi", R"({"model": "CD-ROM VN40S", "answers": )" + answers +
                                  R"(, "fail": )" + fail + "}");
}

FieldMap Refresh(Pc& pc, FieldMap fields = {}) {
    pc.transport->Initialize();
    RefreshDiscPanel(*pc.transport, {0, 1}, fields);
    return fields;
}

// The fields that show the disc's times, block number and maker.
constexpr DiscField kDataFields[] = {kFieldLeadOutTime, kFieldLeadOutLba, kFieldManufacturer,
                                     kFieldLeadInTime, kFieldLeadInLba};
const std::string kWriteOnce = "00 20 00 01";  // disc information: not erasable
const std::string kErasable = "00 20 10 01";

TEST(DiscPanel, BlankCdROnARecorder) {
    Pc pc(Recorder(R"({"51": ")" + kWriteOnce + R"(", "43/4": ")" +
                   Atip(0x00, 97, 26, 66, 79, 59, 74) + "\"}"));
    const FieldMap f = Refresh(pc);
    EXPECT_EQ(f.Get(kFieldStatus), "CD-R inserted");
    EXPECT_EQ(f.Get(kFieldLeadInTime), "97m26s66f");
    EXPECT_EQ(f.Get(kFieldLeadInLba), "438516");
    EXPECT_EQ(f.Get(kFieldLeadOutTime), "79:59:74");
    EXPECT_EQ(f.Get(kFieldLeadOutLba), "359999");
    EXPECT_EQ(f.Get(kFieldManufacturer), "CMC Magnetics Corporation (type 6) ");
    EXPECT_EQ(f.Get(kFieldExtra), "");
}

TEST(DiscPanel, RewritableClassesAndSpeeds) {
    struct Row {
        int subTypeBits;  // byte 6 bits 4-3
        int a1;
        int a2;
        const char* status;
    };
    const Row rows[] = {
        {0, 0x12, 0, "NS CD-RW inserted (2X-4X compatible)"},
        {0, 0x22, 0, "NS CD-RW inserted (4X compatible)"},
        {0, 0x10, 0, "NS CD-RW inserted"},
        {1, 0x14, 0, "HS CD-RW inserted (2X-10X compatible)"},
        {1, 0x57, 0, "HS CD-RW inserted"},  // indexes beyond the tables name no speed
        {2, 0, 0x08, "US CD-RW inserted (24X compatible)"},
        {3, 0, 0x0B, "US CD-RW inserted (48X compatible)"},
        {2, 0, 0x04, "US CD-RW inserted"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.status);
        const int byte6 = 0x40 | (row.subTypeBits << 3) | 0x04;
        Pc pc(Recorder(R"({"51": ")" + kErasable + R"(", "43/4": ")" +
                       Atip(byte6, 97, 26, 65, 74, 12, 0, row.a1, 0, row.a2) + "\"}"));
        const FieldMap f = Refresh(pc);
        EXPECT_EQ(f.Get(kFieldStatus), row.status);
        EXPECT_EQ(f.Get(kFieldManufacturer), "MEMOREX (type 5) ");
    }
}

TEST(DiscPanel, NotACdRKeepsTheOtherFields) {
    Pc pc(Recorder(R"({"51": ")" + kWriteOnce + R"(", "43/4": ")" +
                   Atip(0x00, 80, 0, 0, 79, 59, 74) + "\"}"));
    FieldMap before;
    for (DiscField id : kDataFields)
        before.SetField(id, "old");
    const FieldMap f = Refresh(pc, before);
    EXPECT_EQ(f.Get(kFieldStatus), "Disc is not a CD-R(W)");
    for (DiscField id : kDataFields)
        EXPECT_EQ(f.Get(id), "old") << id;
    EXPECT_EQ(f.Get(kFieldExtra), "");
}

TEST(DiscPanel, FailedAtipReadShowsTheSenseAndDashes) {
    struct Row {
        std::string tray;
        const char* status;
    };
    const Row rows[] = {{"open", "No CD inserted"}, {"closed", "No CD inserted"}};
    for (const Row& row : rows) {
        Pc pc(Win98Drive("atapi", R"({"model": "CD-R   VW2410A", "tray": ")" + row.tray + "\"}"));
        const FieldMap f = Refresh(pc);
        EXPECT_EQ(f.Get(kFieldStatus), row.status) << row.tray;
        for (DiscField id : kDataFields)
            EXPECT_EQ(f.Get(id), "-") << id;
        EXPECT_EQ(f.Get(kFieldExtra), "");
    }
    Pc becoming(Recorder("{}", R"({"43/4": "02/04/01", "51": "02/04/01"})"));
    EXPECT_EQ(Refresh(becoming).Get(kFieldStatus), "Reading of TOC in progress");
    Pc error(Recorder("{}", R"({"43/4": "03/11/00", "51": "03/11/00"})"));
    EXPECT_EQ(Refresh(error).Get(kFieldStatus), "Error reading CD information");
}

TEST(DiscPanel, FailedDiscInformationLeavesTheStatusEmpty) {
    Pc pc(Recorder(R"({"43/4": ")" + Atip(0x00, 97, 24, 1, 79, 59, 74) + "\"}",
                   R"({"51": "03/11/00"})"));
    const FieldMap f = Refresh(pc);
    EXPECT_EQ(f.Get(kFieldStatus), "");
    EXPECT_EQ(f.Get(kFieldLeadInTime), "97m24s01f");
}

TEST(DiscPanel, HighCapacityCdRNeverReachesTheLookup) {
    const std::string info = Hex({{1, 32}, {21, 89}, {22, 59}, {23, 74}}, 34);
    Pc pc(Recorder(R"({"51": ")" + info + R"(", "43/4": ")" +
                   Atip(0x04, 97, 24, 1, 79, 59, 74, 0, 0x01) + "\"}"));
    pc.transport->Initialize();
    pc.machine->ClearCommandLog();
    FieldMap f;
    RefreshDiscPanel(*pc.transport, {0, 1}, f);
    EXPECT_EQ(f.Get(kFieldStatus), "HC-R inserted");
    EXPECT_EQ(f.Get(kFieldManufacturer), "-");
    EXPECT_EQ(f.Get(kFieldLeadInTime), "97m24s01f");
    EXPECT_EQ(f.Get(kFieldLeadOutTime), "89:59:74");
    EXPECT_EQ(f.Get(kFieldLeadOutLba), std::to_string(89 * 4500 + 59 * 75 + 74));
    EXPECT_EQ(f.Get(kFieldLeadInLba), "(unset)");
    for (const auto& command : pc.machine->CommandLog()) {
        EXPECT_EQ(command.find("0:1 03 "), std::string::npos) << "the lookup's REQUEST SENSE";
    }
}

// A reader's full TOC: sessions first..last, and a C0h descriptor (BCD) if given.
std::string FullToc(int first, int last, int c0m = -1, int c0s = 0, int c0f = 0) {
    std::vector<std::pair<int, int>> bytes = {{2, first}, {3, last}};
    int count = 2;
    bytes.push_back({4 + 3, 0xA0});
    bytes.push_back({4 + 8, 0x01});
    bytes.push_back({15 + 3, 0x01});
    if (c0m >= 0) {
        bytes.push_back({26 + 3, 0xC0});
        bytes.push_back({26 + 8, c0m});
        bytes.push_back({26 + 9, c0s});
        bytes.push_back({26 + 10, c0f});
        ++count;
    }
    bytes.push_back({1, 2 + 11 * count});
    return Hex(bytes, 4 + 11 * count);
}

TEST(DiscPanel, ReaderSessions) {
    {
        Pc pc(Reader(R"({"43/2": ")" + FullToc(1, 1) + "\"}"));
        FieldMap before;
        before.SetField(kFieldLeadInTime, "-");
        const FieldMap f = Refresh(pc, before);
        EXPECT_EQ(f.Get(kFieldStatus), "Not a multisession CD-R(W)");
        EXPECT_EQ(f.Get(kFieldLeadInTime), "-");
        EXPECT_EQ(f.Get(kFieldExtra), "(unset)");
    }
    {
        Pc pc(Reader(R"({"43/2": ")" + FullToc(1, 2, 0x97, 0x24, 0x10) +
                     R"(", "25": "00 05 7e 3e 00 00 08 00"})"));
        const FieldMap f = Refresh(pc);
        EXPECT_EQ(f.Get(kFieldStatus), "CD-R(W) inserted");
        EXPECT_EQ(f.Get(kFieldLeadInTime), "97m24s10f");
        EXPECT_EQ(f.Get(kFieldLeadOutLba), "359999") << "057E3Eh + 1";
        EXPECT_EQ(f.Get(kFieldLeadOutTime), "79:59:74");
        EXPECT_EQ(f.Get(kFieldManufacturer), "Sony (type 0)");
    }
    {
        Pc pc(Reader(R"({"43/2": ")" + FullToc(1, 2, 0x80, 0x00, 0x00) + "\"}"));
        EXPECT_EQ(Refresh(pc).Get(kFieldStatus), "Disc is not a CD-R(W)");
    }
    {
        Pc pc(Reader("{}", R"({"43/2": "02/3a/01"})"));
        EXPECT_EQ(Refresh(pc).Get(kFieldStatus), "No CD inserted");
    }
}

TEST(DiscPanel, ReaderWritesTheLeadOutOnlyAfterAReadCapacity) {
    Pc pc(
        Reader(R"({"43/2": ")" + FullToc(1, 2, 0x97, 0x33, 0x00) + "\"}", R"({"25": "03/11/00"})"));
    FieldMap before;
    before.SetField(kFieldLeadOutLba, "-");
    before.SetField(kFieldLeadOutTime, "-");
    const FieldMap f = Refresh(pc, before);
    EXPECT_EQ(f.Get(kFieldStatus), "CD-R(W) inserted");
    EXPECT_EQ(f.Get(kFieldLeadOutLba), "-");
    EXPECT_EQ(f.Get(kFieldLeadOutTime), "-");
    EXPECT_EQ(f.Get(kFieldManufacturer), "unknown") << "no table-of-contents key for 97:33";
}

}  // namespace
}  // namespace tessaly::testing

namespace tessaly::testing {
namespace {

// The commands of one refresh of the panel into fields, apart from the INQUIRYs the
// model lookups send, which are counted in inquiries.
std::vector<std::string> RefreshCommands(Pc& pc, FieldMap& fields, std::size_t* inquiries) {
    pc.transport->Initialize();
    pc.machine->ClearCommandLog();
    RefreshDiscPanel(*pc.transport, {0, 1}, fields);
    std::vector<std::string> out;
    *inquiries = 0;
    for (const auto& command : pc.machine->CommandLog()) {
        if (command.rfind("0:1 12 ", 0) == 0) {
            ++*inquiries;
        } else {
            out.push_back(command);
        }
    }
    return out;
}

TEST(DiscPanelCommands, OneRefreshOnARecorder) {
    Pc pc(Recorder(R"({"51": "00 20 00 01",
        "43/4": "00 1a 00 00 80 00 00 00 61 18 01 00 4f 3b 4a 00 00 00 00 00 00"})"));
    FieldMap fields;
    std::size_t inquiries = 0;
    const std::vector<std::string> expected = {
        "0:1 00 00 00 00 00 00",              // TEST UNIT READY
        "0:1 51 00 00 00 00 00 00 00 04 00",  // disc information, 4 bytes
        "0:1 00 00 00 00 00 00",              // TEST UNIT READY
        "0:1 43 00 04 00 00 00 00 03 24 00",  // ATIP, 804 bytes, format in byte 2
        "0:1 00 00 00 00 00 00",              // the maker lookup:
        "0:1 03 00 00 00 12 00",              //   REQUEST SENSE twice
        "0:1 03 00 00 00 12 00",
        "0:1 51 00 00 00 00 00 00 00 04 00",  //   erasable?
        "0:1 43 00 04 00 00 00 00 00 20 00",  //   its own ATIP read, 32 bytes
    };
    EXPECT_EQ(RefreshCommands(pc, fields, &inquiries), expected);
    // The panel's own identity request, the recorder question, and the format
    // placement's write-capability questions (identity, support, vendor set, recorder).
    EXPECT_EQ(inquiries, 6u);
    EXPECT_EQ(fields.Get(kFieldManufacturer), "Taiyo Yuden (type 1) ");
}

TEST(DiscPanelCommands, OneRefreshOnAReader) {
    Pc pc(Reader(R"({"43/2": "00 0d 01 02 01 14 00 c0 00 00 00 00 97 24 10",
        "25": "00 05 7e 3e 00 00 08 00"})"));
    FieldMap fields;
    std::size_t inquiries = 0;
    const std::vector<std::string> expected = {
        "0:1 17 00 00 00 08 00",              // RELEASE(6)
        "0:1 43 00 00 00 00 00 00 0b b8 80",  // full TOC, 3000 bytes, format in the control byte
        "0:1 25 00 00 00 00 00 00 00 00 00",  // READ CAPACITY
    };
    EXPECT_EQ(RefreshCommands(pc, fields, &inquiries), expected);
    EXPECT_EQ(fields.Get(kFieldStatus), "CD-R(W) inserted");
    EXPECT_EQ(fields.Get(kFieldLeadInTime), "97m24s10f");
    EXPECT_GT(inquiries, 0u);
}

}  // namespace
}  // namespace tessaly::testing
