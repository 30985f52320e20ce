// The preloaded library's state in one process: the backing files named by the
// environment, each recognised by device and inode, with the emulated drive that answers
// for it, and the control requests of the Linux SCSI and CD-ROM drivers that Wine sends
// to such a file.
//
//   TESSALY_SGSHIM_SCENARIO  the scenario file (the virtual PC's format)
//   TESSALY_SGSHIM_DEVICES   the directory of the backing files, one per lettered drive,
//                            named by the letter in lower case
//   TESSALY_SGSHIM_LOG       optional: the command log, appended to by every process
#pragma once

#include <cstdint>

namespace tessaly::sgshim {

// The device number the backing file of a drive reports as a block device: the SCSI
// CD-ROM major (11, sr) and the drive's index as minor; false when the file is none of
// ours. Cheap: called for every fstat of the process.
bool BlockDeviceFor(std::uint64_t deviceMajor, std::uint64_t deviceMinor, std::uint64_t inode,
                    std::uint32_t& rdevMinor);

inline constexpr std::uint32_t kScsiCdromMajor = 11;

// Handles a control request on fd when fd is a backing file: sets result (0 or -1 with
// errno set) and returns true; false when the caller should pass the request on.
bool HandleIoctl(int fd, unsigned long request, void* argument, int& result);

}  // namespace tessaly::sgshim
