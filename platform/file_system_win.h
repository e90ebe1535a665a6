// The Windows file system: CreateFileW with read-only sharing for every open,
// so a file opened for input admits readers and refuses writers and deleters,
// in this process and every other.
#pragma once

#include <array>

#include "platform/file_system.h"

namespace fendrel {

class Win32FileSystem : public FileSystem {
 public:
  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override;
  // One rename (MoveFileExW); the new file first gets the target's
  // attributes and access list, so a save keeps what was set on the file.
  FileError Replace(const std::string& source, const std::string& target) override;
  FileError Remove(const std::string& path) override;
  const CodePage& AnsiCodePage() const override;
  bool FolderExists(const std::string& path) override;
  // FindFirstFileExW over the exact path. A reparse point of any kind (a
  // junction, a symbolic link, a mount point) is a link.
  FileError ListFolder(const std::string& path, std::vector<FolderItem>& items) override;
  // A directory handle (CreateFileW with backup semantics, the reparse point
  // itself) with list access and FILE_SHARE_READ | FILE_SHARE_WRITE: an open
  // with only attribute access would take no part in the sharing check, and
  // without delete sharing every rename, move or delete of the folder is
  // refused while files may still be made, changed and removed in it.
  FileError HoldFolder(const std::string& path, std::unique_ptr<OpenFile>& hold) override;
  // A UNC path, or a drive Windows maps to a network share. Asked on the
  // window's thread only.
  bool MayWaitOnNetwork(const std::string& path) override;
  void Pause(int milliseconds) override;

 private:
  struct DriveKind {
    unsigned long long askedAt = 0;  // GetTickCount64 of the answer, 0 for none
    bool remote = false;
  };
  std::array<DriveKind, 26> drives_{};
};

// Maps a GetLastError() code onto the file layer's errors.
FileError FromWin32Error(unsigned long code);

}  // namespace fendrel
