// The main window's size and place: its client area is the layout's at the
// window's resolution, whatever the size of its frame; it opens centred on
// its screen's work area.
#pragma once

#include <windows.h>

namespace fendrel {

// The main window's styles, which its frame's size depends on.
inline constexpr DWORD kMainWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
inline constexpr DWORD kMainWindowExStyle = WS_EX_CONTROLPARENT;

// The resolution of a window: its own where Windows knows it (10 and later,
// and Wine), else the screen's. Null: the screen's.
int DpiOf(HWND hwnd);
// The outer size of the main window whose client area is the layout's at a
// resolution, as the frame's size is computed.
SIZE MainWindowSizeAt(int dpi);
// Sizes the window so that its client area is the layout's at `dpi`,
// correcting by what is measured; returns the outer size.
SIZE FitClientArea(HWND window, int dpi);
// Moves the window of this outer size to the middle of its screen's work
// area, its top left corner kept inside it.
void CentreOnWorkArea(HWND window, SIZE outer);

}  // namespace fendrel
