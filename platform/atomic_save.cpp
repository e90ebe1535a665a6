#include "platform/atomic_save.h"

namespace fendrel {

namespace {
// Opens `path` for output under `number`, writes and flushes `bytes`, and
// closes it. The first failure.
FileError WriteWhole(FileLayer& files, int number, const std::string& path, const std::string& bytes) {
  FileError error = files.Open(number, path, OpenMode::Output);
  if (error != FileError::None) return error;
  error = files.Write(number, bytes);
  if (error == FileError::None) error = files.Flush(number);
  files.Close(number);
  return error;
}
}  // namespace

FileError SaveBytesAtomically(FileLayer& files, int number, const std::string& file, const std::string& bytes,
                              InPlace inPlace) {
  const std::string fresh = file + ".new";
  // A ".new" that cannot be opened is not ours to remove (it may be a folder).
  FileError error = files.Open(number, fresh, OpenMode::Output);
  if (error == FileError::AccessDenied && inPlace == InPlace::Allowed) {
    // The folder takes no new file, but the file itself may be writable.
    return WriteWhole(files, number, file, bytes);
  }
  if (error != FileError::None) return error;
  error = files.Write(number, bytes);
  if (error == FileError::None) error = files.Flush(number);
  files.Close(number);
  if (error == FileError::None) error = files.files().Replace(fresh, file);
  // A ".new" left behind after a failed removal is harmless: the next save
  // writes over it. The first failure is the one that matters.
  if (error != FileError::None) files.files().Remove(fresh);
  return error;
}

FileError SaveAtomically(FileLayer& files, int number, const std::string& file,
                         const std::vector<std::string>& lines, InPlace inPlace) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return SaveBytesAtomically(files, number, file, bytes, inPlace);
}

}  // namespace fendrel
