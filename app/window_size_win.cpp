#include "app/window_size_win.h"

#include "platform/drawing_win.h"
#include "platform/function_lookup_win.h"
#include "screen/layout.h"

namespace fendrel {

namespace {

// The layout's client area at a resolution.
SIZE ClientSizeAt(int dpi) {
  return {TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
}

// The outer size of a window whose client area is `client` at a resolution.
SIZE WindowSizeFor(SIZE client, int dpi) {
  RECT rect{0, 0, client.cx, client.cy};
  if (!AdjustWindowRectForDpi(rect, kMainWindowStyle, kMainWindowExStyle, dpi)) {
    AdjustWindowRectEx(&rect, kMainWindowStyle, FALSE, kMainWindowExStyle);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

int DpiOf(HWND hwnd) {
  const UINT dpi = DpiForWindow(hwnd);
  if (dpi != 0) return static_cast<int>(dpi);
  const WindowDC screen(nullptr);
  const int screenDpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
  return screenDpi > 0 ? screenDpi : 96;
}

SIZE MainWindowSizeAt(int dpi) {
  return WindowSizeFor(ClientSizeAt(dpi), dpi);
}

SIZE FitClientArea(HWND window, int dpi) {
  const SIZE client = ClientSizeAt(dpi);
  RECT actual, frame;
  GetClientRect(window, &actual);
  GetWindowRect(window, &frame);
  SIZE outer{frame.right - frame.left, frame.bottom - frame.top};
  if (actual.right == client.cx && actual.bottom == client.cy) return outer;  // made at its size
  outer = WindowSizeFor(client, dpi);
  SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  // The frame's real size may differ from the computed one (a caption that
  // did not scale with the resolution): correct by what is measured.
  GetClientRect(window, &actual);
  if (actual.right != client.cx || actual.bottom != client.cy) {
    outer.cx += client.cx - actual.right;
    outer.cy += client.cy - actual.bottom;
    SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
  return outer;
}

void CentreOnWorkArea(HWND window, SIZE outer) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int left = work.left + (work.right - work.left - outer.cx) / 2;
  const int top = work.top + (work.bottom - work.top - outer.cy) / 2;
  SetWindowPos(window, nullptr, left > work.left ? left : work.left, top > work.top ? top : work.top, 0, 0,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

}  // namespace fendrel
