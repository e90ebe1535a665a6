// The shell's special folders through SHGetSpecialFolderLocation.
#pragma once

#include <windows.h>

#include "platform/system_folder.h"

namespace fendrel {

class Win32SystemFolder : public SystemFolder {
 public:
  // `owner` is the window that owns any dialog the shell may show; it may be
  // null, and the main window sets itself once it exists.
  explicit Win32SystemFolder(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }

  std::string GetDataFolder(int csidl) override;

 private:
  HWND owner_;
};

}  // namespace fendrel
