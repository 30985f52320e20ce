// The fuzz targets that keep one virtual PC and transport for every input: an input
// gives the same commands and texts after other inputs on the same kept PC as it gave
// when it ran first, so a fault an input finds does not depend on what ran before it.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "disc_answers_run.h"
#include "drive_answers_run.h"
#include "inquiry_run.h"

namespace tessaly::fuzz {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Runner = std::function<void(const Bytes&, Outcome*)>;

template <typename Run>
std::function<Runner()> Fresh() {
    return [] {
        auto run = std::make_shared<Run>();
        return [run](const Bytes& input, Outcome* outcome) {
            run->Run(input.data(), input.size(), outcome);
        };
    };
}

// The pieces joined: a byte or a run of bytes each.
Bytes Join(std::initializer_list<Bytes> pieces) {
    Bytes bytes;
    for (const Bytes& piece : pieces)
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    return bytes;
}

Bytes Repeat(std::size_t count, char c) {
    return Bytes(count, static_cast<std::uint8_t>(c));
}

Bytes Text(const char* text) {
    return Bytes(text, text + std::char_traits<char>::length(text));
}

TEST(FuzzKeptPc, AnInputGivesTheSameOutcomeAfterOtherInputs) {
    struct Row {
        const char* target;
        std::function<Runner()> make;
        Bytes input;      // run first, then again after the two others
        Bytes others[2];  // on the same kept PC as `input` first, then on another
    };
    // The first byte picks the PC; FFh separates the answers of the commands a target
    // injects, in its order.
    const Row rows[] = {
        {"drive answers",
         Fresh<DriveAnswersRun>(),
         {0x00, 0xFF, 0xFF},
         {Join({{0x00}, Repeat(40, 'Q'), {0xFF, 1, 2, 3, 0xFF, 0xFF, 0, 0, 0, 8, 0xFF, 0x10}}),
          {0x83, 0xFF, 0x05}}},
        {"disc answers",
         Fresh<DiscAnswersRun>(),
         {0x01},
         {{0x01, 0x00, 0x16, 0x00, 0x00, 0xFF, 0x00, 0x2E, 0x01, 0x01, 0xFF, 0x20, 0x0E, 0x01},
          {0x00, 0x00}}},
        {"inquiry",
         Fresh<InquiryRun>(),
         Join({{0x00}, Repeat(36, ' ')}),
         {Join({{0x00, 0x05, 0x80, 0x02, 0x02, 0x1F}, Repeat(11, 'V'), Text("CD-R   VW2410A  ")}),
          {0x02, 0x05}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.target);
        const Runner run = row.make();
        Outcome first;
        run(row.input, &first);
        ASSERT_FALSE(first.commands.empty());
        for (const Bytes& other : row.others) {
            Outcome between;
            run(other, &between);
            EXPECT_NE(between, first);
        }
        Outcome again;
        run(row.input, &again);
        EXPECT_EQ(again.commands, first.commands);
        EXPECT_EQ(again.texts, first.texts);
    }
}

}  // namespace
}  // namespace tessaly::fuzz
