// The common file-open dialog (GetOpenFileNameA): all files, modal to the
// main window.
#pragma once

#include <windows.h>

#include "platform/file_picker.h"

namespace fendrel {

class Win32FilePicker : public FilePicker {
 public:
  explicit Win32FilePicker(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  std::optional<std::string> PickFile(const std::string& title, const std::string& startFileName) override;

 private:
  HWND owner_;
  HMODULE dialogLibrary_ = nullptr;  // comdlg32, kept loaded once used
};

}  // namespace fendrel
