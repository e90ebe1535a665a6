// The shell's special folders: the path of a folder named by its identifier.
// The password file lives in the Windows system folder.
#pragma once

#include <string>

namespace fendrel {

// The Windows system folder's identifier (CSIDL_SYSTEM); named apart from the
// shell's macro so both can stand in one file.
inline constexpr int kCsidlSystem = 0x25;
// The 32-bit system folder (CSIDL_SYSTEMX86): SysWOW64 on 64-bit Windows,
// where a 32-bit program's "system folder" lands; the system folder itself
// where Windows has no 32-bit side.
inline constexpr int kCsidlSystemX86 = 0x29;

class SystemFolder {
 public:
  virtual ~SystemFolder() = default;
  // The folder's path exactly as the shell reports it (no backslash added or
  // removed), or the empty text when the folder cannot be found.
  virtual std::string GetDataFolder(int csidl) = 0;
};

}  // namespace fendrel
