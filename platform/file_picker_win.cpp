#include "platform/file_picker_win.h"

#include <commdlg.h>

#include <vector>

#include "platform/function_lookup_win.h"
#include "platform/wide_text_win.h"

namespace fendrel {

std::optional<std::string> Win32FilePicker::PickFile(const std::string& title,
                                                     const std::string& startFileName) {
  // Room for any path Windows can return.
  std::vector<wchar_t> fileName(32768, L'\0');
  Wide(startFileName).copy(fileName.data(), fileName.size() - 1);
  const std::wstring wideTitle = Wide(title);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.lpstrTitle = wideTitle.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  // The dialog's library is loaded on first use, not at every start.
  if (!dialogLibrary_) dialogLibrary_ = LoadLibraryW(L"comdlg32.dll");
  using GetOpenFileNameFn = BOOL(WINAPI*)(LPOPENFILENAMEW);
  const auto open = FindFunction<GetOpenFileNameFn>(dialogLibrary_, "GetOpenFileNameW");
  if (!open || !open(&dialog)) return std::nullopt;
  const std::wstring chosen(fileName.data());
  if (std::optional<std::string> path = FromWide(chosen)) return path;
  // Half of a UTF-16 pair in the name: no text, so no list can keep it.
  if (nameNotText_) nameNotText_(Narrow(chosen));
  return std::nullopt;
}

}  // namespace fendrel
