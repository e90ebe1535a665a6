// The common file-open dialog (GetOpenFileNameW): all files, modal to the
// main window.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/file_picker.h"

namespace fendrel {

class Win32FilePicker : public FilePicker {
 public:
  explicit Win32FilePicker(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  // Told the chosen name, as it can be shown, when it is no text (half of a
  // UTF-16 pair); the choice then counts as cancelled.
  void SetNameNotTextHandler(std::function<void(const std::string&)> told) { nameNotText_ = std::move(told); }
  std::optional<std::string> PickFile(const std::string& title, const std::string& startFileName) override;

 private:
  HWND owner_;
  HMODULE dialogLibrary_ = nullptr;  // comdlg32, kept loaded once used
  std::function<void(const std::string&)> nameNotText_;
};

}  // namespace fendrel
