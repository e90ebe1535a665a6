// The least a Win32 program can do to put a window on the screen: register a
// class, create one window, show it and wait for messages. The benchmark
// starts it the same way as Fendrel.exe, so the difference between the two
// is what Fendrel itself costs.
//
// Started with `--watch FOLDER` it also watches that folder the least
// costly way a program can: one overlapped ReadDirectoryChangesW whose
// completion routine does nothing but ask again, run by an alertable message
// loop. A busy folder costs it what the system spends to tell a program of
// each change, the floor under what Fendrel's watches cost.
#include <windows.h>

#include <cstring>

namespace {

constexpr const char* kClassName = "FendrelBenchMinimal";
constexpr char kWatchOption[] = "--watch ";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

struct Watch {
  HANDLE folder = INVALID_HANDLE_VALUE;
  OVERLAPPED overlapped{};
  DWORD buffer[1024];
};
Watch watch;

void CALLBACK Completed(DWORD, DWORD, OVERLAPPED*);

bool Ask() {
  watch.overlapped = OVERLAPPED{};
  return ReadDirectoryChangesW(watch.folder, watch.buffer, sizeof watch.buffer, FALSE,
                               FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME, nullptr,
                               &watch.overlapped, &Completed) != 0;
}

void CALLBACK Completed(DWORD error, DWORD, OVERLAPPED*) {
  if (error == ERROR_SUCCESS || error == ERROR_NOTIFY_ENUM_DIR) Ask();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (std::strncmp(commandLine, kWatchOption, sizeof kWatchOption - 1) == 0) {
    watch.folder = CreateFileA(commandLine + sizeof kWatchOption - 1, FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (watch.folder == INVALID_HANDLE_VALUE || !Ask()) return 2;
  }
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExA(&windowClass)) return 1;
  HWND window = CreateWindowExA(0, kClassName, "Minimal window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 480, 360, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG message;
  for (;;) {
    // Alertable, so that the watch's completion routine runs between messages.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_ALERTABLE | MWMO_INPUTAVAILABLE);
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}
