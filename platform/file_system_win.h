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
