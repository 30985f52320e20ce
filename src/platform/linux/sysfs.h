// What sysfs tells of the SCSI hosts and devices: each host's driver, own id and place
// in the device tree, and each device's address, peripheral type, identification and INQUIRY bytes.
// Every file is read bounded and parsed strictly; a file that is missing or malformed leaves its
// field unset, and an entry whose name is not an address is skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly::platform::linux_os {

inline constexpr std::size_t kMaxSysfsFileBytes = 4096;
inline constexpr std::size_t kMaxInquiryBytes = 96;
inline constexpr int kMaxHostNumber = 255;  // SCSI_IOCTL_GET_IDLUN keeps 8 bits
// Host numbers grow with every hot-plugged adapter; sysfs names them whole. Channel,
// target and LUN are read as far as this too, and cut where a Windows address ends.
inline constexpr int kMaxSysfsNumber = 0xFFFFFF;

struct SysfsHost {
    int number = 0;
    std::string driver;  // proc_name: "ata_piix", "ahci", "usb-storage", ...
    int ownId = -1;      // this_id; -1 when the host has none
    // Where the host sits: its device path below the sysfs root, as its "device" link
    // (else its class entry) resolves ("/devices/pci0000:00/0000:00:14.0/usb2/2-1/
    // 2-1:1.0/host6"); empty when neither resolves below the root.
    std::string devicePath;
};

struct SysfsDevice {
    int host = 0;
    int channel = 0;
    int id = 0;
    int lun = 0;
    int type = -1;  // peripheral device type; 5 is a CD/DVD drive
    std::string vendor;
    std::string model;
    std::string revision;
    std::vector<std::uint8_t> inquiry;  // at most kMaxInquiryBytes
    std::string node;                   // its block device ("sr0"); empty when none
};

struct SysfsSnapshot {
    bool mounted = false;              // the device classes could be read
    std::vector<SysfsHost> hosts;      // by host number
    std::vector<SysfsDevice> devices;  // by address
    int unreadDevices = 0;             // entries whose name is no address within range
    const SysfsHost* Host(int number) const;
    int HighestHost() const { return hosts.empty() ? -1 : hosts.back().number; }
};

// Reads root/class/scsi_host and root/class/scsi_device (root is "/sys" on a system).
SysfsSnapshot ReadSysfs(const std::string& root);

// Parsers of the files' texts, for the reader and its tests.
bool ParseSysfsInt(const std::string& text, int low, int high, int& value);
bool ParseScsiAddress(const std::string& name, int (&parts)[4]);
// A device node's name: letters then digits ("sr0"), nothing else.
bool IsNodeName(const std::string& name);
std::string TrimSysfsText(const std::string& text);

}  // namespace tessaly::platform::linux_os
