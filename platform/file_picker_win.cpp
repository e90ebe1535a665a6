#include "platform/file_picker_win.h"

#include <commdlg.h>

#include <vector>

#include "platform/function_lookup_win.h"

namespace fendrel {

std::optional<std::string> Win32FilePicker::PickFile(const std::string& title,
                                                     const std::string& startFileName) {
  // Room for any path Windows can return through the ANSI dialog.
  std::vector<char> fileName(32768, '\0');
  startFileName.copy(fileName.data(), fileName.size() - 1);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  // The dialog's library is loaded on first use, not at every start.
  if (!dialogLibrary_) dialogLibrary_ = LoadLibraryA("comdlg32.dll");
  using GetOpenFileNameFn = BOOL(WINAPI*)(LPOPENFILENAMEA);
  const auto open = FindFunction<GetOpenFileNameFn>(dialogLibrary_, "GetOpenFileNameA");
  if (!open || !open(&dialog)) return std::nullopt;
  return std::string(fileName.data());
}

}  // namespace fendrel
