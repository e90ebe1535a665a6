// The driver of scripts/page-shots.sh: one step on the running Fendrel per
// start, as a person would take it, and the main window's place on the
// screen printed for the screenshot. Built by the script, not by CMake.
//   page_shots_driver.exe login PASSWORD   waits for "Welcome", logs in
//   page_shots_driver.exe show PAGE        opens a page by its menu item
//   page_shots_driver.exe first-run        answers the first start's warning,
//                                          waits for "New User"
// Both print "dpi X Y W H" (the system DPI, the window's rectangle in screen
// pixels) once the page is shown and painted; a failure says what it waited
// for and exits 1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "screen/control_ids.h"
#include "tests/win32/process_windows_win.h"

using fendrel::testing::ClassOf;

namespace {

using namespace fendrel;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "page_shots_driver: %s\n", what.c_str());
  std::exit(1);
}

std::string TitleOf(HWND window) {
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  return title;
}

HWND Descendant(HWND parent, int id) {
  for (HWND child : fendrel::testing::Descendants(parent)) {
    if ((GetDlgCtrlID(child) & 0xFFFF) == id) return child;
  }
  return nullptr;
}

// The top-level windows titled "Fendrel": the main window is the one that
// carries the controls; a dialog (#32770) is a message box.
struct TopLevel {
  HWND main = nullptr;
  HWND box = nullptr;
};

TopLevel FindWindows() {
  TopLevel found;
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* f = reinterpret_cast<TopLevel*>(data);
        if (!IsWindowVisible(window)) return TRUE;
        if (ClassOf(window) == "#32770") {
          f->box = window;
        } else if (TitleOf(window) == "Fendrel" && Descendant(window, ctl::kEmergencyButton)) {
          f->main = window;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

template <typename Done>
void WaitFor(Done done, const std::string& what) {
  for (int i = 0; i < 1000; ++i) {  // 20 s
    if (done()) return;
    Sleep(20);
  }
  Fail("timed out waiting for " + what);
}

HWND MainWindow() {
  HWND main = nullptr;
  WaitFor([&] { return (main = FindWindows().main) != nullptr; }, "the main window \"Fendrel\"");
  return main;
}

HWND Control(int id) {
  HWND control = nullptr;
  WaitFor([&] { return (control = Descendant(MainWindow(), id)) != nullptr; },
          "control " + std::to_string(id));
  return control;
}

int ShownPage(HWND main) {
  int shown = -1;
  for (int page : {0, 1, 2, 3, 4, 7, 8}) {
    HWND frame = Descendant(main, ctl::PageFrame(page));
    if (frame && (GetWindowLongPtrA(frame, GWL_STYLE) & WS_VISIBLE)) {
      if (shown != -1) return -2;
      shown = page;
    }
  }
  return shown;
}

// A click as the window gets it: a button's BM_CLICK, a label's press and
// release. Posted, so a message box it opens does not hold the driver.
void Click(int id) {
  HWND control = Control(id);
  if (ClassOf(control) == "Button") {
    PostMessageA(control, BM_CLICK, 0, 0);
  } else {
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
}

// The program has handled what was sent and posted to it.
void Settle(HWND main) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) Fail("Fendrel does not answer");
}

// Waits for a message box and presses its OK.
void AnswerBox(const std::string& what) {
  HWND box = nullptr;
  WaitFor([&] { return (box = FindWindows().box) != nullptr; }, what);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  WaitFor([&] { return !IsWindow(box); }, what + " to close");
}

void ShowAndReport(int page) {
  HWND main = MainWindow();
  WaitFor([&] { return ShownPage(main) == page; }, "page " + std::to_string(page) + " to be shown");
  Settle(main);
  if (HWND box = FindWindows().box) Fail("a box is open: " + TitleOf(box));
  // Nothing under the mouse, every part painted, and Wine's window surface
  // given to the X server.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  Settle(main);
  Sleep(700);
  Settle(main);
  RECT rect{};
  GetWindowRect(main, &rect);
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  std::printf("%d %ld %ld %ld %ld\n", dpi, rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top);
}

}  // namespace

int main(int argc, char** argv) {
  // Rectangles in real pixels, as the DPI-aware program has them.
  SetProcessDPIAware();
  if (argc == 3 && std::strcmp(argv[1], "login") == 0) {
    HWND main = MainWindow();
    WaitFor([&] { return ShownPage(main) == 0; }, "the page \"Welcome\"");
    SendMessageA(Control(ctl::kLoginPasswordBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
    Click(ctl::kLoginButton);
    AnswerBox("the box after the login");
    ShowAndReport(0);
  } else if (argc == 2 && std::strcmp(argv[1], "first-run") == 0) {
    AnswerBox("the warning of the first start");
    ShowAndReport(7);
  } else if (argc == 3 && std::strcmp(argv[1], "show") == 0) {
    const int page = std::atoi(argv[2]);
    Click(ctl::MenuItem(page));
    ShowAndReport(page);
  } else {
    Fail("usage: page_shots_driver.exe login PASSWORD | show PAGE | first-run");
  }
  return 0;
}
