// Process entry: the program's start-up step. It decides the start mode
// from the command line (startup/start_mode.h), grants its access level, creates
// the main window (whose load step runs at once) and shows it, normal or
// minimized.
#include <windows.h>

#include <optional>
#include <string>

#include "app/form1_win.h"
#include "app/healer_win.h"
#include "app/single_instance_win.h"
#include "password/password_store.h"
#include "platform/background_opens.h"
#include "platform/browser_win.h"
#include "platform/file_layer.h"
#include "platform/file_picker_win.h"
#include "platform/file_system_win.h"
#include "platform/function_lookup_win.h"
#include "platform/message_boxes_win.h"
#include "platform/registry_api_win.h"
#include "platform/start_steps.h"
#include "platform/start_steps_win.h"
#include "platform/system_folder_win.h"
#include "platform/wide_text_win.h"
#include "protection/emergency.h"
#include "protection/list_editing.h"
#include "protection/protection.h"
#include "screen/messages.h"
#include "screen/navigation.h"
#include "startup/on_off_switch.h"
#include "startup/start_mode.h"

namespace {

// The full path of the running executable.
std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void ShowStartFailure(const std::string& text) {
  MessageBoxW(nullptr, fendrel::Wide(text).c_str(), fendrel::Wide(fendrel::messages::kTitle).c_str(), MB_OK);
}

// Where the program runs from and how it was asked to start.
struct StartRequest {
  std::string programFolder;  // the folder of the running executable, which holds the lists
  fendrel::StartMode mode;
};

// Reads the program's path and its command line. None, with the failure
// shown, when either is no text.
std::optional<StartRequest> DecideStart() {
  const fendrel::StartStep step("the start mode");
  const std::wstring widePath = ProgramPath();
  const std::optional<std::string> path = fendrel::FromWide(widePath);
  const std::optional<std::string> commandLine = fendrel::FromWide(GetCommandLineW());
  if (!path || !commandLine) {
    // The lists live beside the program: a folder whose name is no text
    // could be taken for another folder.
    ShowStartFailure(fendrel::messages::ProgramPathNotText(fendrel::Narrow(widePath)));
    return std::nullopt;
  }
  return StartRequest{path->substr(0, path->find_last_of('\\')),
                      fendrel::StartModeOf(fendrel::ArgumentText(*commandLine, *path))};
}

// The Windows folder, which no list may hold. Not known: none is refused as
// the Windows folder, the others' rules stand.
std::optional<std::string> WindowsFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  folder.resize(GetSystemWindowsDirectoryW(folder.data(), MAX_PATH));
  return fendrel::FromWide(folder);
}

// Shows the window made for this start: normal, or minimized with its icon
// in the tray.
void ShowAtStart(fendrel::Form1& form, bool silent) {
  const fendrel::StartStep step("showing the window");
  if (silent) {
    form.HideForm();  // hidden already by the load step; the tray keeps one icon
    ShowWindow(form.hwnd(), SW_SHOWMINNOACTIVE);
  } else {
    ShowWindow(form.hwnd(), SW_SHOWNORMAL);
  }
  const fendrel::StartStep paint("the first paint");
  UpdateWindow(form.hwnd());
}

// The pages not shown first are built one at a time while nothing else
// waits, so that each opens at once when chosen. A page chosen before its
// turn is built when chosen.
class PagesToBuild {
 public:
  bool any() const { return next_ < fendrel::kPages.size(); }
  void BuildOne(fendrel::PageControls& controls) {
    const fendrel::StartStep step("a page built while idle");
    controls.BuildPage(fendrel::kPages[next_++].index);  // a page built already is left as it is
  }

 private:
  std::size_t next_ = 0;
};

// The program ends through CloseProgram, which ends the process; the loop
// ends only if the window is destroyed some other way.
// The loop waits alertably, so the completions of the folder watches run
// here: the watch of the program's folder (the list files) and those of
// folders where a missing listed file would appear (none while every
// file is held). All that completed during one wait is one wake-up.
// While pages are left to build, it only looks, and builds one when
// nothing came.
int RunMessageLoop(fendrel::Form1& form) {
  PagesToBuild pages;
  for (;;) {
    fendrel::StartStepsBeforeWait(pages.any());
    const DWORD woke = MsgWaitForMultipleObjectsEx(0, nullptr, pages.any() ? 0 : INFINITE, QS_ALLINPUT,
                                                   MWMO_INPUTAVAILABLE | MWMO_ALERTABLE);
    if (woke == WAIT_IO_COMPLETION) {
      form.healer().OnFolderChanges();
      continue;
    }
    if (woke == WAIT_TIMEOUT) {
      pages.BuildOne(form.controls());
      continue;
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      if (form.PreTranslate(message) || IsDialogMessageW(form.hwnd(), &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

// Makes the platform pieces, the core and the main window (whose load step
// runs at once), shows the window and runs the message loop.
int RunProgram(HINSTANCE instance, const StartRequest& start) {
  fendrel::AccessLevel access;  // the process's access level: 0 at start
  fendrel::Win32FileSystem system;
  fendrel::FileLayer files(system);  // the one file layer of the process
  fendrel::Win32MessageBoxes boxes;

  access.AddAccessLevel(start.mode.level);
  fendrel::Win32FilePicker picker;
  picker.SetNameNotTextHandler([&boxes](const std::string& shown) {
    boxes.Show(fendrel::messages::NameNotText(shown), fendrel::messages::kTitle);
  });
  fendrel::Win32Browser browser;
  fendrel::Win32SystemFolder systemFolder;
  fendrel::Win32RegistryApi registry;
  const auto ownedBy = [&](HWND window) {
    boxes.SetOwner(window);
    picker.SetOwner(window);
    systemFolder.SetOwner(window);
  };
  // The core the window shows and drives. Opens that may wait on a network
  // run on a worker, which tells the window when they finish.
  fendrel::OpensFinishedNotice opensFinished;
  fendrel::BackgroundOpens background(system, [&opensFinished] { opensFinished(); });
  fendrel::Protection protection(files, start.programFolder, &background);
  if (const auto folder = WindowsFolder()) protection.SetWindowsFolder(*folder);
  fendrel::ListEditing editing(protection, boxes, picker);
  fendrel::EmergencyMode emergency(protection, boxes);
  fendrel::PasswordStore passwords(files, systemFolder, boxes);
  fendrel::OnOffSwitch onOffSwitch(registry, boxes, start.programFolder);
  fendrel::Form1 form({boxes, browser, ownedBy},
                      {protection, editing, emergency, passwords, onOffSwitch, background, opensFinished},
                      access, files, start.mode.silent);
  if (!form.Create(instance)) {
    ShowStartFailure(fendrel::messages::kWindowNotCreated);
    return 1;
  }
  form.quitWhenDestroyed = true;
  ShowAtStart(form, start.mode.silent);
  return RunMessageLoop(form);
}

// Runs before the other static objects are made, so the benchmark can tell
// the loader's time from the static initialisation's.
__attribute__((constructor(101))) void BeginSteps() {
  fendrel::BeginStartSteps("static initialisation");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  fendrel::EndFirstStartStep();
  // The window scales itself to each monitor's resolution where the
  // manifest could not say so (older loaders).
  fendrel::BecomeDpiAware();
  const std::optional<StartRequest> start = DecideStart();
  if (!start) return 1;
  const fendrel::SingleInstance instanceGuard(start->programFolder);
  if (!instanceGuard.first()) {
    // Fendrel runs already for these lists: show it, and hold nothing twice.
    if (!start->mode.silent && !fendrel::BringRunningInstanceForward(start->programFolder)) {
      ShowStartFailure(fendrel::messages::kAlreadyRunning);
    }
    return 0;
  }
  return RunProgram(instance, *start);
}
