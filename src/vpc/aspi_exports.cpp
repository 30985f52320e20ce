#include "vpc/aspi_exports.h"

#include <atomic>

#include "transport/aspi_srb.h"

namespace tessaly::vpc {
namespace {

std::atomic<AspiManager*> currentManager{nullptr};

std::uint32_t ExportGetSupportInfo() {
    AspiManager* manager = currentManager.load();
    return manager != nullptr ? manager->GetASPI32SupportInfo() : 0;
}

std::uint32_t ExportSendCommand(void* srb) {
    AspiManager* manager = currentManager.load();
    return manager != nullptr ? manager->SendASPI32Command(srb) : aspi::SS_INVALID_CMD;
}

// The exports must have exactly the types the program casts them back to.
constexpr aspi::GetASPI32SupportInfoProc kSupportInfo = &ExportGetSupportInfo;
constexpr aspi::SendASPI32CommandProc kSendCommand = &ExportSendCommand;

}  // namespace

void SetCurrentAspiManager(AspiManager* manager) {
    currentManager.store(manager);
}

void ClearCurrentAspiManager(const AspiManager* manager) {
    AspiManager* expected = const_cast<AspiManager*>(manager);
    currentManager.compare_exchange_strong(expected, nullptr);
}

platform::AnyProc AspiExport(std::string_view name) {
    if (name == aspi::kSupportInfoName)
        return reinterpret_cast<platform::AnyProc>(kSupportInfo);
    if (name == aspi::kSendCommandName)
        return reinterpret_cast<platform::AnyProc>(kSendCommand);
    return nullptr;
}

}  // namespace tessaly::vpc
