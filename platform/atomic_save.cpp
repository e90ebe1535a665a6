#include "platform/atomic_save.h"

namespace fendrel {

FileError SaveAtomically(FileLayer& files, int number, const std::string& file,
                         const std::vector<std::string>& lines) {
  const std::string fresh = file + ".new";
  // A ".new" that cannot be opened is not ours to remove (it may be a folder).
  FileError error = files.Open(number, fresh, OpenMode::Output);
  if (error != FileError::None) return error;
  for (const std::string& line : lines) {
    error = files.WriteLine(number, line);
    if (error != FileError::None) break;
  }
  if (error == FileError::None) error = files.Flush(number);
  files.Close(number);
  if (error == FileError::None) error = files.files().Replace(fresh, file);
  // A ".new" left behind after a failed removal is harmless: the next save
  // writes over it. The first failure is the one that matters.
  if (error != FileError::None) files.files().Remove(fresh);
  return error;
}

}  // namespace fendrel
