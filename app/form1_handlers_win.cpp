// The click handling of Form1's buttons, the tray icon's notifications and
// the switch and emergency state as the window shows them. Each handler
// reads its page's controls, calls the core and shows what changed.
#include <windows.h>

#include "app/form1_win.h"
#include "ui/control_ids.h"
#include "ui/layout.h"
#include "ui/messages.h"
#include "ui/page_walk.h"

namespace fendrel {

void Form1::WireHandlers() {
  // The safe list and the emergency list pages.
  OnClick(ctl::kSafeBrowseButton, [this] { SetCaption(ctl::kSafePathBox, editing_.Browse()); });
  OnClick(ctl::kEmergencyBrowseButton, [this] { SetCaption(ctl::kEmergencyPathBox, editing_.Browse()); });
  OnClick(ctl::kSafeAddButton, [this] {
    if (const std::optional<std::string> path = PathText(ctl::kSafePathBox)) editing_.SafeAdd(*path);
    MirrorLists();
  });
  OnClick(ctl::kEmergencyAddButton, [this] {
    if (const std::optional<std::string> path = PathText(ctl::kEmergencyPathBox))
      editing_.EmergencyAdd(*path);
    MirrorLists();
  });
  OnClick(ctl::kSafeRemoveButton, [this] {
    editing_.SafeRemove(ListSelection(ctl::kSafeListBox));
    MirrorLists();
  });
  OnClick(ctl::kEmergencyRemoveButton, [this] {
    editing_.EmergencyRemove(ListSelection(ctl::kEmergencyListBox));
    MirrorLists();
  });

  // The emergency buttons and the tray menu.
  OnClick(ctl::kEmergencyButton, [this] { Emergency(); });
  OnClick(ctl::kNoEmergencyButton, [this] {
    emergency_.NoEmergency();
    ShowEmergencyState();
    MirrorLists();
  });
  OnClick(kTrayOpenItem, [this] { LoadFormAgain(); });
  OnClick(kTrayEmergencyItem, [this] { Emergency(); });

  // The password pages.
  OnClick(ctl::kLoginButton, [this] { passwordPages_.OnLogin(WideText(ctl::kLoginPasswordBox)); });
  OnClick(ctl::kAcceptButton, [this] {
    passwordPages_.OnAcceptNewPassword(WideText(ctl::kCreatePasswordBox), WideText(ctl::kCreateConfirmBox));
  });
  OnClick(ctl::kChangePasswordButton, [this] {
    passwordPages_.OnChangePassword(WideText(ctl::kCurrentPasswordBox), WideText(ctl::kNewPasswordBox),
                                    WideText(ctl::kConfirmPasswordBox));
  });
  OnClick(ctl::kCloseProgramButton,
          [this] { passwordPages_.OnCloseProgram(WideText(ctl::kClosePasswordBox)); });

  // The ON/OFF switch: the check box has already toggled itself.
  OnClick(ctl::kOnOffSwitch, [this] { ShowSwitch(switch_.Click(IsChecked(ctl::kOnOffSwitch))); });

  // The About page's web link.
  OnClick(ctl::kWebLink, [this] {
    if (!browser_.Open(messages::kProductWebSite))
      boxes_.Show(messages::CouldNotOpenWebSite(messages::kProductWebSite), messages::kTitle);
  });
}

void Form1::Emergency() {
  emergency_.Emergency();
  ShowEmergencyState();
  MirrorLists();
}

void Form1::ShowEmergencyState() {
  SetEnabled(ctl::kEmergencyButton, !emergency_.on());
  SetEnabled(ctl::kNoEmergencyButton, emergency_.on());
}

void Form1::ShowSwitch(const SwitchLook& look) {
  switchLook_ = look;
  HWND box = Existing(ctl::kOnOffSwitch);
  if (!box) return;  // its page shows the look when it is built
  // The switch's handling has run already; setting the box must not run it again.
  SendMessageW(box, BM_SETCHECK, look.checked ? BST_CHECKED : BST_UNCHECKED, 0);
  SetCaption(ctl::kOnOffSwitch, look.caption);
  SetTextColour(ctl::kOnOffSwitch, look.colour);
}

void Form1::OnTrayNotification(WPARAM id, LPARAM event) {
  if (id != kTrayIconId) return;
  switch (LOWORD(event)) {
    case WM_LBUTTONDBLCLK: LoadFormAgain(); break;
    case WM_RBUTTONUP: form2_.ShowTrayMenu(hwnd_); break;
    default: break;  // single clicks and moves over the icon do nothing
  }
}

}  // namespace fendrel

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
      if (entry.page == page && IsChild(Control(ctl::PageFrame(page)), message.hwnd)) {
        SendMessageW(Control(entry.button), BM_CLICK, 0, 0);
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
