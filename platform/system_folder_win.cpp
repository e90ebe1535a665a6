#include "platform/system_folder_win.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <memory>

#include "platform/wide_text_win.h"

namespace fendrel {

namespace {
struct ItemListFree {
  // ILFree frees what the shell allocated, without loading COM for it.
  void operator()(ITEMIDLIST* list) const { ILFree(list); }
};
using UniqueItemList = std::unique_ptr<ITEMIDLIST, ItemListFree>;

struct TaskMemFree {
  void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

// The 32-bit system folder by its known-folder id: the process's own view of
// the file system stays as it is (no redirection is switched off).
std::string SystemX86Folder() {
  wchar_t* raw = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_SystemX86, 0, nullptr, &raw);
  const std::unique_ptr<wchar_t, TaskMemFree> path(raw);
  if (result != S_OK || !path) return {};
  return FromWide(path.get()).value_or(std::string());
}
}  // namespace

std::string Win32SystemFolder::GetDataFolder(int csidl) {
  // Every failure is the empty text; the callers decide what a missing
  // folder means.
  if (csidl == kCsidlSystemX86) return SystemX86Folder();
  PIDLIST_ABSOLUTE raw = nullptr;
  if (SHGetSpecialFolderLocation(owner_, csidl, &raw) != S_OK) {
    if (raw) ILFree(raw);
    return {};
  }
  const UniqueItemList list(raw);
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(list.get(), path)) return {};
  path[MAX_PATH - 1] = L'\0';
  // A folder whose name is no text is no folder the program can name.
  return FromWide(path).value_or(std::string());
}

}  // namespace fendrel
