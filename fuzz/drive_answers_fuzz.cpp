// Drive answers of any length and content for every command the model lookups, mode
// pages, speed texts and vendor data read: INQUIRY, both MODE SENSE forms of pages
// 05h, 2Ah, 30h and 31h, and the vendor reads F1h and DEh. Whatever a drive answers,
// every text stays terminated inside its buffer and nothing is read past an answer.
// One PC per model and bus serves every input (drive_answers_run.h).
#include <cstddef>
#include <cstdint>

#include "drive_answers_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tessaly::fuzz::DriveAnswersRun run;
    run.Run(data, size);
    return 0;
}
