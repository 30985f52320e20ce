#include "vpc/drive_traits.h"

#include <array>
#include <string_view>

#include "vpc/drive_models.h"

namespace tessaly::vpc {
namespace {

// Fragments of the product keys whose models report under-run protection in mode
// page 30h rather than in pages 05h and 2Ah (internal and external builds alike).
constexpr std::array<std::string_view, 2> kPage30Models = {"VW5232A", "VD0708A"};

constexpr std::string_view kDvdWriterPrefix = "DVDR ";
constexpr std::string_view kDvdPrefix = "DVD";

// Flags of the SCSI readers, which answer the full table of contents in BCD.
constexpr std::array<std::string_view, 2> kBcdTocFlags = {"0000001", "0000101"};

}  // namespace

DriveTraits TraitsOf(const DriveSpec& drive) {
    DriveTraits traits;
    if (!drive.model) {
        traits.recorder = drive.recorder;
        traits.readsDvd = drive.readsDvd;
        return traits;
    }
    const DriveModel* model = FindDriveModel(*drive.model);
    if (model == nullptr)
        return traits;
    traits.maker = true;
    traits.recorder = model->Flag(1);
    traits.dvdWriter = traits.recorder && model->key.starts_with(kDvdWriterPrefix);
    traits.readsDvd = model->key.starts_with(kDvdPrefix);
    traits.tenByteOnly = model->Flag(6);
    traits.vendorSet = model->Flag(7);
    for (std::string_view flags : kBcdTocFlags) {
        if (model->flags == flags)
            traits.bcdFullToc = true;
    }
    for (std::string_view fragment : kPage30Models) {
        if (model->key.find(fragment) != std::string_view::npos)
            traits.page30 = true;
    }
    return traits;
}

}  // namespace tessaly::vpc
