#include "drives/drive_scope.h"

namespace tessaly {

namespace {

bool anyMakerDrives = false;

}  // namespace

void SetAnyMakerDrives(bool anyMaker) {
    anyMakerDrives = anyMaker;
}

bool AnyMakerDrives() {
    return anyMakerDrives;
}

}  // namespace tessaly
