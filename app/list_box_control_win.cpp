#include "app/list_box_control_win.h"

#include <vector>

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

void ListBoxControl::Mirror(const ListBox& list) {
  Send(WM_SETREDRAW, FALSE);
  Send(LB_RESETCONTENT);
  for (const std::string& item : list.items)
    Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
  Send(LB_SETCURSEL, static_cast<WPARAM>(list.HasSelection() ? list.selected : -1));
  Send(WM_SETREDRAW, TRUE);
  Redraw();
}

void ListBoxControl::Mirror(const ListBox& list, const ListBox& shown) {
  const std::vector<std::string>& now = shown.items;
  const std::vector<std::string>& wanted = list.items;
  std::size_t same = 0;  // entries alike at the beginning
  while (same < now.size() && same < wanted.size() && now[same] == wanted[same]) ++same;
  std::size_t sameEnd = 0;  // and at the end
  while (sameEnd < now.size() - same && sameEnd < wanted.size() - same &&
         now[now.size() - 1 - sameEnd] == wanted[wanted.size() - 1 - sameEnd]) {
    ++sameEnd;
  }
  const std::size_t removed = now.size() - same - sameEnd, added = wanted.size() - same - sameEnd;
  // Row by row costs more than refilling once many rows change.
  constexpr std::size_t kMostRowsOneByOne = 256;
  if (removed > kMostRowsOneByOne || added > kMostRowsOneByOne) {
    Mirror(list);
    return;
  }
  if (removed > 0 || added > 0) {
    Send(WM_SETREDRAW, FALSE);
    for (std::size_t i = 0; i < removed; ++i) Send(LB_DELETESTRING, same);
    for (std::size_t i = 0; i < added; ++i) {
      Send(LB_INSERTSTRING, same + i, reinterpret_cast<LPARAM>(Wide(wanted[same + i]).c_str()));
    }
    Send(WM_SETREDRAW, TRUE);
    Redraw();
  }
  const LRESULT selected = list.HasSelection() ? list.selected : -1;
  if (Send(LB_GETCURSEL) != selected) Send(LB_SETCURSEL, static_cast<WPARAM>(selected));
}

}  // namespace fendrel
