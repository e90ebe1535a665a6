// The platform's files as the file layer needs them: open a path in one of
// the three modes with the hold's sharing rule, read and write bytes, and
// replace one file by another in a single step.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/code_page.h"

namespace fendrel {

enum class OpenMode {
  Input,   // must exist; read access; other readers admitted, writers and deleters refused
  Output,  // created, or cut to zero bytes
  Append,  // created if missing; writes go to the end
};

enum class FileError {
  None,
  BadFileNumber,     // outside 1 to 511
  FileNumberInUse,   // the number already names an open file
  NotOpen,           // the number names no open file
  WrongMode,         // reading a file opened for writing, or the other way round
  NotFound,          // the path or its folder does not exist
  IsFolder,          // the path names a folder
  SharingViolation,  // another open refuses this one
  AccessDenied,      // no rights, or a read-only file or folder
  DiskFull,
  ReadPastEnd,  // a read at the end of the file
  NameTooLong,  // the path, or a name in it, is longer than the system allows
  NoResources,  // the system has no room for another open file now
  Other,
};

// A name in a folder and what it names.
struct FolderItem {
  enum class Kind {
    File,
    Folder,
    Link,  // a junction or a symbolic link: held as itself, never walked into
  };
  std::string name;
  Kind kind = Kind::File;
};

class OpenFile {
 public:
  virtual ~OpenFile() = default;
  // Reads up to `size` bytes; `got` is 0 only at the end of the file.
  virtual FileError Read(char* buffer, std::size_t size, std::size_t& got) = 0;
  virtual FileError Write(const char* data, std::size_t size) = 0;
  // Pushes written bytes to the disk, so a following replace is durable.
  virtual FileError Flush() = 0;
};

// An open that only holds its file or folder: a held folder, which is
// neither read nor written.
class HoldOnly : public OpenFile {
 public:
  FileError Read(char* /*buffer*/, std::size_t /*size*/, std::size_t& got) override {
    got = 0;
    return FileError::WrongMode;
  }
  FileError Write(const char* /*data*/, std::size_t /*size*/) override { return FileError::WrongMode; }
  FileError Flush() override { return FileError::None; }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) = 0;
  // Puts `source` in the place of `target` in one step, or changes nothing.
  // Refused while `target` is held, like any other writer.
  virtual FileError Replace(const std::string& source, const std::string& target) = 0;
  // Deletes a file; a missing file is not an error.
  virtual FileError Remove(const std::string& path) = 0;
  // The code page the platform's text files are written in: old list files
  // and what the system's ANSI functions took.
  virtual const CodePage& AnsiCodePage() const = 0;
  // True when `path` names a folder that exists now. Never asked of a path
  // that may wait on a network.
  virtual bool FolderExists(const std::string& path) = 0;
  // The names in a folder, never "." or "..", in the system's order.
  // `items` gets every name that could be listed; anything but None means
  // the list is not the whole folder. A name that is not exact text (a lone
  // surrogate on Windows, bytes that are not UTF-8 elsewhere) could never be
  // opened by path, so it is left out and the call ends in Other, never
  // passed over in silence. A path that names no folder (nothing, or a
  // file) is NotFound; an empty folder is no error.
  virtual FileError ListFolder(const std::string& path, std::vector<FolderItem>& items) = 0;
  // Holds a folder (or a link, as itself): while `hold` is open no program
  // may rename, move or delete it, and files may still be made in it. A
  // directory handle that shares reading and writing, not deletion. The
  // hold reads and writes nothing (WrongMode). A path that names a plain
  // file is NotFound, as when the folder is missing: no folder has that
  // name, and one may take it once the file is gone.
  virtual FileError HoldFolder(const std::string& path, std::unique_ptr<OpenFile>& hold) = 0;
  // True when opening `path` may wait a long time on a network (a share, a
  // mapped network drive): such opens run on a worker thread
  // (platform/background_opens.h), so a file system that says so for any
  // path must take Open from another thread.
  virtual bool MayWaitOnNetwork(const std::string& /*path*/) { return false; }
  // Waits a moment before a file that another process uses briefly is
  // tried again (another copy's lock of a list file).
  virtual void Pause(int /*milliseconds*/) {}
};

}  // namespace fendrel
