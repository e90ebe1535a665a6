// The click handling of Form1's buttons and the tray icon's notifications.
// Each handler reads its page's controls, calls the core and shows what
// changed.
#include <windows.h>

#include "app/form1_win.h"
#include "platform/start_steps.h"
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
  OnClick(ctl::kEmergencyButton, [this] { emergencyButtons_.Emergency(); });
  OnClick(ctl::kNoEmergencyButton, [this] { emergencyButtons_.NoEmergency(); });
  OnClick(kTrayOpenItem, [this] { LoadFormAgain(); });
  OnClick(kTrayEmergencyItem, [this] { emergencyButtons_.Emergency(); });

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
  OnClick(ctl::kOnOffSwitch, [this] { switchBox_.OnClick(); });

  // The About page's web link.
  OnClick(ctl::kWebLink, [this] {
    if (!browser_.Open(messages::kProductWebSite))
      boxes_.Show(messages::CouldNotOpenWebSite(messages::kProductWebSite), messages::kTitle);
  });
}

void Form1::MirrorLists() {
  {
    const StartStep step("showing the lists");
    listPages_.Mirror();
  }
  healer_.Plan();
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
