// The click handling of Form1's buttons, the tray icon's notifications and
// the switch and emergency state as the window shows them. Each handler
// reads its page's controls, calls the core and shows what changed.
#include <windows.h>

#include "app/control_ids.h"
#include "app/form1_win.h"
#include "app/layout.h"
#include "app/messages.h"

namespace fendrel {

void Form1::WireHandlers() {
  // The safe list and the emergency list pages.
  OnClick(ctl::cmdSafeDot, [this] { SetCaption(ctl::txtSafeAdd, editing_.Browse()); });
  OnClick(ctl::cmdEDot, [this] { SetCaption(ctl::txtEAdd, editing_.Browse()); });
  OnClick(ctl::cmdSafeAdd, [this] {
    editing_.SafeAdd(Text(ctl::txtSafeAdd));
    MirrorLists();
  });
  OnClick(ctl::cmdEAdd, [this] {
    editing_.EmerAdd(Text(ctl::txtEAdd));
    MirrorLists();
  });
  OnClick(ctl::cmdSafeRem, [this] {
    editing_.SafeRemove(ListSelection(ctl::SafeList));
    MirrorLists();
  });
  OnClick(ctl::cmdERem, [this] {
    editing_.EmerRemove(ListSelection(ctl::EmerList));
    MirrorLists();
  });

  // The emergency buttons and the tray menu.
  OnClick(ctl::Command3, [this] { Emergency(); });
  OnClick(ctl::Command4, [this] {
    emergency_.NoEmergency();
    ShowEmergencyState();
    MirrorLists();
  });
  OnClick(kMenuOpen, [this] { LoadFormAgain(); });
  OnClick(kMenuEmergency, [this] { Emergency(); });

  // The password pages.
  OnClick(ctl::cmdCheckPass, [this] { passwordPages_.cmdCheckPass_Click(WideText(ctl::txtCheckPass)); });
  OnClick(ctl::Command5, [this] {
    passwordPages_.Command5_Click(WideText(ctl::txtCreatePass), WideText(ctl::txtCreatePass2));
  });
  OnClick(ctl::Command6, [this] {
    passwordPages_.Command6_Click(WideText(ctl::txtCurPass), WideText(ctl::txtNewPass),
                                  WideText(ctl::txtConPass));
  });
  OnClick(ctl::Command7, [this] { passwordPages_.Command7_Click(WideText(ctl::txtClose)); });

  // The ON/OFF switch: the check box has already toggled itself.
  OnClick(ctl::optOn, [this] { ShowSwitch(switch_.Click(IsChecked(ctl::optOn))); });

  // The About page's web link.
  OnClick(ctl::Label23, [this] {
    if (!browser_.Open(kProductWebSite))
      boxes_.Show(messages::CouldNotOpenWebSite(kProductWebSite), messages::kTitle);
  });
}

void Form1::Emergency() {
  emergency_.Emergency();
  ShowEmergencyState();
  MirrorLists();
}

void Form1::ShowEmergencyState() {
  SetEnabled(ctl::Command3, !emergency_.on());
  SetEnabled(ctl::Command4, emergency_.on());
}

void Form1::ShowSwitch(const SwitchLook& look) {
  // The switch's handling has run already; setting the box must not run it again.
  SendMessageA(Control(ctl::optOn), BM_SETCHECK, look.checked ? BST_CHECKED : BST_UNCHECKED, 0);
  SetCaption(ctl::optOn, look.caption);
  SetTextColour(ctl::optOn, look.colour);
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
    {kWelcome, ctl::cmdCheckPass},
    {kPassword, ctl::Command6},
    {kNewUser, ctl::Command5},
    {kCloseProgram, ctl::Command7},
};

bool IsSingleLineEdit(HWND control) {
  char className[16] = {};
  GetClassNameA(control, className, static_cast<int>(sizeof className));
  return lstrcmpiA(className, "EDIT") == 0 && !(GetWindowLongA(control, GWL_STYLE) & ES_MULTILINE);
}

}  // namespace

UINT Form1::BringForwardMessage() {
  static const UINT message = RegisterWindowMessageA("Fendrel.BringForward");
  return message;
}

bool Form1::PreTranslate(const MSG& message) {
  if (message.message != WM_KEYDOWN || !hwnd_ || !IsChild(hwnd_, message.hwnd)) return false;
  const int page = ShownPage();
  if (message.wParam == VK_RETURN && IsSingleLineEdit(message.hwnd)) {
    for (const DefaultButton& entry : kDefaultButtons) {
      if (entry.page == page && IsChild(Control(ctl::fraContent(page)), message.hwnd)) {
        SendMessageA(Control(entry.button), BM_CLICK, 0, 0);
        return true;
      }
    }
    return false;
  }
  const bool next = message.wParam == VK_NEXT, previous = message.wParam == VK_PRIOR;
  if ((!next && !previous) || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
  // Walk the visible menu items in order and open the next one the level allows.
  std::vector<int> open;
  for (const PageInfo& info : kPages) {
    if (IsWindowVisible(Control(ctl::lblMenuItem(info.index))) &&
        priv(info.index) <= access_.AddAccessLevel(0)) {
      open.push_back(info.index);
    }
  }
  if (open.empty()) return true;
  std::size_t at = 0;
  while (at < open.size() && open[at] != page) ++at;
  const std::size_t count = open.size();
  const std::size_t target = at == count ? 0 : (next ? (at + 1) % count : (at + count - 1) % count);
  selectframe(open[target], 0);
  return true;
}

}  // namespace fendrel
