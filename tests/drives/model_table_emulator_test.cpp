// The program's model table and the emulator's own model list are kept apart on purpose;
// this checks that they name the same models with the same flags.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "drives/drive_model_table.h"
#include "support/model_flags.h"
#include "vpc/drive_models.h"

namespace tessaly {
namespace {

using testing::Flags;

const DriveModelRow* FindRow(std::string_view key) {
    for (const DriveModelRow& row : DriveModelTable) {
        if (key == row.productKey)
            return &row;
    }
    return nullptr;
}

TEST(ModelTableAndEmulator, NameTheSameModels) {
    for (const DriveModelRow& row : DriveModelTable) {
        const vpc::DriveModel* model = vpc::FindDriveModel(row.productKey);
        ASSERT_NE(model, nullptr) << "no emulated model for " << row.productKey;
        EXPECT_EQ(model->flags, Flags(row)) << row.productKey;
        const bool external = model->attach == vpc::ModelAttach::kUsb ||
                              model->attach == vpc::ModelAttach::kUsbOr1394;
        EXPECT_EQ(external, row.enclosure != Enclosure::kNone) << row.productKey;
    }
    for (const vpc::DriveModel& model : vpc::DriveModels())
        EXPECT_NE(FindRow(model.key), nullptr) << "no table row for emulated " << model.key;
}

}  // namespace
}  // namespace tessaly
