// The Windows release the program runs on, classified once from GetVersionExA's answer.
// Every rule that depends on the system reads this value: how the transport reaches
// drives, how adapters are classified, how an unknown drive is labelled and the name the
// report prints. A new release is added to OsRelease and to the rule sets here.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/platform.h"

namespace tessaly::platform {

enum class OsRelease : std::uint8_t {
    kUnknown,  // no version, or a platform id other than 1 (Windows 9x) and 2 (NT)
    kWindows95,
    kWindows98,
    kWindows98Se,
    kWindowsMe,
    kNt351,
    kNt4,
    kWindows2000,
    kWindowsXp,     // NT 5.1 and any later 5.x
    kNtOther,       // an NT version the program has no name for
    kWindowsVista,  // NT 6.0
    kWindows7,      // NT 6.1
    kWindows8,      // NT 6.2 (also what 8.1 and later report to a program without a manifest)
    kWindows81,     // NT 6.3
    kWindows10,     // NT 10.0 before build 22000
    kWindows11,     // NT 10.0 from build 22000
    kLinux,         // the Linux edition: pass-through through SG_IO
};

// The transport's rule sets. Windows 9x: the ASPI manager, adapters classified from the
// 9x registry. NT 4: the ASPI manager when installed, adapters classified by their
// identifier. NT 5: pass-through only, devices opened for reading and writing, adapters
// classified by a storage property query. NT 6 and 10 (Vista to 11) follow NT 5's
// rules: their systems grant pass-through only to a handle opened for reading and
// writing. Linux follows NT 5's rules too: pass-through only, with the adapter kind from
// the property query.
enum class TransportRules : std::uint8_t { kWindows9x, kNt4, kNt5 };

class OsVersion {
  public:
    OsVersion() = default;  // as when GetVersionExA fails: all zero, kUnknown
    explicit OsVersion(const OsVersionInfo& info);

    // GetVersionExA, classified; a failed call gives the all-zero version.
    static OsVersion Read(Platform& platform);

    OsRelease Release() const { return release_; }
    const OsVersionInfo& Info() const { return info_; }

    // Platform id 2.
    bool IsNt() const { return info_.platformId == kVerPlatformWin32Nt; }
    // The releases named "Windows NT": 3.51 and 4.0.
    bool IsWindowsNt() const {
        return release_ == OsRelease::kNt351 || release_ == OsRelease::kNt4;
    }
    // Linux follows NT 5's rules, every other platform but NT the Windows 9x rules; NT 5
    // and every later NT version, named or not, follow NT 5's; NT 3.51 and 4.0 NT 4's.
    TransportRules Rules() const;
    // NT 6 and later (Vista on): the systems that refuse drive devices to a user who
    // lacks the rights to them.
    bool IsNt6OrLater() const { return IsNt() && info_.majorVersion >= 6; }
    // NT 6 and later know each drive by its full address (adapter, bus, target, LUN) in
    // tables without fixed limits, and scan every SCSI port number. Windows 95 to XP keep
    // the fixed tables keyed by adapter and target. The Linux edition uses full addresses
    // too: a kernel host may carry many buses, targets beyond 15 and several LUNs, and
    // with one host per SATA port a desktop's drives fill more than the fixed tables' 8
    // adapters, so only the drive letters limit it.
    bool UsesFullAddresses() const { return IsNt6OrLater() || IsLinux(); }
    // The Linux edition's platform.
    bool IsLinux() const { return release_ == OsRelease::kLinux; }

    // How long the driver may take over one pass-through command before it gives up:
    // a minute on NT 6 and later and on Linux; NT 4, 2000 and XP keep the longest time
    // the port driver accepts, 108,000 s.
    std::chrono::seconds PassThroughTimeout() const;
    // NT 6 and later: pass-through data goes through a buffer aligned as the adapter
    // demands.
    bool UsesAlignedTransfers() const { return IsNt6OrLater(); }
    // NT 6 and later and Linux: a drive device that does not open is not asked at all,
    // and why it did not open is the command's result. Earlier systems still send the
    // request to the handle that did not open.
    bool SkipsUnopenedDevices() const { return IsNt6OrLater() || IsLinux(); }

    // "Windows 98 SE", "Windows XP", "Windows 10", ..., "Linux"; "Windows" for kUnknown
    // and kNtOther.
    const char* Name() const;

  private:
    OsVersionInfo info_{};
    OsRelease release_ = OsRelease::kUnknown;
};

}  // namespace tessaly::platform
