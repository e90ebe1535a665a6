#include "platform/function_lookup_win.h"

#include <commctrl.h>

#include <string>

namespace fendrel {

namespace {

HMODULE User32() {
  return GetModuleHandleW(L"user32.dll");
}

// uxtheme.dll as loaded, or loaded now by its full path in the system folder
// (never from the program's folder or the search path). It stays loaded:
// what it set on a window lasts as long as the window.
HMODULE UxTheme() {
  if (HMODULE loaded = GetModuleHandleW(L"uxtheme.dll")) return loaded;
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\uxtheme.dll";
  return LoadLibraryExW(path.c_str(), nullptr, 0);
}

}  // namespace

UINT DpiForWindow(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  const auto getDpiForWindow = FindFunction<GetDpiForWindowFn>(User32(), "GetDpiForWindow");
  return getDpiForWindow && window ? getDpiForWindow(window) : 0;
}

bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  const auto adjustForDpi = FindFunction<AdjustForDpiFn>(User32(), "AdjustWindowRectExForDpi");
  RECT adjusted = rect;
  if (!adjustForDpi || !adjustForDpi(&adjusted, style, FALSE, exStyle, static_cast<UINT>(dpi))) return false;
  rect = adjusted;
  return true;
}

void BecomeDpiAware() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  const auto setContext = FindFunction<SetContextFn>(User32(), "SetProcessDpiAwarenessContext");
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which older headers lack.
  if (setContext && setContext(reinterpret_cast<HANDLE>(-4))) return;
  using SetAwareFn = BOOL(WINAPI*)();
  const auto setAware = FindFunction<SetAwareFn>(User32(), "SetProcessDPIAware");
  if (setAware) setAware();
}

bool SetWindowThemeOf(HWND window, const wchar_t* application, const wchar_t* classes) {
  using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
  const auto setWindowTheme = FindFunction<SetWindowThemeFn>(UxTheme(), "SetWindowTheme");
  return setWindowTheme && SUCCEEDED(setWindowTheme(window, application, classes));
}

bool LoadToolTipClass() {
  // Loaded when a list with tooltips is first made, not at every start, and
  // never unloaded: the tooltips live as long as the window.
  HMODULE library = GetModuleHandleW(L"comctl32.dll");
  if (!library) library = LoadLibraryW(L"comctl32.dll");
  using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = FindFunction<InitFn>(library, "InitCommonControlsEx");
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES};
  return init && init(&classes);
}

}  // namespace fendrel

namespace fendrel {

bool AllowMessageFromLowerIntegrity(HWND window, UINT message) {
  using ChangeFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  const auto changeFilter = FindFunction<ChangeFilterFn>(User32(), "ChangeWindowMessageFilterEx");
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
  return changeFilter && changeFilter(window, message, kAllow, nullptr);
}

}  // namespace fendrel
