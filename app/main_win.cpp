// Process entry: the start-up step of frmStart. It decides the start mode
// from the command line (startup/start_mode.h), grants its access level, creates
// the main window (whose load step runs at once) and shows it, normal or
// minimized.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The window scales itself to each monitor's resolution where the
  // manifest could not say so (older loaders).
  fendrel::BecomeDpiAware();
  const std::wstring widePath = ProgramPath();
  const std::optional<std::string> path = fendrel::FromWide(widePath);
  const std::optional<std::string> commandLine = fendrel::FromWide(GetCommandLineW());
  if (!path || !commandLine) {
    // The lists live beside the program: a folder whose name is no text
    // could be taken for another folder.
    ShowStartFailure(fendrel::messages::ProgramPathNotText(fendrel::Narrow(widePath)));
    return 1;
  }
  const std::string& programPath = *path;
  const fendrel::StartMode start = fendrel::StartModeOf(fendrel::ArgumentText(*commandLine, programPath));

  // The folder that holds the running executable.
  const std::string programFolder = programPath.substr(0, programPath.find_last_of('\\'));
  const fendrel::SingleInstance instanceGuard(programFolder);
  if (!instanceGuard.first()) {
    // Fendrel runs already for these lists: show it, and hold nothing twice.
    if (!start.silent && !fendrel::BringRunningInstanceForward(programFolder)) {
      ShowStartFailure(fendrel::messages::kAlreadyRunning);
    }
    return 0;
  }

  fendrel::AccessLevel access;  // Module1's level: 0 at start
  fendrel::Win32FileSystem system;
  fendrel::FileLayer files(system);  // the one file layer of the process
  fendrel::Win32MessageBoxes boxes;

  access.AddAccessLevel(start.level);
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
  fendrel::Protection protection(files, programFolder, &background);
  std::wstring windowsFolder(MAX_PATH, L'\0');
  windowsFolder.resize(GetSystemWindowsDirectoryW(windowsFolder.data(), MAX_PATH));
  // Not known: no folder is refused as the Windows folder, the others' rules stand.
  if (const auto folder = fendrel::FromWide(windowsFolder)) protection.SetWindowsFolder(*folder);
  fendrel::ListEditing editing(protection, boxes, picker);
  fendrel::EmergencyMode emergency(protection, boxes);
  fendrel::PasswordStore passwords(files, systemFolder, boxes);
  fendrel::OnOffSwitch onOffSwitch(registry, boxes, programFolder);
  fendrel::Form1 form({boxes, browser, ownedBy},
                      {protection, editing, emergency, passwords, onOffSwitch, background, opensFinished},
                      access, files, start.silent);
  if (!form.Create(instance)) {
    ShowStartFailure(fendrel::messages::kWindowNotCreated);
    return 1;
  }
  form.quitWhenDestroyed = true;
  if (start.silent) {
    form.HideForm();  // hidden already by the load step; the tray keeps one icon
    ShowWindow(form.hwnd(), SW_SHOWMINNOACTIVE);
  } else {
    ShowWindow(form.hwnd(), SW_SHOWNORMAL);
  }
  UpdateWindow(form.hwnd());
  // The window is on the screen with its first page: now the other pages,
  // so that each opens at once when chosen.
  form.controls().BuildEveryPage();

  // The program ends through CloseProgram, which ends the process; the loop
  // ends only if the window is destroyed some other way.
  // The loop waits alertably, so the completions of the folder watches run
  // here: the watch of the program's folder (the list files) and those of
  // folders where a missing listed file would appear (none while every
  // file is held). All that completed during one wait is one wake-up.
  for (;;) {
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE | MWMO_ALERTABLE);
    if (woke == WAIT_IO_COMPLETION) {
      form.healer().OnFolderChanges();
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
