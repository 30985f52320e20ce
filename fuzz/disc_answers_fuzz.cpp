// Disc answers of any length and content: ATIP, full table of contents, disc
// information, capacity and sense data, read by one refresh of the disc fields on a
// recorder and on a reader. Every field text stays a text and no buffer is read past.
// One PC per drive serves every input (disc_answers_run.h).
#include <cstddef>
#include <cstdint>

#include "disc_answers_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tessaly::fuzz::DiscAnswersRun run;
    run.Run(data, size);
    return 0;
}
