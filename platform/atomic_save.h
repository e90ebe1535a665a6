// Rewriting a whole file so that a failure, or an end of the process at any
// moment, leaves either the old file or the new one, never a cut one.
#pragma once

#include <string>
#include <vector>

#include "platform/file_layer.h"

namespace fendrel {

// Whether a save may write the file in place when its folder refuses the
// ".new" file beside it.
enum class InPlace {
  // A folder where only the file itself may be written (an administrator
  // made just the list files writable for users) still takes the save.
  Allowed,
  // The file is never cut: a failed write would leave it empty.
  Refused,
};

// Writes `bytes` beside `file` as `file` + ".new" under the file number
// `number`, pushes them to the disk, and puts the new file in the place of
// `file` in one step (the platform keeps `file`'s attributes and security).
// On a failure after the ".new" file was opened it is removed again, and
// `file` is as it was. When the ".new" file may not be created (access
// denied) and `inPlace` allows it, `file` itself is opened for output (cut)
// and written: then a failure of that write is returned and may leave it
// cut. Returns why it failed, or None.
FileError SaveBytesAtomically(FileLayer& files, int number, const std::string& file, const std::string& bytes,
                              InPlace inPlace = InPlace::Allowed);

// The same with `lines`, each followed by CR LF.
FileError SaveAtomically(FileLayer& files, int number, const std::string& file,
                         const std::vector<std::string>& lines, InPlace inPlace = InPlace::Allowed);

}  // namespace fendrel
