#include "vpc/aspi_exports.h"

#include <array>
#include <atomic>
#include <mutex>
#include <utility>

#include "transport/aspi_srb.h"

namespace tessaly::vpc {
namespace {

constexpr int kSlots = 8;

std::array<std::atomic<AspiManager*>, kSlots> callable{};  // what each slot's calls reach
std::array<const AspiManager*, kSlots> owners{};           // who holds each slot
std::mutex ownersMutex;

template <int N>
std::uint32_t ExportGetSupportInfo() {
    AspiManager* manager = callable[N].load();
    return manager != nullptr ? manager->GetASPI32SupportInfo() : 0;
}

template <int N>
std::uint32_t ExportSendCommand(void* srb) {
    AspiManager* manager = callable[N].load();
    return manager != nullptr ? manager->SendASPI32Command(srb) : aspi::SS_INVALID_CMD;
}

struct Exports {
    aspi::GetASPI32SupportInfoProc supportInfo;
    aspi::SendASPI32CommandProc sendCommand;
};

template <std::size_t... N>
constexpr std::array<Exports, kSlots> MakeExports(std::index_sequence<N...>) {
    return {Exports{&ExportGetSupportInfo<N>, &ExportSendCommand<N>}...};
}

constexpr std::array<Exports, kSlots> kExports = MakeExports(std::make_index_sequence<kSlots>{});

// The manager's slot, claimed when asked and one is free; -1 otherwise.
int SlotOf(const AspiManager* manager, bool claim) {
    std::lock_guard lock(ownersMutex);
    for (int i = 0; i < kSlots; ++i) {
        if (owners[i] == manager)
            return i;
    }
    if (!claim)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        if (owners[i] == nullptr) {
            owners[i] = manager;
            return i;
        }
    }
    return -1;
}

}  // namespace

void SetCurrentAspiManager(AspiManager* manager) {
    const int slot = SlotOf(manager, true);
    if (slot >= 0)
        callable[slot].store(manager);
}

void ClearCurrentAspiManager(const AspiManager* manager) {
    const int slot = SlotOf(manager, false);
    if (slot >= 0)
        callable[slot].store(nullptr);
}

void ReleaseAspiManager(const AspiManager* manager) {
    const int slot = SlotOf(manager, false);
    if (slot < 0)
        return;
    callable[slot].store(nullptr);
    std::lock_guard lock(ownersMutex);
    owners[slot] = nullptr;
}

platform::AnyProc AspiExport(const AspiManager* manager, std::string_view name) {
    const int slot = SlotOf(manager, false);
    if (slot < 0)
        return nullptr;
    if (name == aspi::kSupportInfoName) {
        return reinterpret_cast<platform::AnyProc>(kExports[slot].supportInfo);
    }
    if (name == aspi::kSendCommandName) {
        return reinterpret_cast<platform::AnyProc>(kExports[slot].sendCommand);
    }
    return nullptr;
}

}  // namespace tessaly::vpc
