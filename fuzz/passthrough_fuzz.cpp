// The Linux pass-through mapping with any request block and any SG_IO answer: the block's
// fields (lengths, direction, sense offset and room) and the answer's status, residual,
// sense count and host and driver bytes come from the input. Nothing is read or written
// outside the block, the data buffer or the sense bytes the answer filled, and an
// accepted block reports no more than it was given room for.
#include <sys/stat.h>

#include <scsi/sg.h>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/linux/sg_passthrough.h"
#include "platform/linux/system_calls.h"
#include "transport/scsi_passthrough.h"

namespace {

using tessaly::nt::SCSI_PASS_THROUGH_DIRECT;

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::uint8_t U8() { return at < size ? data[at++] : 0; }
    std::uint32_t U32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t{U8()} << (8 * i);
        return v;
    }
};

class Calls final : public tessaly::platform::linux_os::SystemCalls {
  public:
    explicit Calls(Reader& input) : input_(input) {}
    int Open(const char*, int) override { return 3; }
    int Close(int) override { return 0; }
    int Fstat(int, struct stat&) override { return 0; }
    int Stat(const char*, struct stat&) override { return 0; }
    void Pause(std::uint32_t) override {}
    int Ioctl(int, unsigned long request, void* argument) override {
        if (request != SG_IO)
            return -25;
        auto& h = *static_cast<sg_io_hdr_t*>(argument);
        if (h.dxfer_len > 0 && h.dxferp != nullptr)
            std::memset(h.dxferp, 0x5A, h.dxfer_len);  // the device fills the whole buffer
        const std::uint8_t senseCount = input_.U8();
        if (h.mx_sb_len > 0 && h.sbp != nullptr)
            std::memset(h.sbp, 0x70, std::min<unsigned>(senseCount, h.mx_sb_len));
        h.sb_len_wr = senseCount;
        h.status = input_.U8();
        h.host_status = input_.U8() & 0x0F;
        h.driver_status = input_.U8() & 0x0F;
        h.resid = static_cast<int>(input_.U32());
        return (input_.U8() & 0x0F) == 0 ? -5 : 0;
    }

  private:
    Reader& input_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader input{data, size};
    SCSI_PASS_THROUGH_DIRECT request{};
    request.Length = static_cast<std::uint16_t>(input.U8() < 0xF0 ? sizeof request : input.U32());
    request.CdbLength = input.U8();
    request.SenseInfoLength = input.U8();
    request.DataIn = input.U8();
    request.DataTransferLength = input.U32() % 4097;
    request.TimeOutValue = input.U32();
    request.SenseInfoOffset = input.U32() % 512;
    for (std::uint8_t& b : request.Cdb)
        b = input.U8();
    std::vector<std::uint8_t> buffer(request.DataTransferLength);
    request.DataBuffer = input.U8() == 0 ? nullptr : buffer.data();
    const std::uint32_t outSize = input.U32() % 512;

    std::vector<std::uint8_t> block(std::max<std::uint32_t>(outSize, sizeof request), 0xEE);
    std::memcpy(block.data(), &request, sizeof request);
    std::vector<std::uint8_t> exact(block.begin(), block.begin() + outSize);  // heap-exact out
    Calls calls(input);
    const auto result = tessaly::platform::linux_os::PassThroughDirect(
        calls, 3, block.data(), static_cast<std::uint32_t>(block.size()), exact.data(), outSize);
    if (!result.ok)
        return 0;
    SCSI_PASS_THROUGH_DIRECT answer;
    std::memcpy(&answer, exact.data(), sizeof answer);
    if (answer.DataTransferLength > request.DataTransferLength ||
        answer.SenseInfoLength > request.SenseInfoLength || result.returned > outSize) {
        __builtin_trap();
    }
    return 0;
}
