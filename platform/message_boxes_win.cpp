#include "platform/message_boxes_win.h"

#include "platform/wide_text_win.h"

namespace fendrel {

void Win32MessageBoxes::Show(const std::string& text, const std::string& title) {
  // A hidden owner would leave the box without a taskbar button and behind
  // other windows; a box over a hidden window is shown on its own.
  HWND owner = owner_ && IsWindowVisible(owner_) ? owner_ : nullptr;
  MessageBoxW(owner, Wide(FitForBox(text)).c_str(), Wide(title).c_str(),
              MB_OK | (owner ? 0 : MB_SETFOREGROUND));
}

}  // namespace fendrel
