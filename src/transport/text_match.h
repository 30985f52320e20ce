// Small text rules of the registry mapping: case folding in the ANSI code page's
// ASCII range, substring tests, and the device name Windows 9x gives a SCSI device.
#pragma once

#include <cstddef>

#include "transport/inquiry_data.h"

namespace tessaly {

// Copies text into out (size bytes, terminator included), cutting what does not fit.
void CopyText(const char* text, char* out, std::size_t size);
void ToLowerAscii(char* text);
bool EqualIgnoringCase(const char* a, const char* b);
bool ContainsText(const char* text, const char* word);

// Vendor and product joined, blanks as underscores, letters upper-cased, at most
// size - 1 characters: "VARNOTH CD-R   VW2410S  " -> "VARNOTH_CD-R___VW2410S__".
void JoinDeviceName(const InquiryIdentity& identity, char* out, std::size_t size);

}  // namespace tessaly
