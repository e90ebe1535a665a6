// A window's text exactly, as UTF-16: the control wrappers' Text(), for the
// code that still reads a window text by its handle.
#pragma once

#include <windows.h>

#include <string>

#include "app/controls_win.h"

namespace fendrel {

inline std::wstring WideWindowText(HWND hwnd) {
  return ControlWindow(hwnd).Text();
}

}  // namespace fendrel
