#include "platform/linux/sysfs.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <tuple>

namespace tessaly::platform::linux_os {

namespace {

namespace fs = std::filesystem;

std::optional<std::string> ReadSmallFile(const fs::path& path, std::size_t maxBytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string data(maxBytes, '\0');
    file.read(data.data(), static_cast<std::streamsize>(maxBytes));
    data.resize(static_cast<std::size_t>(file.gcount()));
    return data;
}

std::string ReadText(const fs::path& path) {
    const auto text = ReadSmallFile(path, kMaxSysfsFileBytes);
    return text ? TrimSysfsText(*text) : std::string();
}

int ReadInt(const fs::path& path, int low, int high, int fallback) {
    const auto text = ReadSmallFile(path, kMaxSysfsFileBytes);
    int value = 0;
    return text && ParseSysfsInt(TrimSysfsText(*text), low, high, value) ? value : fallback;
}

// Entries of a directory, sorted; none when it cannot be read.
std::vector<std::string> EntryNames(const fs::path& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The path below root that link resolves to, "/" first; empty when it does not resolve
// or leaves the root.
std::string ResolvedBelow(const fs::path& root, const fs::path& link) {
    std::error_code error;
    const fs::path resolved = fs::canonical(link, error);
    if (error)
        return {};
    const fs::path below = resolved.lexically_relative(root);
    if (below.empty() || *below.begin() == "..")
        return {};
    return "/" + below.generic_string();
}

std::string HostDevicePath(const fs::path& root, const fs::path& entry) {
    std::string path = ResolvedBelow(root, entry / "device");
    return path.empty() ? ResolvedBelow(root, entry) : path;
}

}  // namespace

const SysfsHost* SysfsSnapshot::Host(int number) const {
    for (const SysfsHost& host : hosts) {
        if (host.number == number)
            return &host;
    }
    return nullptr;
}

bool ParseSysfsInt(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 11)
        return false;
    std::size_t i = 0;
    const bool negative = text[0] == '-';
    if (negative)
        i = 1;
    if (i == text.size())
        return false;
    long long result = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        result = result * 10 + (text[i] - '0');
    }
    if (negative)
        result = -result;
    if (result < low || result > high)
        return false;
    value = static_cast<int>(result);
    return true;
}

bool ParseScsiAddress(const std::string& name, int (&parts)[4]) {
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t colon = i < 3 ? name.find(':', start) : name.size();
        if (colon == std::string::npos)
            return false;
        if (!ParseSysfsInt(name.substr(start, colon - start), 0, kMaxSysfsNumber, parts[i]))
            return false;
        start = colon + 1;
    }
    return true;
}

bool IsNodeName(const std::string& name) {
    std::size_t letters = 0;
    while (letters < name.size() && name[letters] >= 'a' && name[letters] <= 'z')
        ++letters;
    if (letters == 0 || letters == name.size() || name.size() > 16)
        return false;
    for (std::size_t i = letters; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
    }
    return true;
}

std::string TrimSysfsText(const std::string& text) {
    std::size_t end = text.find('\0');
    if (end == std::string::npos)
        end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.substr(0, end);
}

SysfsSnapshot ReadSysfs(const std::string& root) {
    SysfsSnapshot snapshot;
    std::error_code error;
    const fs::path canonicalRoot = fs::canonical(root, error);
    const fs::path hosts = fs::path(root) / "class" / "scsi_host";
    std::error_code notFolder;
    snapshot.mounted = fs::is_directory(fs::path(root) / "class", notFolder);
    for (const std::string& name : EntryNames(hosts)) {
        int number = 0;
        if (name.rfind("host", 0) != 0 ||
            !ParseSysfsInt(name.substr(4), 0, kMaxSysfsNumber, number))
            continue;
        SysfsHost host;
        host.number = number;
        host.driver = ReadText(hosts / name / "proc_name");
        host.ownId = ReadInt(hosts / name / "this_id", -1, kMaxHostNumber, -1);
        if (!error)
            host.devicePath = HostDevicePath(canonicalRoot, hosts / name);
        snapshot.hosts.push_back(host);
    }
    std::sort(snapshot.hosts.begin(), snapshot.hosts.end(),
              [](const SysfsHost& a, const SysfsHost& b) { return a.number < b.number; });

    const fs::path devices = fs::path(root) / "class" / "scsi_device";
    for (const std::string& name : EntryNames(devices)) {
        int address[4];
        if (!ParseScsiAddress(name, address)) {
            ++snapshot.unreadDevices;
            continue;
        }
        const fs::path dir = devices / name / "device";
        SysfsDevice device;
        device.host = address[0];
        device.channel = address[1];
        device.id = address[2];
        device.lun = address[3];
        device.type = ReadInt(dir / "type", 0, 31, -1);
        device.vendor = ReadText(dir / "vendor");
        device.model = ReadText(dir / "model");
        device.revision = ReadText(dir / "rev");
        if (const auto inquiry = ReadSmallFile(dir / "inquiry", kMaxInquiryBytes))
            device.inquiry.assign(inquiry->begin(), inquiry->end());
        // The node is a folder below block/, or on older kernels a "block:sr0" link.
        for (const std::string& node : EntryNames(dir / "block")) {
            if (IsNodeName(node)) {
                device.node = node;
                break;
            }
        }
        for (const std::string& entry : EntryNames(dir)) {
            if (device.node.empty() && entry.rfind("block:", 0) == 0 && IsNodeName(entry.substr(6)))
                device.node = entry.substr(6);
        }
        snapshot.devices.push_back(std::move(device));
    }
    std::sort(snapshot.devices.begin(), snapshot.devices.end(),
              [](const SysfsDevice& a, const SysfsDevice& b) {
                  return std::tie(a.host, a.channel, a.id, a.lun) <
                         std::tie(b.host, b.channel, b.id, b.lun);
              });
    return snapshot;
}

}  // namespace tessaly::platform::linux_os
