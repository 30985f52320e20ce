// sg_probe: sends the commands Tessaly sends to a drive through SG_IO and prints, one line
// per command, how the device answered: status, sense, the residual count the kernel
// reports, how many bytes of the buffer were written and the length the answer gives
// itself. Run in the QEMU guest, it records where the emulated drive differs from what
// the program assumes of a real one (answers padded to the allocation length, no residual).
//
//   sg_probe /dev/sgN...
//   sg_probe --mark N /dev/sgN
//
// --mark sends one INQUIRY of 4000 + N bytes (0 <= N < 1000), a length no other sender
// uses: the guest test finds it in QEMU's trace of the commands that reached the drives
// and counts the commands between two marks.
#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint8_t kUnwritten = 0xa5;
constexpr unsigned kTimeoutMs = 10000;
// At most this many answer bytes are printed.
constexpr std::size_t kShownBytes = 64;

// How an answer states its own length: bytes of a length field plus what precedes it.
enum class OwnLength { kNone, kInquiry, kBe16Plus2 };

struct Probe {
    const char* name;
    std::array<std::uint8_t, 12> cdb;
    std::size_t cdbLength;
    std::size_t allocation;
    OwnLength ownLength;
};

// The allocation lengths are the ones Tessaly asks with.
const Probe kProbes[] = {
    {"inquiry", {0x12, 0, 0, 0, 0x38, 0}, 6, 0x38, OwnLength::kInquiry},
    {"test-unit-ready", {0x00, 0, 0, 0, 0, 0}, 6, 0, OwnLength::kNone},
    {"read-disc-information", {0x51, 0, 0, 0, 0, 0, 0, 0, 0x04, 0}, 10, 4, OwnLength::kBe16Plus2},
    {"read-disc-information-34",
     {0x51, 0, 0, 0, 0, 0, 0, 0, 0x22, 0},
     10,
     34,
     OwnLength::kBe16Plus2},
    {"read-capacity", {0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 10, 8, OwnLength::kNone},
    {"read-toc-0", {0x43, 0, 0, 0, 0, 0, 0, 0x03, 0x24, 0}, 10, 0x324, OwnLength::kBe16Plus2},
    {"read-toc-2", {0x43, 0x02, 0x02, 0, 0, 0, 0, 0x03, 0x24, 0}, 10, 0x324, OwnLength::kBe16Plus2},
    // The SCSI readers' full-TOC request: the format in byte 9 bits 7-6, byte 2 zero.
    {"read-toc-2-byte9",
     {0x43, 0, 0, 0, 0, 0, 0, 0x0b, 0xb8, 0x80},
     10,
     3000,
     OwnLength::kBe16Plus2},
    {"read-atip", {0x43, 0, 0x04, 0, 0, 0, 0, 0x03, 0x24, 0}, 10, 0x324, OwnLength::kBe16Plus2},
    {"mode-sense-2a", {0x5a, 0, 0x2a, 0, 0, 0, 0, 0, 0x22, 0}, 10, 0x22, OwnLength::kBe16Plus2},
    {"mode-sense-05", {0x5a, 0, 0x05, 0, 0, 0, 0, 0, 0x40, 0}, 10, 0x40, OwnLength::kBe16Plus2},
    {"vendor-f1", {0xf1, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0}, 12, 0x80, OwnLength::kNone},
    {"vendor-de", {0xde, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 12, 0, OwnLength::kNone},
};

// Bytes of the buffer the device wrote: everything up to the last byte that no longer
// holds the fill pattern (a written byte equal to the pattern at the end is not seen).
std::size_t WrittenLength(const std::vector<std::uint8_t>& buffer) {
    std::size_t n = buffer.size();
    while (n > 0 && buffer[n - 1] == kUnwritten)
        --n;
    return n;
}

// -1 when the answer has no length of its own or the buffer is too short to hold it.
long AnswerLength(const std::vector<std::uint8_t>& buffer, std::size_t written, OwnLength kind) {
    switch (kind) {
        case OwnLength::kInquiry:
            return written > 4 ? static_cast<long>(buffer[4]) + 5 : -1;
        case OwnLength::kBe16Plus2:
            return written > 1 ? ((static_cast<long>(buffer[0]) << 8) | buffer[1]) + 2 : -1;
        case OwnLength::kNone:
            break;
    }
    return -1;
}

constexpr unsigned kMarkBase = 4000;

void Run(int fd, const char* device, const Probe& probe) {
    std::vector<std::uint8_t> buffer(probe.allocation, kUnwritten);
    std::array<std::uint8_t, 32> sense{};
    std::array<std::uint8_t, 12> cdb = probe.cdb;
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.dxfer_direction = probe.allocation > 0 ? SG_DXFER_FROM_DEV : SG_DXFER_NONE;
    io.cmd_len = static_cast<unsigned char>(probe.cdbLength);
    io.cmdp = cdb.data();
    io.dxfer_len = static_cast<unsigned>(buffer.size());
    io.dxferp = buffer.empty() ? nullptr : buffer.data();
    io.mx_sb_len = static_cast<unsigned char>(sense.size());
    io.sbp = sense.data();
    io.timeout = kTimeoutMs;
    if (ioctl(fd, SG_IO, &io) != 0) {
        std::printf("%s %s ioctl-failed errno=%d\n", device, probe.name, errno);
        return;
    }
    std::printf("%s %s status=%u host=%u driver=%u resid=%d", device, probe.name, io.status,
                io.host_status, io.driver_status, io.resid);
    const std::size_t senseLength = io.sb_len_wr < sense.size() ? io.sb_len_wr : sense.size();
    if (io.status != 0) {
        // Descriptor format (72h, 73h): key, ASC and ASCQ in bytes 1 to 3; fixed format:
        // key in byte 2, ASC and ASCQ in bytes 12 and 13.
        const unsigned responseCode = senseLength > 0 ? (sense[0] & 0x7fu) : 0;
        if ((responseCode == 0x72 || responseCode == 0x73) && senseLength >= 4) {
            std::printf(" sense=%x/%02x/%02x", sense[1] & 0x0f, sense[2], sense[3]);
        } else if (senseLength >= 14) {
            std::printf(" sense=%x/%02x/%02x", sense[2] & 0x0f, sense[12], sense[13]);
        } else {
            std::printf(" sense-bytes=%zu", senseLength);
        }
        std::printf("\n");
        return;
    }
    const std::size_t written = WrittenLength(buffer);
    std::printf(" allocation=%zu written=%zu", probe.allocation, written);
    const long own = AnswerLength(buffer, written, probe.ownLength);
    if (own >= 0)
        std::printf(" own-length=%ld", own);
    // The answer itself, as far as it goes by its own length and the bytes written.
    std::size_t shown = written;
    if (own >= 0 && static_cast<std::size_t>(own) < shown)
        shown = static_cast<std::size_t>(own);
    if (shown > kShownBytes)
        shown = kShownBytes;
    if (shown > 0)
        std::printf(" bytes=");
    for (std::size_t i = 0; i < shown; ++i)
        std::printf("%02x", buffer[i]);
    std::printf("\n");
}

// The mark's INQUIRY: the allocation length in bytes 3 and 4.
int Mark(const char* number, const char* device) {
    char* end = nullptr;
    const unsigned long n = std::strtoul(number, &end, 10);
    if (*number == '\0' || *end != '\0' || n >= 1000) {
        std::fprintf(stderr, "sg_probe: a mark is a number from 0 to 999\n");
        return 2;
    }
    const unsigned length = kMarkBase + static_cast<unsigned>(n);
    Probe mark{"mark",
               {0x12, 0, 0, static_cast<std::uint8_t>(length >> 8),
                static_cast<std::uint8_t>(length & 0xff), 0},
               6,
               length,
               OwnLength::kNone};
    const int fd = open(device, O_RDWR | O_NONBLOCK);
    if (fd < 0) {
        std::printf("%s open-failed errno=%d\n", device, errno);
        return 1;
    }
    Run(fd, device, mark);
    close(fd);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--mark") == 0)
        return Mark(argv[2], argv[3]);
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: sg_probe /dev/sgN... | sg_probe --mark N /dev/sgN\n");
        return 2;
    }
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        const int fd = open(argv[i], O_RDWR | O_NONBLOCK);
        if (fd < 0) {
            std::printf("%s open-failed errno=%d\n", argv[i], errno);
            ++failures;
            continue;
        }
        for (const Probe& probe : kProbes)
            Run(fd, argv[i], probe);
        close(fd);
    }
    return failures == 0 ? 0 : 1;
}
