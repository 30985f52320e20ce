// INQUIRY answers of any length and content, through the whole identification: the
// identity is always three terminated texts of their fixed widths, nothing is read past
// the answer, only an identified drive is supported, and the drop-down label is the
// target and at most a product text or a model's name. One PC per bus serves every
// input (inquiry_run.h).
#include <cstddef>
#include <cstdint>

#include "inquiry_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tessaly::fuzz::InquiryRun run;
    run.Run(data, size);
    return 0;
}
