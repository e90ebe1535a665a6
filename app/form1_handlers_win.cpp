// The click handling of Form1's buttons, the tray icon's notifications and
// the switch and emergency state as the window shows them. Each handler
// reads its page's controls, calls the core and shows what changed.
#include <windows.h>

#include "app/form1_win.h"
#include "screen/control_ids.h"
#include "screen/layout.h"
#include "screen/messages.h"

namespace fendrel {

void Form1::WireHandlers() {
  // The safe list and the emergency list pages.
  for (ListPage& page : listPages_.pages()) {
    OnClick(page.ids().browseButton, [&page] { page.Browse(); });
    OnClick(page.ids().addButton, [&page] { page.Add(); });
    OnClick(page.ids().removeButton, [&page] { page.Remove(); });
  }

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
  OnClick(ctl::kLoginButton, [this] { passwordPages_.OnLogin(controls_.WideText(ctl::kLoginPasswordBox)); });
  OnClick(ctl::kAcceptButton, [this] {
    passwordPages_.OnAcceptNewPassword(controls_.WideText(ctl::kCreatePasswordBox),
                                       controls_.WideText(ctl::kCreateConfirmBox));
  });
  OnClick(ctl::kChangePasswordButton, [this] {
    passwordPages_.OnChangePassword(controls_.WideText(ctl::kCurrentPasswordBox),
                                    controls_.WideText(ctl::kNewPasswordBox),
                                    controls_.WideText(ctl::kConfirmPasswordBox));
  });
  OnClick(ctl::kCloseProgramButton,
          [this] { passwordPages_.OnCloseProgram(controls_.WideText(ctl::kClosePasswordBox)); });

  // The ON/OFF switch: the check box has already toggled itself.
  OnClick(ctl::kOnOffSwitch, [this] { ShowSwitch(switch_.Click(controls_.IsChecked(ctl::kOnOffSwitch))); });

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

void Form1::MirrorLists() {
  listPages_.Mirror();
  healer_.Plan();
}

void Form1::ShowEmergencyState() {
  controls_.SetEnabled(ctl::kEmergencyButton, !emergency_.on());
  controls_.SetEnabled(ctl::kNoEmergencyButton, emergency_.on());
}

void Form1::ShowSwitch(const SwitchLook& look) {
  switchLook_ = look;
  HWND box = controls_.Existing(ctl::kOnOffSwitch);
  if (!box) return;  // its page shows the look when it is built
  // The switch's handling has run already; setting the box must not run it again.
  SendMessageW(box, BM_SETCHECK, look.checked ? BST_CHECKED : BST_UNCHECKED, 0);
  controls_.SetCaption(ctl::kOnOffSwitch, look.caption);
  controls_.SetTextColour(ctl::kOnOffSwitch, look.colour);
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
