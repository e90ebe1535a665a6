// Finding windows and reading their texts from outside, as the end-to-end
// driver, the soak and the window's own tests do.
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
// The one beneath `parent` with this identifier, or null.
HWND DescendantWithId(HWND parent, int id);
// A window's text through WM_GETTEXT, which also reaches another process's
// controls (GetWindowText does not ask them). Texts are read as UTF-16 and
// given as UTF-8, so a name outside the ANSI code page reads as itself.
std::string TextOf(HWND window);

}  // namespace fendrel::testing
