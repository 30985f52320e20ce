// wnaspi32.dll backed by the emulator: an ASPI for Win32 manager whose adapters and
// drives are those of a scenario file, so that the real program finds emulated drives
// under Wine (with the DLL override wnaspi32=native,builtin and a Windows 9x or NT 4
// version setting for the program).
//
// Environment:
//   TESSALY_SCENARIO     the scenario file (a Windows path, or a Unix path that Wine
//                        reaches through drive Z:). Its "adapters" become the manager's
//                        adapters and their "devices" emulated drives; "aspi" gives the
//                        support status and "completion" ("pending" or "direct"). Without
//                        "aspi" the manager has the default settings. The version
//                        resource and "exports" of the scenario do not apply: this file
//                        has its own resource and always both entry points. A variable
//                        that is unset, or a file that is missing or malformed, makes
//                        GetASPI32SupportInfo report status 04h with no adapters and
//                        writes the reason to standard error once.
//   TESSALY_COMMAND_LOG  optional: a file that every SCSI command the program sends is
//                        appended to, one line each, flushed per line, as the virtual
//                        PC's command log writes it: "adapter:target" and the CDB bytes
//                        in lower-case hex ("0:4 12 00 00 00 60 00"), and the line
//                        "FreeLibrary" when the program releases this DLL.
//
// Both are read once, on the first call of an entry point, which builds the state.
// That call also takes a reference to this DLL, so that the program's FreeLibrary does
// not unload it: a manager worker that has set the program's event may still be ending,
// and joining it inside DllMain under the loader lock would deadlock. The state lives
// until DLL_PROCESS_DETACH at process end, where it is destroyed (the worker joined).
// Since the DLL stays loaded, the program's release is seen another way: the first call
// also points the program's import of FreeLibrary at a wrapper that logs the release of
// this DLL before passing the call on.
#include <windows.h>

#include <memory>
#include <mutex>
#include <type_traits>

#include "transport/aspi_srb.h"
#include "virtual_aspi.h"

namespace {

using tessaly::wnaspi32::VirtualAspi;

HMODULE thisModule = nullptr;
std::mutex stateMutex;
VirtualAspi* state = nullptr;

using FreeLibraryProc = BOOL(WINAPI*)(HMODULE);
FreeLibraryProc systemFreeLibrary = nullptr;

BOOL WINAPI LoggingFreeLibrary(HMODULE module) {
    if (module == thisModule) {
        std::lock_guard<std::mutex> lock(stateMutex);
        if (state != nullptr)
            state->RecordRelease();
    }
    return systemFreeLibrary(module);
}

// Replaces the program's import address of FreeLibrary with LoggingFreeLibrary. The
// import is found by its address, so a forwarded export matches too.
void WatchProgramRelease() {
    // The address the loader bound: the same one the program's import holds.
    systemFreeLibrary = &::FreeLibrary;
    auto* const base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
    if (base == nullptr)
        return;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE)
        return;
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return;
    const auto wanted = reinterpret_cast<ULONG_PTR>(systemFreeLibrary);
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
             slot->u1.Function != 0; ++slot) {
            if (slot->u1.Function != wanted)
                continue;
            DWORD protection = 0;
            if (::VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE,
                                 &protection)) {
                slot->u1.Function = reinterpret_cast<ULONG_PTR>(&LoggingFreeLibrary);
                ::VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection,
                                 &protection);
            }
        }
    }
}

// Keeps this DLL loaded until the process ends.
void PinModule() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(thisModule, path, sizeof path);
    if (length > 0 && length < sizeof path)
        ::LoadLibraryA(path);
}

VirtualAspi* State() {
    std::lock_guard<std::mutex> lock(stateMutex);
    if (state == nullptr) {
        state = VirtualAspi::FromEnvironment().release();
        PinModule();
        WatchProgramRelease();
    }
    return state;
}

}  // namespace

extern "C" {

std::uint32_t __cdecl GetASPI32SupportInfo() {
    try {
        VirtualAspi* aspi = State();
        return aspi != nullptr ? aspi->SupportInfo()
                               : std::uint32_t{tessaly::wnaspi32::kNoScenarioStatus} << 8;
    } catch (...) {
        return std::uint32_t{tessaly::wnaspi32::kNoScenarioStatus} << 8;
    }
}

std::uint32_t __cdecl SendASPI32Command(void* srb) {
    try {
        VirtualAspi* aspi = State();
        return aspi != nullptr ? aspi->Send(srb) : tessaly::aspi::SS_INVALID_CMD;
    } catch (...) {
        return tessaly::aspi::SS_ABORTED;
    }
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        thisModule = instance;
    } else if (reason == DLL_PROCESS_DETACH) {
        delete state;
        state = nullptr;
    }
    return TRUE;
}

}  // extern "C"

// The entry points have exactly the types the program calls them through.
static_assert(
    std::is_same_v<decltype(&GetASPI32SupportInfo), tessaly::aspi::GetASPI32SupportInfoProc>);
static_assert(std::is_same_v<decltype(&SendASPI32Command), tessaly::aspi::SendASPI32CommandProc>);
