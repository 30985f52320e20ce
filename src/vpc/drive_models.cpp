#include "vpc/drive_models.h"

#include <array>

namespace tessaly::vpc {
namespace {

using enum ModelAttach;

constexpr std::array<DriveModel, kDriveModelCount> kModels = {{
    {"CD-ROM VN04S", "Varnoth QuadSpin 4S", "0000001", kScsi},
    {"CD-ROM VN06S", "Varnoth HexaSpin 6S", "0000001", kScsi},
    {"CD-ROM VN08S", "Varnoth OctaSpin 8S", "0000001", kScsi},
    {"CD-ROM VN12S", "Varnoth Spin 12S", "0000001", kScsi},
    {"CD-ROM VN20S", "Varnoth Spin 20S", "0000101", kScsi},
    {"CD-ROM VN24S", "Varnoth Spin 24S", "0000101", kScsi},
    {"CD-ROM VN32S/2", "Varnoth Spin 32S (rev. 2)", "0000101", kScsi},
    {"CD-ROM VN32S", "Varnoth Spin 32S", "0000101", kScsi},
    {"CD-ROM VN40S", "Varnoth Spin 40S", "0000101", kScsi},
    {"CD-ROM VN45S", "Varnoth Spin 45S", "0000101", kScsi},
    {"CD-ROM VN50S", "Varnoth Spin 50S", "0000101", kScsi},
    {"CD-ROM VN52S", "Varnoth Spin 52S", "0000101", kScsi},
    {"CD-ROM VN56S", "Varnoth Spin 56S", "0000101", kScsi},
    {"CD-ROM VN52A", "Varnoth Spin 52A", "0000110", kAtapi},
    {"DVD-ROM VD16A", "Varnoth DiscView 16A", "0000110", kAtapi},
    {"CD-R   VW0202", "Varnoth Recorder 2/2", "1000001", kScsi},
    {"VW0202 LOADER", "Varnoth Recorder 2/2 (loader)", "1000001", kScsi},
    {"CD-R   VW0404", "Varnoth Recorder 4/4", "1000001", kScsi},
    {"CD-R   VW0412S", "Varnoth Recorder 4/12", "1110001", kScsi},
    {"CD-R   VW0820S", "Varnoth Recorder 8/20", "1110001", kScsi},
    {"CD-R   VW1210S", "Varnoth Recorder 12/32 SCSI", "1110001", kScsi},
    {"CD-R   VW0820A", "Varnoth Recorder 8/24", "1110011", kAtapi},
    {"CD-R   VW1610S", "Varnoth Recorder 16/40 SCSI", "1111101", kScsi},
    {"CD-R   VW2410S", "Varnoth Recorder 24/40 SCSI", "1111101", kScsi},
    {"CD-R   VW1210A", "Varnoth Recorder 12/32", "1111011", kAtapi},
    {"CD-R   VW1610AU", "Varnoth Traveller 16/40 USB", "1111111", kUsb},
    {"CD-R   VW1610A", "Varnoth Recorder 16/40", "1111111", kAtapi},
    {"CD-R   VW2410AU", "Varnoth Traveller 24/40 USB", "1111111", kUsb},
    {"CD-R   VW2410A", "Varnoth Recorder 24/40", "1111111", kAtapi},
    {"CD-R   VW4012AU", "Varnoth Traveller 40/40 USB", "1111111", kUsb},
    {"CD-R   VW4012A", "Varnoth Recorder 40/40", "1111111", kAtapi},
    {"CD-R   VW4812AU", "Varnoth Traveller 48/48 USB", "1111111", kUsb},
    {"CD-R   VW4812A", "Varnoth Recorder 48/48", "1111111", kAtapi},
    {"CD-R   VW4824AU", "Varnoth Traveller 48/24 USB", "1111111", kUsb},
    {"CD-R   VW4824A", "Varnoth Recorder 48/24", "1111111", kAtapi},
    {"CD-R   VW5224AU", "Varnoth Traveller 52/24 USB", "1111111", kUsb},
    {"CD-R   VW5224A", "Varnoth Recorder 52/24", "1111111", kAtapi},
    {"CD-R   VW3210A", "Varnoth Recorder 32/40", "1111111", kAtapi},
    {"CD-R   VW5232AU", "Varnoth Traveller 52/32 USB", "1111110", kUsb},
    {"CD-R   VW5232A", "Varnoth Recorder 52/32", "1111110", kAtapi},
    {"DVDR   VD0708AF", "Varnoth DiscWriter 708 External", "1111110", kUsbOr1394},
    {"DVDR   VD0708A", "Varnoth DiscWriter 708", "1111110", kAtapi},
}};

}  // namespace

std::span<const DriveModel> DriveModels() {
    return kModels;
}

const DriveModel* FindDriveModel(std::string_view key) {
    while (!key.empty() && key.back() == ' ')
        key.remove_suffix(1);
    for (const DriveModel& model : kModels) {
        if (model.key == key)
            return &model;
    }
    return nullptr;
}

}  // namespace tessaly::vpc
