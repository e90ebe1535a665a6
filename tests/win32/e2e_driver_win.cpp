#include "tests/win32/e2e_driver_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>

#include "app/tray_win.h"
#include "platform/drawing_win.h"
#include "platform/function_lookup_win.h"
#include "platform/wide_text_win.h"
#include "screen/control_ids.h"
#include "tests/win32/process_support_win.h"
#include "tests/win32/process_windows_win.h"

namespace fendrel::testing {

namespace {

constexpr const char* kFileDialogTitle = "Select File";
constexpr int kMessageBoxTextId = 0xFFFF;  // the static that carries a message box's text
constexpr int kFileNameCombo = 0x47C;      // cmb13 of the common file dialog
constexpr int kFileNameEdit = 0x480;       // edt1, the older dialogs' file-name box
constexpr UINT kSendTimeoutMs = kE2eTimeoutMs;

// Puts text into a window with WM_SETTEXT, as UTF-16; false when the text is
// not well-formed UTF-8 or the window did not answer.
bool SetTextOf(HWND window, const std::string& text) {
  const std::optional<std::wstring> wide = ToWide(text);
  DWORD_PTR result = 0;
  return wide && SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide->c_str()),
                                     SMTO_NORMAL, kSendTimeoutMs, &result);
}

bool IsMessageBox(HWND dialog) {
  HWND text = DescendantWithId(dialog, kMessageBoxTextId);
  return text && _stricmp(ClassOf(text).c_str(), "Static") == 0;
}

std::string WindowTitle(HWND window) {
  wchar_t title[512] = {};
  GetWindowTextW(window, title, static_cast<int>(std::size(title)));
  return Narrow(title);
}

}  // namespace

bool WaitFor(const std::function<bool()>& done, const std::string& what, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) {
      ADD_FAILURE() << "timed out after " << timeoutMs / 1000 << " s waiting for " << what;
      return false;
    }
    Sleep(20);
  }
}

// ---------------------------------------------------------------- machine state

void MachineStateGuard::SetRunValue(const std::string& data) {
  ASSERT_TRUE(MachineState::SetRunValue(data)) << "cannot set the Run value \"Fendrel\"";
}

void MachineStateGuard::ClearForFirstRun() {
  DeleteFileW(Wide(PasswordFile()).c_str());
  DeleteRunValue();
  ASSERT_FALSE(Exists(PasswordFile())) << "cannot remove " << PasswordFile();
  ASSERT_FALSE(RunValue()) << "cannot remove the Run value";
}

// ---------------------------------------------------------------- the screen

namespace {
constexpr const wchar_t* kThemeKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

void SetText(HKEY key, const std::string& name, const std::string& data) {
  const std::wstring text = Wide(data);
  RegSetValueExW(key, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}
}  // namespace

VisualStyles::VisualStyles() {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::string style = Narrow(windows) + "\\resources\\themes\\light\\light.msstyles";
  EXPECT_TRUE(Exists(style)) << "Wine's visual style is missing: " << style;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kThemeKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot open the theme settings";
    return;
  }
  const std::pair<const char*, std::string> wanted[] = {
      {"ThemeActive", "1"}, {"DllName", style}, {"ColorName", "Blue"}, {"SizeName", "NormalSize"}};
  for (const auto& [name, data] : wanted) {
    wchar_t old[MAX_PATH * 2] = {};
    DWORD size = sizeof old - sizeof(wchar_t), type = 0;
    const bool had = RegQueryValueExW(key, Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(old),
                                      &size) == ERROR_SUCCESS;
    kept_.emplace_back(name, had ? std::optional<std::string>(Narrow(old)) : std::nullopt);
    SetText(key, name, data);
  }
  RegCloseKey(key);
}

VisualStyles::~VisualStyles() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kThemeKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  for (const auto& [name, data] : kept_) {
    if (data) {
      SetText(key, name, *data);
    } else {
      RegDeleteValueW(key, Wide(name).c_str());
    }
  }
  RegCloseKey(key);
}

int ScreenPixels::Count(const std::function<bool(COLORREF)>& matches, int fromX, int toX, int fromY,
                        int toY) const {
  int count = 0;
  for (int y = std::max(fromY, 0); y < std::min(toY, height); ++y) {
    for (int x = std::max(fromX, 0); x < std::min(toX, width); ++x) {
      if (matches(colours[static_cast<std::size_t>(y * width + x)])) ++count;
    }
  }
  return count;
}

ScreenPixels PixelsDrawnBy(int width, int height, const std::function<void(HDC)>& draw) {
  ScreenPixels pixels;
  pixels.width = width;
  pixels.height = height;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const WindowDC screen(nullptr);
  const MemoryDC memory(screen.get());
  const UniqueBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  {
    const Selection drawnInto(memory.get(), bitmap.get());
    draw(memory.get());
    GdiFlush();
  }
  const auto* row = static_cast<const DWORD*>(bits);
  for (int i = 0; bits && i < width * height; ++i) {
    const DWORD bgra = row[i];
    pixels.colours.push_back(RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF));
  }
  return pixels;
}

ScreenPixels PixelsOf(HWND window) {
  RECT rect{};
  if (!window || !GetWindowRect(window, &rect)) return {};
  const WindowDC screen(nullptr);
  return PixelsDrawnBy(rect.right - rect.left, rect.bottom - rect.top, [&](HDC dc) {
    BitBlt(dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top, screen.get(), rect.left, rect.top,
           SRCCOPY);
  });
}

// ---------------------------------------------------------------- the program

void ExpectHeld(const std::string& path) {
  // A way that gets through may have changed or removed the file: the ways
  // after it would only fail for that, so the first one is told alone.
  for (const char* way : {"write", "delete", "rename"}) {
    const long error = Probe(way, path);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, error) << path << " should be protected (" << way << ")";
    if (error != ERROR_SHARING_VIOLATION) return;
  }
  EXPECT_EQ(ERROR_SUCCESS, Probe("read", path)) << path << " should stay readable";
}

FendrelApp::FendrelApp(const std::string& subfolder)
    : ownFolder_(std::in_place),
      programFolder_(subfolder.empty() ? ownFolder_->path() : ownFolder_->File(subfolder)) {
  if (!subfolder.empty()) MakeFolder(programFolder_);
  const std::string built = ExecutableFolder() + "\\Fendrel.exe";
  if (!CopyFileW(Wide(built).c_str(), Wide(File("Fendrel.exe")).c_str(), FALSE)) {
    ADD_FAILURE() << "cannot copy " << built << " (error " << GetLastError() << ")";
  }
}

FendrelApp::FendrelApp(ProgramIn existing) : programFolder_(std::move(existing.folder)) {}

FendrelApp::~FendrelApp() {
  Kill();
}

std::string FendrelApp::MakeFile(const std::string& name, const std::string& content) const {
  WriteBytes(File(name), content);
  return File(name);
}

void FendrelApp::Start(const std::string& argumentText) {
  std::string line = "\"" + File("Fendrel.exe") + "\"";
  if (!argumentText.empty()) line += " " + argumentText;
  StartWithCommandLine(line);
}

void FendrelApp::StartWithCommandLine(std::string line) {
  ASSERT_FALSE(Running()) << "Fendrel was started again while it runs";
  const std::string program = File("Fendrel.exe");
  std::optional<std::wstring> wideLine = ToWide(line);
  const std::optional<std::wstring> wideProgram = ToWide(program), wideFolder = ToWide(folder());
  ASSERT_TRUE(wideLine && wideProgram && wideFolder) << "not UTF-8: " << line;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(wideProgram->c_str(), wideLine->data(), nullptr, nullptr, FALSE, 0, nullptr,
                             wideFolder->c_str(), &startup, &info))
      << "cannot start " << program << " (error " << GetLastError() << ")";
  process_ = UniqueHandle(info.hProcess);
  CloseHandle(info.hThread);
  processId_ = info.dwProcessId;
  main_ = nullptr;
  reportedGone_ = false;
}

bool FendrelApp::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool FendrelApp::WaitForExit(DWORD milliseconds) {
  return process_ && WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
}

void FendrelApp::Kill() {
  if (Running()) TerminateProcess(process_.get(), 1);
  if (process_) WaitForSingleObject(process_.get(), kE2eTimeoutMs);
}

HWND FendrelApp::FindMainWindow() {
  if (main_ && IsWindow(main_)) return main_;
  main_ = nullptr;
  for (HWND window : TopLevelWindows(processId_)) {
    // Form2 is a plain static window with the same caption; the main window
    // is the one that carries the controls.
    if (WindowTitle(window) == "Fendrel" && ClassOf(window) != "#32770" &&
        DescendantWithId(window, ctl::kEmergencyButton)) {
      main_ = window;
    }
  }
  return main_;
}

HWND FendrelApp::MainWindow() {
  if (FindMainWindow() || reportedGone_) return main_;
  WaitFor([&] { return FindMainWindow() != nullptr || !Running(); }, "the main window \"Fendrel\"");
  if (!main_ && !reportedGone_) {
    // Said once: every later look for the window would say it again.
    reportedGone_ = true;
    ADD_FAILURE() << "no main window" << (Running() ? "" : ": Fendrel is no longer running");
  }
  return main_;
}

bool FendrelApp::MainWindowVisible() {
  HWND window = MainWindow();
  return window && IsWindowVisible(window);
}

bool FendrelApp::WaitMainWindowVisible(bool visible) {
  return WaitFor([&] { return MainWindowVisible() == visible; },
                 visible ? "the main window to show" : "the main window to hide");
}

int FendrelApp::MenuId(int pageIndex) {
  return ctl::MenuItem(pageIndex);
}

HWND FendrelApp::Control(int id) {
  HWND window = MainWindow();
  if (!window) return nullptr;
  // Fendrel builds the pages it does not show first a moment after its
  // window shows: a control on one of them may still be coming.
  const ULONGLONG end = GetTickCount64() + kE2eTimeoutMs;
  for (;;) {
    if (HWND control = DescendantWithId(window, id)) return control;
    if (GetTickCount64() >= end || !Running()) return nullptr;
    Sleep(20);
  }
}

std::string FendrelApp::Caption(int id) {
  HWND control = Control(id);
  if (!control) {
    ADD_FAILURE() << "no control with id " << id;
    return {};
  }
  return TextOf(control);
}

bool FendrelApp::Enabled(int id) {
  HWND control = Control(id);
  return control && IsWindowEnabled(control);
}

bool FendrelApp::Visible(int id) {
  HWND control = Control(id);
  return control && IsWindowVisible(control);
}

int FendrelApp::ShownPage() {
  int shown = -1;
  HWND window = MainWindow();
  if (!window) return -1;
  for (int page : {0, 1, 2, 3, 4, 7, 8}) {
    // A page not made yet is not shown.
    HWND frame = DescendantWithId(window, ctl::PageFrame(page));
    if (!frame || !(GetWindowLongPtrA(frame, GWL_STYLE) & WS_VISIBLE)) continue;
    if (shown != -1) return -2;  // more than one page shown
    shown = page;
  }
  return shown;
}

bool FendrelApp::WaitForPage(int pageIndex) {
  return WaitFor([&] { return ShownPage() == pageIndex; },
                 "page " + std::to_string(pageIndex) + " to be shown");
}

void FendrelApp::ClickWindow(HWND control, bool wait) {
  const std::string kind = ClassOf(control);
  // A person can click only what is on the screen and enabled.
  EXPECT_TRUE(IsWindowVisible(control))
      << "clicking a control that is not visible, id " << GetDlgCtrlID(control);
  EXPECT_TRUE(IsWindowEnabled(control)) << "clicking a disabled control, id " << GetDlgCtrlID(control);
  std::vector<std::pair<UINT, WPARAM>> messages;
  if (_stricmp(kind.c_str(), "Button") == 0) {
    messages = {{BM_CLICK, 0}};
  } else {
    // A label: the press and release of the left button over it.
    messages = {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}};
  }
  for (const auto& [message, wParam] : messages) {
    const LPARAM at = MAKELPARAM(2, 2);
    if (!wait) {
      PostMessageA(control, message, wParam, message == BM_CLICK ? 0 : at);
      continue;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, message, wParam, message == BM_CLICK ? 0 : at, SMTO_NORMAL,
                             kSendTimeoutMs, &result)) {
      HWND box = FindDialog(nullptr);
      ADD_FAILURE() << "the click on control " << GetDlgCtrlID(control) << " did not come back within "
                    << kSendTimeoutMs / 1000 << " s"
                    << (box ? " because a box is open: \"" + WindowTitle(box) + "\"" : std::string());
      return;
    }
  }
}

void FendrelApp::Click(int id) {
  HWND control = Control(id);
  ASSERT_TRUE(control) << "no control with id " << id;
  ClickWindow(control, true);
  HWND box = FindDialog(nullptr);
  if (box) {
    std::string text;
    if (HWND stat = DescendantWithId(box, kMessageBoxTextId)) text = TextOf(stat);
    ADD_FAILURE() << "the click on control " << id << " opened a box: \"" << WindowTitle(box)
                  << "\": " << text;
  }
}

void FendrelApp::PostClick(int id) {
  HWND control = Control(id);
  ASSERT_TRUE(control) << "no control with id " << id;
  ClickWindow(control, false);
}

SeenBox FendrelApp::ClickExpectingBox(int id) {
  PostClick(id);
  return AnswerBox();
}

void FendrelApp::Type(int id, const std::string& text) {
  HWND control = Control(id);
  ASSERT_TRUE(control) << "no control with id " << id;
  ASSERT_TRUE(SetTextOf(control, text)) << "typing into control " << id;
}

std::vector<std::string> FendrelApp::ListItems(int id) {
  std::vector<std::string> items;
  HWND list = Control(id);
  if (!list) {
    ADD_FAILURE() << "no list with id " << id;
    return items;
  }
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &count)) return items;
  for (int i = 0; i < static_cast<int>(count); ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_NORMAL, kSendTimeoutMs, &length);
    std::wstring wide(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()), SMTO_NORMAL,
                        kSendTimeoutMs, &copied);
    wide.resize(copied == static_cast<DWORD_PTR>(LB_ERR) ? 0 : std::min<DWORD_PTR>(copied, length));
    items.push_back(Narrow(wide));
  }
  return items;
}

int FendrelApp::ListSelection(int id) {
  HWND list = Control(id);
  DWORD_PTR selected = static_cast<DWORD_PTR>(LB_ERR);
  if (list) SendMessageTimeoutA(list, LB_GETCURSEL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &selected);
  return static_cast<int>(static_cast<LRESULT>(selected));
}

void FendrelApp::SelectListItem(int id, int index) {
  HWND list = Control(id);
  ASSERT_TRUE(list) << "no list with id " << id;
  ASSERT_TRUE(IsWindowVisible(list)) << "selecting in a list that is not visible, id " << id;
  // The press and release of the left button over the entry's row.
  DWORD_PTR top = 0, height = 0;
  SendMessageTimeoutA(list, LB_SETTOPINDEX, index, 0, SMTO_NORMAL, kSendTimeoutMs, &top);
  SendMessageTimeoutA(list, LB_GETTOPINDEX, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &top);
  SendMessageTimeoutA(list, LB_GETITEMHEIGHT, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &height);
  const LPARAM at = MAKELPARAM(4, static_cast<int>((index - static_cast<int>(top)) * height + height / 2));
  DWORD_PTR result = 0;
  SendMessageTimeoutA(list, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_NORMAL, kSendTimeoutMs, &result);
  SendMessageTimeoutA(list, WM_LBUTTONUP, 0, at, SMTO_NORMAL, kSendTimeoutMs, &result);
  ASSERT_EQ(index, ListSelection(id)) << "selecting entry " << index << " of list " << id;
}

HWND FendrelApp::FindDialog(const char* title) {
  for (HWND window : TopLevelWindows(processId_)) {
    if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) continue;
    if (!title || WindowTitle(window) == title) return window;
  }
  return nullptr;
}

HWND FendrelApp::WaitDialog(const char* title, const char* what) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        found = FindDialog(title);
        if (found && !title && !IsMessageBox(found)) found = nullptr;
        return found != nullptr || !Running();
      },
      what);
  if (!found && !Running()) ADD_FAILURE() << "Fendrel ended while the test waited for " << what;
  return found;
}

SeenBox FendrelApp::AnswerBox() {
  SeenBox seen;
  HWND box = WaitDialog(nullptr, "a message box of Fendrel");
  if (!box) return seen;
  HWND window = FindMainWindow();
  seen.windowShown = window && IsWindowVisible(window);
  seen.title = WindowTitle(box);
  seen.text = TextOf(DescendantWithId(box, kMessageBoxTextId));
  HWND ok = GetDlgItem(box, IDOK);
  const int button = ok ? IDOK : IDCANCEL;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  WaitFor([&] { return !IsWindow(box); }, "the message box \"" + seen.title + "\" to close");
  return seen;
}

bool FendrelApp::NoBoxOpen() {
  DWORD_PTR result = 0;
  HWND window = MainWindow();
  if (window) SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result);
  return FindDialog(nullptr) == nullptr;
}

void FendrelApp::ChooseFile(const std::string& path) {
  HWND dialog = WaitDialog(kFileDialogTitle, "the file dialog \"Select File\"");
  ASSERT_TRUE(dialog);
  HWND name = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        name = GetDlgItem(dialog, kFileNameCombo);
        if (!name) name = GetDlgItem(dialog, kFileNameEdit);
        return name != nullptr;
      },
      "the file-name box of \"Select File\""));
  ASSERT_TRUE(SetTextOf(name, path)) << "typing " << path << " into the file-name box";
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  WaitFor([&] { return !IsWindow(dialog); }, "the file dialog to close after Open with " + path);
}

void FendrelApp::CancelFileDialog() {
  HWND dialog = WaitDialog(kFileDialogTitle, "the file dialog \"Select File\"");
  ASSERT_TRUE(dialog);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
  WaitFor([&] { return !IsWindow(dialog); }, "the file dialog to close after Cancel");
}

namespace {

// Wine's translations between the paths of its drives and Unix paths; none
// outside Wine.
std::optional<std::string> UnixPathOf(const std::string& path) {
  using UnixFileName = char*(CDECL*)(const wchar_t*);
  const auto unixName =
      FindFunction<UnixFileName>(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
  const std::optional<std::wstring> wide = ToWide(path);
  if (!unixName || !wide) return std::nullopt;
  char* name = unixName(wide->c_str());
  if (!name) return std::nullopt;
  std::string text = name;
  HeapFree(GetProcessHeap(), 0, name);
  return text;
}

std::optional<std::string> WindowsPathOf(const std::string& unixPath) {
  using DosFileName = wchar_t*(CDECL*)(const char*);
  const auto dosName = FindFunction<DosFileName>(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name");
  if (!dosName) return std::nullopt;
  wchar_t* name = dosName(unixPath.c_str());
  if (!name) return std::nullopt;
  std::string text = Narrow(name);
  HeapFree(GetProcessHeap(), 0, name);
  return text;
}

// A file: URI of a Unix path, every byte but the plainest percent-encoded.
std::string FileUri(const std::string& unixPath) {
  std::string uri = "file://";
  for (const char c : unixPath) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) || std::strchr("/-._~", c)) {
      uri += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
      uri += escaped;
    }
  }
  return uri;
}

}  // namespace

void FendrelApp::DragFilesOnto(int id, const std::vector<std::string>& paths) {
  HWND control = Control(id);
  ASSERT_TRUE(control) << "no control with id " << id;
  ASSERT_TRUE(IsWindowVisible(control)) << "dropping on a control that is not visible, id " << id;
  const std::optional<std::string> python = WindowsPathOf("/usr/bin/python3");
  ASSERT_TRUE(python && Exists(*python)) << "a drag from the desktop needs Wine and /usr/bin/python3";
  const TempFolder scratch;
  const std::optional<std::string> script = UnixPathOf(ExecutableFolder() + "\\xdnd_drag.py"),
                                   status = UnixPathOf(scratch.File("status"));
  ASSERT_TRUE(script && status) << "no Unix path for the drag's files";
  RECT rect{};
  GetWindowRect(control, &rect);
  std::string line = "\"" + *python + "\" \"" + *script + "\" \"" + *status + "\" " +
                     std::to_string((rect.left + rect.right) / 2) + " " +
                     std::to_string((rect.top + rect.bottom) / 2);
  for (const std::string& path : paths) {
    const std::optional<std::string> unixPath = UnixPathOf(path);
    ASSERT_TRUE(unixPath) << "no Unix path for " << path;
    line += " " + FileUri(*unixPath);
  }
  // Wine starts a Unix program but cannot wait for it: the status file says
  // when and how the drag ended.
  std::optional<std::wstring> wideLine = ToWide(line);
  ASSERT_TRUE(wideLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(nullptr, wideLine->data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info))
      << "cannot start " << line << " (error " << GetLastError() << ")";
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  // The drag gives up after kE2eTimeoutMs itself; this waits for it to say so.
  ASSERT_TRUE(WaitFor([&] { return Exists(scratch.File("status")); }, "the drag of " + line + " to end",
                      2 * kE2eTimeoutMs));
  const std::string outcome = ReadBytes(scratch.File("status"));
  EXPECT_EQ("0 dropped", outcome) << "the drag onto control " << id;
}

void FendrelApp::TrayDoubleClick() {
  HWND window = MainWindow();
  ASSERT_TRUE(window);
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutA(window, kTrayMessage, kTrayIconId, WM_LBUTTONDBLCLK, SMTO_NORMAL,
                                  kSendTimeoutMs, &result))
      << "the tray double-click did not come back";
}

bool FendrelApp::OpenTrayMenu() {
  HWND window = MainWindow();
  if (!window) return false;
  // The menu runs its own loop inside the program until an item is chosen,
  // so the notification is posted, not sent.
  PostMessageA(window, kTrayMessage, kTrayIconId, WM_RBUTTONUP);
  HWND menu = nullptr;
  WaitFor(
      [&] {
        for (HWND top : TopLevelWindows(processId_)) {
          if (ClassOf(top) == "#32768" && IsWindowVisible(top)) menu = top;
        }
        return menu != nullptr;
      },
      "the tray pop-up menu");
  trayMenu_ = menu;
  return menu != nullptr;
}

void FendrelApp::ChooseTrayMenuItem(int index) {
  ASSERT_TRUE(trayMenu_ && IsWindow(trayMenu_)) << "the tray menu is not open";
  // The first Down selects the first item.
  for (int i = 0; i <= index; ++i) PostMessageA(trayMenu_, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(trayMenu_, WM_KEYDOWN, VK_RETURN, 0);
  HWND menu = trayMenu_;
  WaitFor([&] { return !IsWindowVisible(menu); }, "the tray menu to close after choosing an item");
  trayMenu_ = nullptr;
}

void FendrelApp::CloseWindow() {
  HWND window = MainWindow();
  ASSERT_TRUE(window);
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutA(window, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_NORMAL, kSendTimeoutMs, &result))
      << "the close request did not come back";
}

long RunCmd(const std::string& command) {
  return RunCommandLine("cmd.exe /c " + command);
}

}  // namespace fendrel::testing
