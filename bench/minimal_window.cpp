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
//
// Started with `--floor LISTFILE` it first holds every path of that file
// (one a line, UTF-8) as Fendrel holds a listed file, and keeps the handles
// until it ends: the least a program holding a list can cost before its
// window shows, the floor under Fendrel's start.
#include <windows.h>

#include <cstring>

namespace {

constexpr const char* kClassName = "FendrelBenchMinimal";
constexpr char kWatchOption[] = "--watch ";
constexpr char kFloorOption[] = "--floor ";

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

// Holds every path listed in the file; false when the list cannot be read.
// The handles stay open until the process ends.
bool HoldList(const char* listFile) {
  HANDLE list = CreateFileA(listFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (list == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(list, &size) || size.QuadPart >= 0x10000000) {
    CloseHandle(list);
    return false;
  }
  const DWORD bytes = static_cast<DWORD>(size.QuadPart);
  HANDLE heap = GetProcessHeap();
  char* text = static_cast<char*>(HeapAlloc(heap, 0, bytes + 1));
  DWORD got = 0;
  const bool read = text && ReadFile(list, text, bytes, &got, nullptr) && got == bytes;
  CloseHandle(list);
  if (!read) return false;
  // Each path in UTF-16 as it is met; a line no longer than the list.
  wchar_t* path = static_cast<wchar_t*>(HeapAlloc(heap, 0, (bytes + 1) * sizeof(wchar_t)));
  if (!path) return false;
  DWORD held = 0;
  HANDLE* handles = static_cast<HANDLE*>(HeapAlloc(heap, 0, (bytes / 2 + 1) * sizeof(HANDLE)));
  if (!handles) return false;
  for (DWORD start = 0; start < bytes;) {
    DWORD end = start;
    while (end < bytes && text[end] != '\r' && text[end] != '\n') ++end;
    if (end > start) {
      const int length = MultiByteToWideChar(CP_UTF8, 0, text + start, static_cast<int>(end - start), path,
                                             static_cast<int>(bytes));
      path[length] = L'\0';
      HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) handles[held++] = file;
    }
    start = end;
    while (start < bytes && (text[start] == '\r' || text[start] == '\n')) ++start;
  }
  HeapFree(heap, 0, path);
  HeapFree(heap, 0, text);
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (std::strncmp(commandLine, kWatchOption, sizeof kWatchOption - 1) == 0) {
    watch.folder = CreateFileA(commandLine + sizeof kWatchOption - 1, FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (watch.folder == INVALID_HANDLE_VALUE || !Ask()) return 2;
  } else if (std::strncmp(commandLine, kFloorOption, sizeof kFloorOption - 1) == 0) {
    if (!HoldList(commandLine + sizeof kFloorOption - 1)) return 2;
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
