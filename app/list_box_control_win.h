// A list box seen through a small wrapper over a window it does not own:
// the page code reads `list.Selection()`, not SendMessage(h, LB_GETCURSEL, ...).
// A wrapper over no window answers as an empty list and changes nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

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

  // Brings the list box to `count` rows with these texts, changing only
  // the rows between the texts alike at the beginning and at the end, so a
  // list an action did not change keeps its selection and scroll position.
  // The rows keep their texts for what reads the list from outside (screen
  // readers, type-ahead); the drawing reads the records.
  void SetRows(int count, const std::function<std::wstring(int)>& textOf);
  // Selects a row, -1 for none; nothing happens when it is selected already.
  void Select(int index);

 private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  HWND hwnd_;
};

}  // namespace fendrel
