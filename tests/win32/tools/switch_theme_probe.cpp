// A process of its own for the switch's theme: makes the main window with
// the program's code while uxtheme.dll is not loaded, then a visual style is
// on, and tells whether the ON/OFF switch has a theme. It carries no
// manifest, so nothing of Common Controls 6 loads uxtheme for it.
//
// Wine loads uxtheme with a process's first window and keeps it only while a
// visual style is on. So this process first sees the style off (through a
// stand-in for HKEY_CURRENT_USER that only this process uses), makes a
// window, and turns the style on in the stand-in before the main window.
//
// Prints one line for each fact, then "done":
//   "uxtheme loaded before the main window: no"
//   "switch: no theme" (or "switch: themed")
//   "login button: themed" (or "login button: no theme", when no style is on)
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "app/form1_win.h"
#include "platform/file_system_win.h"
#include "platform/function_lookup_win.h"
#include "screen/control_ids.h"
#include "tests/core/fakes.h"

namespace fendrel {
namespace {

constexpr const wchar_t* kThemeKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

class QuietBoxes : public MessageBoxes {
 public:
  void Show(const std::string&, const std::string&) override {}
};
class FolderAt : public SystemFolder {
 public:
  explicit FolderAt(std::string path) : path_(std::move(path)) {}
  std::string GetDataFolder(int) override { return path_; }

 private:
  std::string path_;
};
// A registry without the Run key: the switch shows OFF.
class EmptyRegistry : public RegistryApi {
 public:
  long OpenKey(RegistryKey, const std::string&, std::uint32_t, RegistryKey&) override {
    return kErrorFileNotFound;
  }
  long QueryValue(RegistryKey, const std::string&, std::uint32_t&, std::string&, std::uint32_t) override {
    return kErrorFileNotFound;
  }
  long SetValue(RegistryKey, const std::string&, std::uint32_t, const std::string&) override {
    return kErrorFileNotFound;
  }
  long DeleteValue(RegistryKey, const std::string&) override { return kErrorFileNotFound; }
  long CloseKey(RegistryKey) override { return kErrorSuccess; }
  std::string Describe(long) override { return {}; }
};

void SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool UxThemeLoaded() {
  return GetModuleHandleW(L"uxtheme.dll") != nullptr;
}

// Whether the window gets a theme when it asks for the button's, as a
// button asks when it paints.
bool HasButtonTheme(HMODULE uxtheme, HWND window) {
  using OpenFn = HANDLE(WINAPI*)(HWND, LPCWSTR);
  using CloseFn = HRESULT(WINAPI*)(HANDLE);
  const auto open = FindFunction<OpenFn>(uxtheme, "OpenThemeData");
  const auto close = FindFunction<CloseFn>(uxtheme, "CloseThemeData");
  if (!open || !close || !window) return false;
  HANDLE theme = open(window, L"Button");
  if (theme) close(theme);
  return theme != nullptr;
}

int Run(HKEY themeSettings, const std::string& folder) {
  // The first window, made while the style is off: Wine drops uxtheme again.
  HWND first = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(first);

  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  SetText(themeSettings, L"ThemeActive", L"1");
  SetText(themeSettings, L"DllName", std::wstring(windows) + L"\\resources\\themes\\light\\light.msstyles");
  SetText(themeSettings, L"ColorName", L"Blue");
  SetText(themeSettings, L"SizeName", L"NormalSize");
  std::printf("uxtheme loaded before the main window: %s\n", UxThemeLoaded() ? "yes" : "no");

  QuietBoxes boxes;
  testing::NoPicker picker;
  testing::NoBrowser browser;
  FolderAt systemFolder(folder);
  EmptyRegistry registry;
  AccessLevel access;
  Win32FileSystem system;
  FileLayer layer(system);
  OpensFinishedNotice opensFinished;
  BackgroundOpens background(system, [&opensFinished] { opensFinished(); });
  Protection protection(layer, folder, &background);
  ListEditing editing(protection, boxes, picker);
  EmergencyMode emergency(protection, boxes);
  PasswordStore passwords(layer, systemFolder, boxes);
  OnOffSwitch onOffSwitch(registry, boxes, folder);
  Form1 form(Form1Services{boxes, browser, nullptr},
             Form1Core{protection, editing, emergency, passwords, onOffSwitch, background, opensFinished},
             access, layer, false);
  if (!form.Create(GetModuleHandleA(nullptr))) {
    std::printf("the main window could not be made\n");
    return 1;
  }
  form.controls().BuildEveryPage();  // as the program does once the window shows
  HWND onOff = form.controls().Existing(ctl::kOnOffSwitch);
  HWND login = form.controls().Existing(ctl::kLoginButton);

  // Loaded here if the program did not load it: it then reads the style as on.
  wchar_t system32[MAX_PATH] = {};
  GetSystemDirectoryW(system32, MAX_PATH);
  HMODULE uxtheme = LoadLibraryW((std::wstring(system32) + L"\\uxtheme.dll").c_str());
  const bool switchThemed = HasButtonTheme(uxtheme, onOff);
  const bool loginThemed = HasButtonTheme(uxtheme, login);
  std::printf("switch: %s\n", switchThemed ? "themed" : "no theme");
  std::printf("login button: %s\n", loginThemed ? "themed" : "no theme");
  return !switchThemed && loginThemed ? 0 : 1;
}

}  // namespace
}  // namespace fendrel

int main() {
  if (fendrel::UxThemeLoaded()) {
    std::printf("uxtheme loaded at the start\ndone\n");
    return 1;
  }
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "fendrel-theme-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);

  // The stand-in for HKEY_CURRENT_USER: volatile, so nothing of it outlives
  // the session, and removed at the end.
  const std::wstring standIn =
      L"Software\\Fendrel switch theme probe " + std::to_wstring(GetCurrentProcessId());
  HKEY user = nullptr, themeSettings = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, standIn.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                  nullptr, &user, nullptr);
  RegCreateKeyExW(user, fendrel::kThemeKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                  &themeSettings, nullptr);
  int result = 1;
  if (!user || !themeSettings) {
    std::printf("the stand-in for HKEY_CURRENT_USER could not be made\n");
  } else {
    fendrel::SetText(themeSettings, L"ThemeActive", L"0");
    RegOverridePredefKey(HKEY_CURRENT_USER, user);
    result = fendrel::Run(themeSettings, folder);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  }
  if (themeSettings) RegCloseKey(themeSettings);
  if (user) {
    RegDeleteTreeW(user, nullptr);
    RegCloseKey(user);
    RegDeleteKeyW(HKEY_CURRENT_USER, standIn.c_str());
  }
  RemoveDirectoryA(folder.c_str());
  std::printf("done\n");
  std::fflush(stdout);
  return result;
}
