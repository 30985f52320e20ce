#include "call_recorder.h"

#include <scsi/sg.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "transport/mmc.h"

namespace tessaly::cli {

int CallRecorder::Open(const char* path, int flags) {
    const int fd = inner_.Open(path, flags);
    if (path != nullptr)
        openErrors_[path] = fd < 0 ? -fd : 0;
    return fd;
}

int CallRecorder::OpenError(const std::string& path) const {
    const auto it = openErrors_.find(path);
    return it == openErrors_.end() ? -1 : it->second;
}

int CallRecorder::Ioctl(int fd, unsigned long request, void* argument) {
    const int rc = inner_.Ioctl(fd, request, argument);
    if (rc == -EPERM && request == SG_IO && argument != nullptr) {
        const auto& header = *static_cast<const sg_io_hdr_t*>(argument);
        if (header.cmdp != nullptr && header.cmd_len > 0)
            refused_.insert(header.cmdp[0]);
    }
    return rc;
}

namespace {

bool IsVendorCode(std::uint8_t code) {
    return code >= 0xC0;  // the vendor-specific operation codes
}

std::string Hex(std::uint8_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "%02Xh", code);
    return text;
}

// "a", "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& parts) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text += i + 1 == parts.size() ? " and " : ", ";
        text += parts[i];
    }
    return text;
}

}  // namespace

std::string RefusalNote(const std::set<std::uint8_t>& refused, const std::string& programPath) {
    if (refused.empty())
        return {};
    std::string vendor;
    std::vector<std::string> parts;
    for (const std::uint8_t code : refused) {
        if (IsVendorCode(code))
            vendor += (vendor.empty() ? "" : ", ") + Hex(code);
    }
    if (!vendor.empty())
        parts.push_back("the maker's vendor commands (" + vendor + ")");
    for (const std::uint8_t code : refused) {
        if (code == opcode::kRelease6)
            parts.push_back("RELEASE(6)");
        else if (!IsVendorCode(code))
            parts.push_back("command " + Hex(code));
    }
    return "the kernel refused " + Listed(parts) +
           " to this user, so what they read shows as n/a: run as root, or allow them with "
           "'setcap cap_sys_rawio+ep " +
           programPath + "' (as root)";
}

std::string ProgramPath() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "tessaly's file";
    return std::string(path, static_cast<std::size_t>(length));
}

}  // namespace tessaly::cli
