// Which drives the program lists and reads: the maker's models only, or, when the user
// asks for it (--any-maker), every MMC drive, another maker's read as an unknown model
// and never sent a vendor command. One setting for the process, made at start-up from
// the command line before the first drive is looked at.
#pragma once

namespace tessaly {

void SetAnyMakerDrives(bool anyMaker);
bool AnyMakerDrives();

}  // namespace tessaly
