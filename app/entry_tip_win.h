// The tooltip over the two entry lists that names why the entry under the
// pointer is not protected. One tooltip serves both lists; it carries one
// tool at a time, a new one for each entry, so moving the pointer onto
// another entry shows that entry's reason.
#pragma once

#include <windows.h>

#include <string>

#include "platform/handles_win.h"

namespace fendrel {

class EntryTip {
 public:
  // Makes the tooltip window, once, owned by `owner`.
  void Create(HWND owner, HINSTANCE instance, int dpi);
  HWND hwnd() const { return tips_.get(); }
  // The wrapping width for the window's resolution.
  void FitWidth(int dpi);
  // A mouse message of `list`: the tooltip learns where the pointer is.
  void Relay(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
  // Puts the tooltip on this entry of the list (-1: none) with this text
  // (empty: nothing to tell about it).
  void ShowFor(HWND list, int item, const std::string& text);
  // Takes the tooltip off its entry (the entries moved or changed).
  void Forget();

 private:
  UniqueWindow tips_;
  HWND list_ = nullptr;
  int item_ = -1;
  std::string text_;
  std::wstring shown_;  // the text as the tooltip takes it
  UINT_PTR tool_ = 0;   // none: nothing to tell about this entry
  UINT_PTR lastTool_ = 0;
};

}  // namespace fendrel
