// The version resource of the virtual PC's ASPI manager file.
#include "transport/aspi_srb.h"
#include "vpc/version_resource.h"
#include "vpc/virtual_pc.h"

namespace tessaly::vpc {

namespace {

bool IsManagerFile(const char* fileName) {
    if (fileName == nullptr)
        return false;
    const std::string_view name = fileName;
    const std::string_view manager = aspi::kManagerFileName;
    if (name.size() != manager.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] + 32) : name[i];
        if (c != manager[i])
            return false;
    }
    return true;
}

}  // namespace

std::uint32_t VirtualPc::GetFileVersionInfoSizeA(const char* fileName) {
    if (!IsManagerFile(fileName) || !scenario_.aspi) {
        lastError_ = platform::kErrorFileNotFound;
        return 0;
    }
    const std::size_t size = BuildVersionBlock(*scenario_.aspi).size();
    if (size == 0)
        lastError_ = 1813;  // ERROR_RESOURCE_TYPE_NOT_FOUND
    return static_cast<std::uint32_t>(size);
}

bool VirtualPc::GetFileVersionInfoA(const char* fileName, std::uint32_t size, void* data) {
    if (!IsManagerFile(fileName) || !scenario_.aspi) {
        lastError_ = platform::kErrorFileNotFound;
        return false;
    }
    return CopyVersionBlock(BuildVersionBlock(*scenario_.aspi), data, size);
}

bool VirtualPc::VerQueryValueA(const void* block, const char* subBlock, const void** value,
                               std::uint32_t* length) {
    return QueryVersionBlock(block, subBlock, value, length);
}

}  // namespace tessaly::vpc
