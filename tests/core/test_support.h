// Shared pieces of the core tests: a fresh folder per test, byte-exact file
// access, and the file systems every file-layer contract runs against.
// Paths are UTF-8, as inside the program; on Windows they reach the file
// system as UTF-16, so any name works, not only the ANSI code page's.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/file_layer.h"
#include "platform/file_system.h"

namespace fendrel {
// Lets GoogleTest print a file error by name.
void PrintTo(FileError error, std::ostream* out);
}  // namespace fendrel

namespace fendrel::testing {

// A new empty folder, removed with everything in it at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder as the program names it, with backslash separators on Windows.
  const std::string& path() const { return path_; }
  // A file in the folder: path() + "\" + name.
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// Writes a file in the folder and returns its path.
std::string MakeFile(const TempFolder& folder, const std::string& name, const std::string& bytes = "data");
// Whether the program's own writer is refused the file, which is what a
// hold does: an append open under the lowest free number.
bool RefusedToOwnWriter(FileLayer& layer, const std::string& path);
void MakeFolder(const std::string& path);

// The file systems that must keep the same contract on this build: the
// portable one everywhere, and the Win32 one on Windows.
struct FileSystemKind {
  std::string name;
  std::unique_ptr<FileSystem> (*make)();
};
std::vector<FileSystemKind> FileSystemKinds();

}  // namespace fendrel::testing
