// Which of the maker's models a drive is. Every lookup identifies the drive anew
// (at least one INQUIRY); nothing is cached between calls.
#pragma once

#include <cstdint>

#include "drives/drive_model_table.h"
#include "transport/inquiry_data.h"
#include "transport/scsi_transport.h"

namespace tessaly {

// Fills row with the drive's model row and answers true, or answers false and
// leaves row untouched.
bool IdentifyDriveModel(ScsiTransport& transport, const DriveAddress& drive, DriveModelRow& row);

bool IsSupportedDrive(ScsiTransport& transport, const DriveAddress& drive);
// The matched row's product key, or "n/a".
const char* ModelProductText(ScsiTransport& transport, const DriveAddress& drive);
bool IsRecorderModel(ScsiTransport& transport, const DriveAddress& drive);
bool IsTenByteModeModel(ScsiTransport& transport, const DriveAddress& drive);
bool HasVendorCommandSet(ScsiTransport& transport, const DriveAddress& drive);
// Speed text index (0 to 6) of the matched row; empty when unknown or out of range.
const char* ModelSpeedText(ScsiTransport& transport, const DriveAddress& drive, int index);
// A model of the table without the vendor command set (the six models whose capabilities
// are read from their mode pages).
bool IsSecondaryListModel(ScsiTransport& transport, const DriveAddress& drive);
// Whether the drive's model has the trait; false for a drive that is no model of the table.
bool HasModelTrait(ScsiTransport& transport, const DriveAddress& drive, ModelTrait trait);

// The medium class of the table's row for an INQUIRY identity already read, without a
// command: the product key's class prefix ("DVDR   ", "DVD-ROM " against "CD-ROM ",
// "CD-R   "). The enclosure and firmware rows that identification may choose instead
// carry the class of the row the identity names.
enum class ModelMediumClass { kNotInTable, kCd, kDvd };
ModelMediumClass MediumClassOfIdentity(const InquiryIdentity& identity);

}  // namespace tessaly
