#include "node_identity.h"

#include <sys/sysmacros.h>
#include <filesystem>
#include <fstream>

namespace tessaly::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxFileBytes = 256;

std::string ReadBounded(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::string text(kMaxFileBytes, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(file ? text.size() : static_cast<std::size_t>(file.gcount()));
    return text;
}

}  // namespace

NodeIdentity ReadNodeIdentity(platform::linux_os::SystemCalls& calls, const std::string& sysfsRoot,
                              const std::string& node) {
    NodeIdentity result;
    struct stat info {};
    if (calls.Stat(node.c_str(), info) != 0 || !(S_ISBLK(info.st_mode) || S_ISCHR(info.st_mode)))
        return result;
    std::error_code error;
    const fs::path devices =
        fs::path(sysfsRoot) / "dev" / (S_ISBLK(info.st_mode) ? "block" : "char");
    if (!fs::is_directory(devices, error)) {
        result.present = true;  // no sysfs: the node is all there is to see
        return result;
    }
    const fs::path device =
        devices /
        (std::to_string(major(info.st_rdev)) + ":" + std::to_string(minor(info.st_rdev))) /
        "device";
    if (!fs::exists(device, error))
        return result;  // a node left behind by a device that is gone
    result.present = true;
    for (const char* name : {"vendor", "model", "rev", "vpd_pg80"})
        result.identity.append(ReadBounded(device / name)).push_back('\n');
    return result;
}

NodeChange CompareNode(const NodeIdentity& watched, bool gone, const NodeIdentity& now) {
    if (!now.present)
        return gone ? NodeChange::kNone : NodeChange::kGone;
    const bool same =
        watched.identity.empty() || now.identity.empty() || watched.identity == now.identity;
    if (!same)
        return NodeChange::kNewDrive;
    return gone ? NodeChange::kBack : NodeChange::kNone;
}

}  // namespace tessaly::cli
