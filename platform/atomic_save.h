// Rewriting a whole file so that a failure, or an end of the process at any
// moment, leaves either the old file or the new one, never a cut one.
#pragma once

#include <string>
#include <vector>

#include "platform/file_layer.h"

namespace fendrel {

// Writes `bytes` beside `file` as `file` + ".new" under the file number
// `number`, pushes them to the disk, and puts the new file in the place of
// `file` in one step. On a failure after the ".new" file was opened it is
// removed again, and `file` is as it was. Returns why it failed, or None.
FileError SaveBytesAtomically(FileLayer& files, int number, const std::string& file,
                              const std::string& bytes);

// The same with `lines`, each followed by CR LF.
FileError SaveAtomically(FileLayer& files, int number, const std::string& file,
                         const std::vector<std::string>& lines);

}  // namespace fendrel
