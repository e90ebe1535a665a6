// The real main window in this process, made as the start-up step makes it
// with the core it drives, for the window's tests and the tray's.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "app/form1_win.h"
#include "platform/file_system_win.h"
#include "screen/layout.h"
#include "startup/on_off_switch.h"
#include "tests/core/fakes.h"
#include "tests/core/test_support.h"
#include "tests/win32/e2e_driver_win.h"
#include "tests/win32/process_windows_win.h"

namespace fendrel::testing {

// The shell's notification area: the icons it shows, each named by its
// window and number. An add of an icon it shows already is refused, as the
// shell refuses it; a restarted shell shows none.
// What an added icon shows takes only the parts its flags name, as the
// shell reads them.
class NotificationArea {
 public:
  struct Shown {
    bool picture = false;
    UINT callback = 0;  // 0: the icon sends the window nothing
    std::wstring tip;
  };
  BOOL Notify(DWORD message, const NOTIFYICONDATAW& data) {
    const Icon icon{data.hWnd, data.uID};
    switch (message) {
      case NIM_ADD:
        if (!icons.insert(icon).second) return FALSE;
        shown[icon] = Shown{(data.uFlags & NIF_ICON) && data.hIcon,
                            (data.uFlags & NIF_MESSAGE) ? data.uCallbackMessage : 0,
                            (data.uFlags & NIF_TIP) ? std::wstring(data.szTip) : std::wstring()};
        return TRUE;
      case NIM_MODIFY: return icons.count(icon) ? TRUE : FALSE;
      case NIM_DELETE: return icons.erase(icon) ? TRUE : FALSE;
      default: return FALSE;
    }
  }
  void Restart() { icons.clear(); }

  using Icon = std::pair<HWND, UINT>;
  std::set<Icon> icons;
  std::map<Icon, Shown> shown;
};

inline void Click(HWND control) {
  SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

// Runs the window's queued messages until a condition holds; false (and a
// failure naming `what`) after the usual wait.
inline bool PumpUntil(const std::function<bool()>& condition, const std::string& what) {
  return WaitFor(
      [&] {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        return condition();
      },
      what);
}

class Form1Test : public ::testing::Test {
 protected:
  // Creates the window as the start-up step does, with a level granted first.
  // Every page is built then, as the program builds them once the window
  // shows; `everyPage` false leaves only the first page built.
  void Start(std::int16_t level, bool silent = false, bool everyPage = true) {
    access_.AddAccessLevel(level);
    // A returning user with the switch ON: a password is set and the Run
    // value exists, so the load step shows Welcome and no warning.
    testing::MakeFile(folder_, "satinfo.dll", "0123456789abcdef0123456789abcdef\r\n");
    registry_.AddKey(kHkeyLocalMachine, kRunKeyPath);
    registry_.Put(kHkeyLocalMachine, kRunKeyPath, kRunValueName, {1, std::string("x", 2)});
    form_ = std::make_unique<Form1>(
        Form1Services{boxes_, browser_, nullptr,
                      [this](DWORD message, NOTIFYICONDATAW* data) { return shell_.Notify(message, *data); }},
        Form1Core{protection_, editing_, emergency_, passwords_, onOffSwitch_, background_, opensFinished_},
        access_, layer_, silent);
    ASSERT_TRUE(form_->Create(GetModuleHandleA(nullptr)));
    ASSERT_EQ(96, form_->controls().dpi()) << "the test display runs at 96 DPI";
    if (everyPage) form_->controls().BuildEveryPage();
  }
  HWND Item(int page) { return form_->controls().Existing(ctl::MenuItem(page)); }
  HWND Control(int id) { return form_->controls().Existing(id); }

  TempFolder folder_;
  testing::RecordingMessageBoxes boxes_;
  testing::NoPicker picker_;
  testing::NoBrowser browser_;
  NotificationArea shell_;
  testing::FakeSystemFolder systemFolder_{folder_.path()};
  testing::FakeRegistry registry_;
  AccessLevel access_;
  Win32FileSystem system_;
  FileLayer layer_{system_};
  // The core the window drives, made as main_win.cpp makes it.
  OpensFinishedNotice opensFinished_;
  BackgroundOpens background_{system_, [this] { opensFinished_(); }};
  Protection protection_{layer_, folder_.path(), &background_};
  ListEditing editing_{protection_, boxes_, picker_};
  EmergencyMode emergency_{protection_, boxes_};
  PasswordStore passwords_{layer_, systemFolder_, boxes_};
  OnOffSwitch onOffSwitch_{registry_, boxes_, folder_.path()};
  std::unique_ptr<Form1> form_;
};

}  // namespace fendrel::testing
