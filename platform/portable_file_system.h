// The file system of the native build, on the C++ standard library. It keeps
// the hold's sharing rule among this program's own opens, as Windows does for
// every process: an input open admits readers and refuses writers, replaces
// and deletes. A backslash in a path is a folder separator, as on Windows.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"
#include "platform/windows_1252.h"

namespace fendrel {

class PortableFileSystem : public FileSystem {
 public:
  PortableFileSystem();
  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override;
  FileError Replace(const std::string& source, const std::string& target) override;
  FileError Remove(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  // A symbolic link is a link, whatever it points to.
  FileError ListFolder(const std::string& path, std::vector<FolderItem>& items) override;
  // A hold that refuses nothing: no process here can be refused a rename of
  // a folder, and the sharing table below keeps files only, so this
  // program's own replaces and removes in a held folder go on as on Windows.
  FileError HoldFolder(const std::string& path, std::unique_ptr<OpenFile>& hold) override;
  void Pause(int milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  // Code page 1252, the ANSI code page of English and Western European Windows.
  const CodePage& AnsiCodePage() const override { return codePage_; }

  // Who has a path open, by mode: readers and writers.
  struct Users {
    int readers = 0;
    int writers = 0;
  };
  using UserTable = std::map<std::string, Users>;

 private:
  std::shared_ptr<UserTable> users_;
  Windows1252CodePage codePage_;
};

// The path with every backslash turned into the native separator.
std::string NativePath(const std::string& path);

}  // namespace fendrel
