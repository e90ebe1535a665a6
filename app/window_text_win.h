// A window's text, exactly as UTF-16 and as UTF-8 for the screen. The
// window layer reads every window text through these.
#pragma once

#include <windows.h>

#include <string>

#include "platform/wide_text_win.h"

namespace fendrel {

inline std::wstring WideWindowText(HWND hwnd) {
  if (!hwnd) return {};
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  const int length = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return text;
}

// A control's text as shown, for captions and messages.
inline std::string WindowText(HWND hwnd) {
  return Narrow(WideWindowText(hwnd));
}

}  // namespace fendrel
