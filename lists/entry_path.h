// Which list entries name a file that Fendrel may hold. An entry that is not
// an absolute path would name a file in whatever folder Fendrel was started
// from, and one that names a device (NUL, COM1) would "hold" the device:
// both are listed, never held, and never counted as protected.
#pragma once

#include <string_view>

#include "lists/list_outcome.h"

namespace fendrel {

// Why an entry's path is never held: ListReason::NamesDevice for a device
// (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, CONIN$, CONOUT$ as the
// last name, in any case, with any extension, and every "\\.\" path),
// ListReason::NotAbsolute for a relative path ("report.txt", "..\x", "C:x");
// FileError::None for a path that may be held.
ListOutcome EntryPathRefusal(std::string_view path);

}  // namespace fendrel
