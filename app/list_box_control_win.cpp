#include "app/list_box_control_win.h"

#include "platform/drawing_win.h"
#include "platform/wide_text_win.h"

namespace fendrel {

LRESULT ListBoxControl::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return hwnd_ ? SendMessageW(hwnd_, message, wParam, lParam) : LB_ERR;
}

int ListBoxControl::Selection() const {
  const LRESULT selected = Send(LB_GETCURSEL);
  return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

std::wstring ListBoxControl::Text(int index) const {
  const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
  if (length == LB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got = Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

int ListBoxControl::ItemAt(LPARAM point) const {
  const LRESULT hit = Send(LB_ITEMFROMPOINT, 0, point);
  return HIWORD(hit) != 0 ? -1 : static_cast<int>(LOWORD(hit));
}

RECT ListBoxControl::ItemRect(int index) const {
  RECT rect{};
  Send(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
  return rect;
}

void ListBoxControl::FitItemHeight(HFONT font) {
  const WindowDC dc(hwnd_);
  const fendrel::Selection selected(dc.get(), font);
  TEXTMETRICW metrics{};
  if (GetTextMetricsW(dc.get(), &metrics)) Send(LB_SETITEMHEIGHT, 0, MAKELPARAM(metrics.tmHeight, 0));
}

void ListBoxControl::Redraw() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListBoxControl::SetRows(int count, const std::function<std::wstring(int)>& textOf) {
  if (!hwnd_) return;
  const int shown = static_cast<int>(Send(LB_GETCOUNT));
  int same = 0;  // rows alike at the beginning
  while (same < shown && same < count && Text(same) == textOf(same)) ++same;
  int sameEnd = 0;  // and at the end
  while (sameEnd < shown - same && sameEnd < count - same &&
         Text(shown - 1 - sameEnd) == textOf(count - 1 - sameEnd)) {
    ++sameEnd;
  }
  const int removed = shown - same - sameEnd, added = count - same - sameEnd;
  if (removed == 0 && added == 0) return;
  Send(WM_SETREDRAW, FALSE);
  // Row by row costs more than refilling once many rows change.
  constexpr int kMostRowsOneByOne = 256;
  if (removed > kMostRowsOneByOne || added > kMostRowsOneByOne) {
    Send(LB_RESETCONTENT);
    for (int i = 0; i < count; ++i) Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(textOf(i).c_str()));
  } else {
    for (int i = 0; i < removed; ++i) Send(LB_DELETESTRING, static_cast<WPARAM>(same));
    for (int row = same; row < same + added; ++row) {
      Send(LB_INSERTSTRING, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(textOf(row).c_str()));
    }
  }
  Send(WM_SETREDRAW, TRUE);
  Redraw();
}

void ListBoxControl::Select(int index) {
  if (Selection() != index) Send(LB_SETCURSEL, static_cast<WPARAM>(index));
}

}  // namespace fendrel
