// A list box seen through a small wrapper over a window it does not own:
// the page code reads `list.Selection()`, not SendMessage(h, LB_GETCURSEL, ...).
// A wrapper over no window answers as an empty list and changes nothing.
#pragma once

#include <windows.h>

#include <string>

#include "protection/list_box.h"

namespace fendrel {

class ListBoxControl {
 public:
  explicit ListBoxControl(HWND hwnd) : hwnd_(hwnd) {}
  HWND hwnd() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }

  // The selected entry, -1 for none.
  int Selection() const;
  std::wstring Text(int index) const;
  // The entry at a point of the client area (a mouse message's lParam); -1
  // when the point lies below the entries.
  int ItemAt(LPARAM point) const;
  RECT ItemRect(int index) const;
  // The rows as tall as a plain list box's in this font.
  void FitItemHeight(HFONT font);
  void Redraw();

  // Puts a core list into the list box: its entries in order and its
  // selection (none for -1).
  void Mirror(const ListBox& list);
  // Brings the list box from showing `shown` to showing `list`. Only the
  // entries between their common beginning and end are replaced, so a list
  // an action did not change keeps its entries, selection and scroll position.
  void Mirror(const ListBox& list, const ListBox& shown);

 private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  HWND hwnd_;
};

}  // namespace fendrel
