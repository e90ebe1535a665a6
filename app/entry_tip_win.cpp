#include "app/entry_tip_win.h"

#include <commctrl.h>

#include "app/list_box_control_win.h"
#include "platform/function_lookup_win.h"
#include "platform/wide_text_win.h"

namespace fendrel {

void EntryTip::Create(HWND owner, HINSTANCE instance, int dpi) {
  if (tips_ || !LoadToolTipClass()) return;
  tips_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, nullptr));
  FitWidth(dpi);
}

void EntryTip::FitWidth(int dpi) {
  // A long path wraps at this width rather than running across the screen.
  constexpr int kTipWidthAt96Dpi = 400;
  if (tips_) SendMessageW(tips_.get(), TTM_SETMAXTIPWIDTH, 0, MulDiv(kTipWidthAt96Dpi, dpi, 96));
}

void EntryTip::Relay(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!tips_) return;
  MSG relayed{};
  relayed.hwnd = list;
  relayed.message = message;
  relayed.wParam = wParam;
  relayed.lParam = lParam;
  relayed.time = static_cast<DWORD>(GetMessageTime());
  GetCursorPos(&relayed.pt);
  SendMessageW(tips_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void EntryTip::ShowFor(HWND list, int item, const std::string& text) {
  if (list == list_ && item == item_ && text == text_) return;
  Forget();
  list_ = list;
  item_ = item;
  text_ = text;
  shown_ = Wide(text);
  if (text.empty()) return;
  // A tool of its own for each entry: the tooltip takes the pointer's move
  // onto it as entering a new tool, and shows the new text.
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = list;
  tool.uId = ++lastTool_;
  tool.rect = ListBoxControl(list).ItemRect(item);
  tool.lpszText = shown_.data();
  if (SendMessageW(tips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) tool_ = tool.uId;
}

void EntryTip::Forget() {
  if (tips_ && tool_ != 0) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = list_;
    tool.uId = tool_;
    SendMessageW(tips_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  list_ = nullptr;
  item_ = -1;
  tool_ = 0;
  text_.clear();
  shown_.clear();
}

}  // namespace fendrel
