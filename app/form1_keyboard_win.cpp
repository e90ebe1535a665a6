// Form1's keyboard use beyond what the dialog manager does: Enter presses
// the shown page's button, Ctrl+PgDn and Ctrl+PgUp walk the pages.
#include <windows.h>

#include <iterator>
#include <optional>

#include "app/form1_win.h"
#include "screen/control_ids.h"
#include "screen/navigation.h"
#include "screen/page_walk.h"

namespace fendrel {

namespace {

// The button that Enter presses on each page with a single action.
struct DefaultButton {
  int page;
  int button;
};
constexpr DefaultButton kDefaultButtons[] = {
    {kWelcome, ctl::kLoginButton},
    {kPassword, ctl::kChangePasswordButton},
    {kNewUser, ctl::kAcceptButton},
    {kCloseProgram, ctl::kCloseProgramButton},
};

bool IsSingleLineEdit(HWND control) {
  wchar_t className[16] = {};
  GetClassNameW(control, className, static_cast<int>(std::size(className)));
  return lstrcmpiW(className, L"EDIT") == 0 && !(GetWindowLongW(control, GWL_STYLE) & ES_MULTILINE);
}

}  // namespace

UINT Form1::BringForwardMessage() {
  static const UINT message = RegisterWindowMessageW(L"Fendrel.BringForward");
  return message;
}

bool Form1::PreTranslate(const MSG& message) {
  if (message.message != WM_KEYDOWN || !hwnd_ || !IsChild(hwnd_, message.hwnd)) return false;
  const int page = ShownPage();
  if (message.wParam == VK_RETURN && IsSingleLineEdit(message.hwnd)) {
    for (const DefaultButton& entry : kDefaultButtons) {
      if (entry.page == page && IsChild(controls_.Existing(ctl::PageFrame(page)), message.hwnd)) {
        SendMessageW(controls_.Existing(entry.button), BM_CLICK, 0, 0);
        return true;
      }
    }
    return false;
  }
  const bool next = message.wParam == VK_NEXT, previous = message.wParam == VK_PRIOR;
  if ((!next && !previous) || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
  const std::optional<int> target =
      PageWalk(page, next ? WalkDirection::Next : WalkDirection::Previous, access_.Level());
  if (target) SelectPage(*target, 0);
  return true;
}

}  // namespace fendrel
