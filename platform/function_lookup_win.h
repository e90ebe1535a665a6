// Windows functions found by name while the program runs: those that only
// newer versions of Windows have, and those of a library loaded only when
// it is first needed. Every GetProcAddress of the program is here.
#pragma once

#include <windows.h>

namespace fendrel {

// The function `name` of a loaded `module` as a pointer of type
// `FunctionPointer`; null when the module or the function is missing.
template <typename FunctionPointer>
FunctionPointer FindFunction(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // GetProcAddress returns a generic function pointer; going through void*
  // keeps the compiler from warning about the cast between function types.
  return reinterpret_cast<FunctionPointer>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// GetDpiForWindow (Windows 10 and later, and Wine): the window's resolution,
// or 0 where Windows lacks the function.
UINT DpiForWindow(HWND window);

// AdjustWindowRectExForDpi (Windows 10 and later): false where Windows lacks
// the function or it failed, and `rect` is then unchanged.
bool AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

// Makes the process aware of each monitor's resolution (per monitor,
// version 2), or of the system's on Windows older than 10 version 1703;
// nothing on the oldest.
void BecomeDpiAware();

// SetWindowTheme of uxtheme. uxtheme is loaded from the system folder when
// nothing in the process has loaded it yet, so the call holds whatever
// loads it later (Common Controls 6, a visual style turned on while the
// program runs). False where Windows has no uxtheme or the call failed.
bool SetWindowThemeOf(HWND window, const wchar_t* application, const wchar_t* classes);

// Registers the tooltip class of Common Controls (InitCommonControlsEx),
// loading the library on first use; false when it could not.
bool LoadToolTipClass();

}  // namespace fendrel

namespace fendrel {

// ChangeWindowMessageFilterEx (Windows 7 and later): lets `message` reach
// `window` from processes of a lower integrity level, such as a start
// without administrator rights reaching a copy that has them. False where
// Windows lacks the function or refused.
bool AllowMessageFromLowerIntegrity(HWND window, UINT message);

}  // namespace fendrel
