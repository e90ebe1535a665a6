// Process entry: the start-up step of frmStart. It decides the start mode
// from the command line (ui/start_up.h), grants its access level, creates
// the main window (whose load step runs at once) and shows it, normal or
// minimized.
#include <windows.h>

#include <string>

#include "app/form1_win.h"
#include "app/single_instance_win.h"
#include "platform/browser_win.h"
#include "platform/file_layer.h"
#include "platform/file_picker_win.h"
#include "platform/file_system_win.h"
#include "platform/function_lookup_win.h"
#include "platform/message_boxes_win.h"
#include "platform/registry_api_win.h"
#include "platform/system_folder_win.h"
#include "ui/messages.h"
#include "ui/navigation.h"
#include "ui/start_up.h"

namespace {

// The full path of the running executable.
std::string ProgramPath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The window scales itself to each monitor's resolution where the
  // manifest could not say so (older loaders).
  fendrel::BecomeDpiAware();
  const std::string programPath = ProgramPath();
  const fendrel::StartMode start =
      fendrel::StartModeOf(fendrel::ArgumentText(GetCommandLineA(), programPath));

  // The folder that holds the running executable.
  const std::string programFolder = programPath.substr(0, programPath.find_last_of('\\'));
  const fendrel::SingleInstance instanceGuard(programFolder);
  if (!instanceGuard.first()) {
    // Fendrel runs already for these lists: show it, and hold nothing twice.
    if (!start.silent) fendrel::BringRunningInstanceForward(programFolder);
    return 0;
  }

  fendrel::AccessLevel access;  // Module1's level: 0 at start
  fendrel::Win32FileSystem system;
  fendrel::FileLayer files(system);  // the one file layer of the process
  fendrel::Win32MessageBoxes boxes;

  access.AddAccessLevel(start.level);
  fendrel::Win32FilePicker picker;
  fendrel::Win32Browser browser;
  fendrel::Win32SystemFolder systemFolder;
  fendrel::Win32RegistryApi registry;
  const auto ownedBy = [&](HWND window) {
    boxes.SetOwner(window);
    picker.SetOwner(window);
    systemFolder.SetOwner(window);
  };
  fendrel::Form1 form({boxes, picker, browser, systemFolder, registry, ownedBy}, access, files, programFolder,
                      start.silent);
  if (!form.Create(instance)) {
    MessageBoxA(nullptr, fendrel::messages::kWindowNotCreated, fendrel::messages::kTitle, MB_OK);
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
  form.BuildEveryPage();

  // The program ends through CloseProgram, which ends the process; the loop
  // ends only if the window is destroyed some other way.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (form.PreTranslate(message) || IsDialogMessageA(form.hwnd(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
