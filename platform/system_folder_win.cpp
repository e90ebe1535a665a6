#include "platform/system_folder_win.h"

#include <shlobj.h>

#include <memory>

namespace fendrel {

namespace {
struct ItemListFree {
  // ILFree frees what the shell allocated, without loading COM for it.
  void operator()(ITEMIDLIST* list) const { ILFree(list); }
};
using UniqueItemList = std::unique_ptr<ITEMIDLIST, ItemListFree>;
}  // namespace

std::string Win32SystemFolder::GetDataFolder(int csidl) {
  // Every failure is the empty text; the callers decide what a missing
  // folder means.
  PIDLIST_ABSOLUTE raw = nullptr;
  if (SHGetSpecialFolderLocation(owner_, csidl, &raw) != S_OK) {
    if (raw) ILFree(raw);
    return {};
  }
  const UniqueItemList list(raw);
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(list.get(), path)) return {};
  path[MAX_PATH - 1] = '\0';
  return std::string(path);
}

}  // namespace fendrel
