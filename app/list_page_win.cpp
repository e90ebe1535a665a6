#include "app/list_page_win.h"

#include "app/list_box_control_win.h"
#include "platform/drawing_win.h"
#include "platform/wide_text_win.h"
#include "screen/colours_win.h"
#include "screen/control_ids.h"
#include "screen/messages.h"

namespace fendrel {

namespace {

std::string ReasonOf(const EntryState& state) {
  return state.awaitsEmergency ? messages::kProtectedOnlyAfterEmergency
                               : messages::NotProtectedBecause(state.failure);
}

// The mouse messages a tooltip takes to know where the pointer is.
bool IsRelayedToTips(UINT message) {
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return true;
    default: return false;
  }
}

// The names dropped. A name that is no text (half of a UTF-16 pair) goes to
// `notText` as it can be shown.
std::vector<DroppedFile> DroppedFiles(HDROP drop, std::vector<std::string>& notText) {
  std::vector<DroppedFile> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    std::optional<std::string> path = FromWide(name);
    if (!path) {
      notText.push_back(Narrow(name));
      continue;
    }
    files.push_back({*std::move(path)});
  }
  return files;
}

// The dropped names belong to the receiver until DragFinish frees them,
// also when the handling fails half-way.
class FinishDrop {
 public:
  explicit FinishDrop(HDROP drop) : drop_(drop) {}
  ~FinishDrop() { DragFinish(drop_); }
  FinishDrop(const FinishDrop&) = delete;
  FinishDrop& operator=(const FinishDrop&) = delete;

 private:
  HDROP drop_;
};

}  // namespace

// --- The buttons.

void ListPage::Browse() {
  host_.SetCaption(ids_.pathBox, editing_.Browse());
}

void ListPage::Add() {
  if (const std::optional<std::string> path = host_.PathText(ids_.pathBox)) editing_.Add(ids_.kind, *path);
}

void ListPage::Remove() {
  editing_.Remove(ids_.kind, protection_.selected(ids_.kind));
}

// --- The lists.

void ListPage::Show(bool redraw) {
  // A list box whose page is not built yet is shown the list when it is.
  ListBoxControl list(host_.Existing(ids_.listBox));
  if (list) {
    // A heal changes holds, not paths: the rows' texts are compared only
    // when the paths changed, or the list box is new.
    if (list.hwnd() != filled_.list || filled_.paths != protection_.pathsChanged(ids_.kind)) {
      list.SetRows(protection_.EntryCount(ids_.kind),
                   [this](int i) { return Wide(protection_.Path(ids_.kind, i)); });
      filled_.list = list.hwnd();
      filled_.paths = protection_.pathsChanged(ids_.kind);
    }
    list.Select(protection_.selected(ids_.kind));
    if (redraw) list.Redraw();
  }
  ListBoxControl holds(host_.Existing(ids_.holdNumbers));
  if (!holds || (holds.hwnd() == filled_.holds && filled_.changes == protection_.changes())) return;
  const std::vector<int> rows = protection_.HoldRows(ids_.kind);
  holds.SetRows(static_cast<int>(rows.size()),
                [&rows](int i) { return std::to_wstring(rows[static_cast<std::size_t>(i)]); });
  // The emergency's last hold row is chosen, as its holds are taken in order.
  holds.Select(ids_.kind == ListKind::Emergency ? static_cast<int>(rows.size()) - 1 : -1);
  filled_.holds = holds.hwnd();
  filled_.changes = protection_.changes();
}

void ListPage::OnSelectionChange() {
  protection_.Select(ids_.kind, ListBoxControl(host_.Existing(ids_.listBox)).Selection());
}

// --- The entries' states.

const EntryState* ListPage::StateOf(int index) const {
  const ListStates& all = protection_.states();
  const std::vector<EntryState>& states = ids_.kind == ListKind::Safe ? all.safe : all.emergency;
  if (index < 0 || static_cast<std::size_t>(index) >= states.size()) return nullptr;
  return &states[static_cast<std::size_t>(index)];
}

void ListPage::DrawEntry(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  if (item.itemID == static_cast<UINT>(-1)) {  // an empty list with the focus
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rect);
    return;
  }
  const int index = static_cast<int>(item.itemID);
  // The row's text is the record's; a row the list box has before it
  // catches up with the records is drawn empty.
  const std::wstring entry =
      index < protection_.EntryCount(ids_.kind) ? Wide(protection_.Path(ids_.kind, index)) : L"";
  const EntryState* state = StateOf(index);
  const bool held = !state || state->held;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  // Not held: red text, or white on red while selected.
  COLORREF text = held ? ToColorRef(kBlack) : ToColorRef(kNotProtectedRed);
  COLORREF back = ToColorRef(kWhite);
  if (selected) {
    text = held ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ToColorRef(kWhite);
    back = held ? GetSysColor(COLOR_HIGHLIGHT) : ToColorRef(kNotProtectedRed);
  }
  SetBkColor(dc, back);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  {
    const Selection font(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    RECT textRect = rect;
    textRect.left += MulDiv(2, host_.dpi(), 96);
    DrawTextW(dc, entry.c_str(), static_cast<int>(entry.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rect);
}

// --- The tooltip of the entry under the pointer.

void ListPage::Prepare(int id, HWND control) {
  if (id == ids_.listBox) {
    // The list's mouse moves tell which entry the tooltip is for.
    entryList_.Attach(control, *this, failures_);
  }
  // Drops come only from programs with no more rights than Fendrel's own:
  // Windows keeps a drop from Explorer out of an elevated Fendrel, so that
  // a program without administrator rights cannot edit the lists through it.
  if (id == ctl::PageFrame(ids_.page)) DragAcceptFiles(control, TRUE);
}

std::optional<LRESULT> ListPage::OnEntryListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsRelayedToTips(message)) {
    OnEntryListMouse(list, message, wParam, lParam);
  } else if (message == WM_MOUSEWHEEL || message == WM_VSCROLL) {
    tip_.Forget();  // the entries move under the pointer
  }
  return std::nullopt;  // the list box's own procedure answers every message
}

void ListPage::OnEntryListMouse(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!tip_.hwnd()) return;
  if (message == WM_MOUSEMOVE) {
    const int item = ListBoxControl(list).ItemAt(lParam);
    const EntryState* state = StateOf(item);
    // A folder entry always says what it holds under the folder.
    std::string tip = state && state->folder  ? messages::FolderHeld(*state->folder)
                      : state && !state->held ? ReasonOf(*state)
                                              : std::string();
    // Every entry of a list whose file was read only in part says so.
    const ListOutcome unread = protection_.unread(ids_.kind);
    if (state && unread != FileError::None) {
      const bool safe = ids_.kind == ListKind::Safe;
      tip += (tip.empty() ? "" : " ") +
             messages::ListNotReadWhole(safe ? messages::kSafeListName : messages::kEmergencyListName,
                                        protection_.ListFile(ids_.kind), unread,
                                        protection_.unreadBecause(ids_.kind));
    }
    tip_.ShowFor(list, item, tip);
  }
  tip_.Relay(list, message, wParam, lParam);
}

// --- Files dropped from Explorer.

void ListPage::OnDrop(HDROP drop) {
  const FinishDrop finish(drop);
  // A page is shown only when the level opens it; a drop is checked all the same.
  if (!host_.Opens(ids_.page)) return;
  std::vector<std::string> notText;
  const std::vector<DroppedFile> files = DroppedFiles(drop, notText);
  if (!notText.empty()) boxes_.Show(messages::NamesNotText(notText), messages::kTitle);
  editing_.AddDropped(ids_.kind, files);
}

}  // namespace fendrel
