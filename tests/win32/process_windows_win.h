// Finding another process's windows from outside, as the end-to-end driver
// and the soak do.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fendrel::testing {

std::string ClassOf(HWND window);
DWORD ProcessOf(HWND window);
// The process's top-level windows, hidden ones too.
std::vector<HWND> TopLevelWindows(DWORD processId);
// Every window beneath `parent`, at any depth.
std::vector<HWND> Descendants(HWND parent);

}  // namespace fendrel::testing
