// Which listed files are protected now, as Form1 shows it: the two visible
// lists draw each entry by its state (red when its file is not held), a
// tooltip names the reason for the entry under the pointer, and the
// Welcome page sums up the safe list. Also the files dropped from Explorer
// on the two list pages.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <exception>
#include <string>
#include <vector>

#include "app/form1_win.h"
#include "platform/drawing_win.h"
#include "platform/function_lookup_win.h"
#include "platform/wide_text_win.h"
#include "ui/colours.h"
#include "ui/control_ids.h"
#include "ui/messages.h"

namespace fendrel {

namespace {

// The pages that take files dropped on them, and the list each one adds to.
constexpr std::array kDropPages{kMain, kEmergencyList};

// Where an entry list keeps its window and its own procedure while the
// window watches its mouse for the tooltip.
constexpr const wchar_t* kFormProperty = L"Fendrel.Form1";
constexpr const wchar_t* kListProcProperty = L"Fendrel.ListProc";

COLORREF ToColorRef(Rgb colour) {
  return RGB(colour.red, colour.green, colour.blue);
}

std::wstring ListText(HWND list, int index) {
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got =
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

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

// The names dropped, each with whether it is a folder. A name that is no
// text (half of a UTF-16 pair) goes to `notText` as it can be shown.
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
    const DWORD attributes = GetFileAttributesW(name.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    files.push_back({*std::move(path), folder});
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

void Form1::PrepareControl(const ControlSpec& row, HWND control) {
  if (row.kind == Kind::ListBox && row.Has(kEntryStates)) {
    if (!tips_ && LoadToolTipClass()) {
      tips_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr));
      FitTipWidth();
    }
    // The list's mouse moves tell which entry the tooltip is for.
    SetPropW(control, kFormProperty, this);
    SetPropW(control, kListProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrW(control, GWLP_WNDPROC)));
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form1::EntryListProc));
  }
  // Drops come only from programs with no more rights than Fendrel's own:
  // Windows keeps a drop from Explorer out of an elevated Fendrel, so that
  // a program without administrator rights cannot edit the lists through it.
  for (const int page : kDropPages) {
    if (row.id == ctl::PageFrame(page)) DragAcceptFiles(control, TRUE);
  }
}

void Form1::FitTipWidth() {
  // A long path wraps at this width rather than running across the screen.
  constexpr int kTipWidthAt96Dpi = 400;
  if (tips_) SendMessageW(tips_.get(), TTM_SETMAXTIPWIDTH, 0, MulDiv(kTipWidthAt96Dpi, dpi_, 96));
}

// --- The entries' states.

void Form1::ShowEntryStates() {
  ListStates now = EntryStates(protection_);
  if (now != states_) {
    states_ = std::move(now);
    for (const int id : {ctl::kSafeListBox, ctl::kEmergencyListBox}) {
      if (HWND list = Existing(id)) InvalidateRect(list, nullptr, TRUE);
    }
    ForgetTip();  // it may name a state that changed
  }
  Created* summary = Find(ctl::kSafeListSummary);
  if (!summary) return;  // its page shows it when it is built
  // A safe list not read yet is no empty list: the summary says so.
  const bool unread = protection_.safeListUnread() == FileError::NotLoaded;
  const std::string text =
      unread ? messages::SafeListUnread(protection_.SafeListFile(), protection_.safeListUnreadBecause())
             : messages::SafeListSummary(states_.safeFilesHeld, states_.safeFiles);
  const Rgb colour = unread || states_.safeFilesHeld < states_.safeFiles ? kNotProtectedRed : kBlack;
  const std::wstring wide = Wide(text);
  std::wstring shown(static_cast<std::size_t>(GetWindowTextLengthW(summary->hwnd)) + 1, L'\0');
  shown.resize(
      static_cast<std::size_t>(GetWindowTextW(summary->hwnd, shown.data(), static_cast<int>(shown.size()))));
  if (shown == wide && summary->text == colour) return;
  SetWindowTextW(summary->hwnd, wide.c_str());
  summary->text = colour;
  InvalidateRect(summary->hwnd, nullptr, TRUE);
}

const EntryState* Form1::StateOf(int listId, int index) const {
  const std::vector<EntryState>* states = listId == ctl::kSafeListBox        ? &states_.safe
                                          : listId == ctl::kEmergencyListBox ? &states_.emergency
                                                                             : nullptr;
  if (!states || index < 0 || static_cast<std::size_t>(index) >= states->size()) return nullptr;
  return &(*states)[static_cast<std::size_t>(index)];
}

void Form1::FitEntryHeight(HWND listBox, HFONT font) {
  const WindowDC dc(listBox);
  const Selection selected(dc.get(), font);
  TEXTMETRICW metrics{};
  if (GetTextMetricsW(dc.get(), &metrics)) {
    SendMessageW(listBox, LB_SETITEMHEIGHT, 0, MAKELPARAM(metrics.tmHeight, 0));
  }
}

void Form1::DrawListEntry(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  if (item.itemID == static_cast<UINT>(-1)) {  // an empty list with the focus
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rect);
    return;
  }
  const int index = static_cast<int>(item.itemID);
  const EntryState* state = StateOf(static_cast<int>(item.CtlID), index);
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
  const std::wstring entry = ListText(item.hwndItem, index);
  {
    const Selection font(dc, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    RECT textRect = rect;
    textRect.left += MulDiv(2, dpi_, 96);
    DrawTextW(dc, entry.c_str(), static_cast<int>(entry.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rect);
}

// --- The tooltip of the entry under the pointer.

LRESULT CALLBACK Form1::EntryListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* form = static_cast<Form1*>(GetPropW(list, kFormProperty));
  const auto ownProc = reinterpret_cast<WNDPROC>(GetPropW(list, kListProcProperty));
  if (!ownProc) return DefWindowProcW(list, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ownProc));
    RemovePropW(list, kFormProperty);
    RemovePropW(list, kListProcProperty);
    return CallWindowProcW(ownProc, list, message, wParam, lParam);
  }
  if (form && form->hwnd_) {
    try {
      if (IsRelayedToTips(message)) {
        form->OnEntryListMouse(list, message, wParam, lParam);
      } else if (message == WM_MOUSEWHEEL || message == WM_VSCROLL) {
        form->ForgetTip();  // the entries move under the pointer
      }
    } catch (...) {
      // Nothing unwinds into user32; the list goes on without its tooltip.
      form->ReportFailure(message, wParam, std::current_exception());
    }
  }
  return CallWindowProcW(ownProc, list, message, wParam, lParam);
}

void Form1::OnEntryListMouse(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!tips_) return;
  if (message == WM_MOUSEMOVE) {
    const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
    ShowTipFor(list, HIWORD(hit) != 0 ? -1 : static_cast<int>(LOWORD(hit)));
  }
  MSG relayed{};
  relayed.hwnd = list;
  relayed.message = message;
  relayed.wParam = wParam;
  relayed.lParam = lParam;
  relayed.time = static_cast<DWORD>(GetMessageTime());
  GetCursorPos(&relayed.pt);
  SendMessageW(tips_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void Form1::ShowTipFor(HWND list, int item) {
  const EntryState* state = StateOf(GetDlgCtrlID(list), item);
  const std::string text = state && !state->held ? ReasonOf(*state) : std::string();
  if (list == tip_.list && item == tip_.item && text == tip_.text) return;
  ForgetTip();
  tip_.list = list;
  tip_.item = item;
  tip_.text = text;
  tip_.shown = Wide(text);
  if (text.empty()) return;
  // A tool of its own for each entry: the tooltip takes the pointer's move
  // onto it as entering a new tool, and shows the new text.
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = list;
  tool.uId = ++tip_.lastTool;
  SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&tool.rect));
  tool.lpszText = tip_.shown.data();
  if (SendMessageW(tips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) tip_.tool = tool.uId;
}

void Form1::ForgetTip() {
  if (tips_ && tip_.tool != 0) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = tip_.list;
    tool.uId = tip_.tool;
    SendMessageW(tips_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  tip_.list = nullptr;
  tip_.item = -1;
  tip_.tool = 0;
  tip_.text.clear();
  tip_.shown.clear();
}

// --- Files dropped from Explorer.

void Form1::OnDropFiles(HWND frame, HDROP drop) {
  const FinishDrop finish(drop);
  const Busy busy(*this);
  const Created* created = Find(frame);
  if (!created) return;
  const int page = created->row->id - ctl::kPageFrameBase;
  if (std::find(kDropPages.begin(), kDropPages.end(), page) == kDropPages.end()) return;
  // A page is shown only when the level opens it; a drop is checked all the same.
  if (!fendrel::SelectPage(page, 0, access_.Level()).allowed) return;
  std::vector<std::string> notText;
  const std::vector<DroppedFile> files = DroppedFiles(drop, notText);
  if (!notText.empty()) boxes_.Show(messages::NamesNotText(notText), messages::kTitle);
  TakeSelections();
  if (page == kMain) {
    editing_.SafeAddDropped(files);
  } else {
    editing_.EmergencyAddDropped(files);
  }
  MirrorLists();
}

}  // namespace fendrel
