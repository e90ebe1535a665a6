// The click handling of Form1's buttons and the tray icon's notifications.
// Each handler reads its page's controls, calls the core and shows what
// changed.
#include <windows.h>

#include <string>

#include "app/form1_win.h"
#include "platform/browser.h"
#include "platform/message_boxes.h"
#include "platform/start_steps.h"
#include "screen/control_ids.h"
#include "screen/layout.h"
#include "screen/messages.h"

namespace fendrel {

namespace {

// What is typed in a password box, as UTF-16 code units, as the password
// digest takes it.
std::u16string Typed(PageControls& controls, int id) {
  const std::wstring text = controls.Edit(id).Text();
  return {text.begin(), text.end()};
}

}  // namespace

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
  OnClick(ctl::kLoginButton, [this] { passwordPages_.OnLogin(Typed(controls_, ctl::kLoginPasswordBox)); });
  OnClick(ctl::kAcceptButton, [this] {
    passwordPages_.OnAcceptNewPassword(Typed(controls_, ctl::kCreatePasswordBox),
                                       Typed(controls_, ctl::kCreateConfirmBox));
  });
  OnClick(ctl::kChangePasswordButton, [this] {
    passwordPages_.OnChangePassword(Typed(controls_, ctl::kCurrentPasswordBox),
                                    Typed(controls_, ctl::kNewPasswordBox),
                                    Typed(controls_, ctl::kConfirmPasswordBox));
  });
  OnClick(ctl::kCloseProgramButton,
          [this] { passwordPages_.OnCloseProgram(Typed(controls_, ctl::kClosePasswordBox)); });

  // The ON/OFF switch: the check box has already toggled itself.
  OnClick(ctl::kOnOffSwitch, [this] { switchBox_.OnClick(); });

  // The About page's web link.
  OnClick(ctl::kWebLink, [this] {
    if (!browser_.Open(messages::kProductWebSite))
      boxes_.Show(messages::CouldNotOpenWebSite(messages::kProductWebSite), messages::kTitle);
  });
}

void Form1::ShowChanges() noexcept {
  try {
    {
      const StartStep step("showing the lists");
      listPages_.Show();
    }
    healer_.Plan();
  } catch (...) {
    // The core's change stands; the window shows it at the next one.
    failures_.Report(WM_NULL, 0, std::current_exception());
  }
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
