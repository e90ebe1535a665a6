// Drives the real Fendrel.exe from another process, as a person would: it
// finds the window and its controls, clicks, types, reads captions and
// lists, answers message boxes and the file-open dialog, and uses the tray
// icon. Every wait polls with a timeout and fails with what it waited for.
// Texts and paths are UTF-8 here; the windows are asked in UTF-16, so a
// name outside the ANSI code page is typed and read as itself.
#pragma once

#include <windows.h>

#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/handles_win.h"
#include "tests/core/test_support.h"

#include "tests/win32/machine_state_win.h"

namespace fendrel::testing {

// How long any wait for the program lasts before the test fails.
inline constexpr DWORD kE2eTimeoutMs = 10000;

// Polls `done` until it holds; after the timeout the test fails saying
// what it waited for, and the result is false.
bool WaitFor(const std::function<bool()>& done, const std::string& what, DWORD timeoutMs = kE2eTimeoutMs);

// A message box as the user sees it.
struct SeenBox {
  std::string title;
  std::string text;
  bool windowShown = false;  // the main window was on the screen while the box was
};

// The machine-wide password file and Run value, kept and put back (see
// MachineState), with the changes a test makes asserted.
class MachineStateGuard : public MachineState {
 public:
  // Removes the password file and the Run value "Fendrel": a first run.
  static void ClearForFirstRun();
  static void SetRunValue(const std::string& data);
};

// Wine's own "Light" visual style, turned on for the programs started while
// this lives: their themed controls then paint as they do on Windows with
// Common Controls 6, in the theme's colours. What was set before is put back.
class VisualStyles {
 public:
  VisualStyles();
  ~VisualStyles();
  VisualStyles(const VisualStyles&) = delete;
  VisualStyles& operator=(const VisualStyles&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> kept_;
};

// What the screen shows of a window now, row by row from the top.
struct ScreenPixels {
  int width = 0, height = 0;
  std::vector<COLORREF> colours;
  // The pixels that match, in the columns from `fromX` up to `toX` and the
  // rows from `fromY` up to `toY`.
  int Count(const std::function<bool(COLORREF)>& matches, int fromX = 0, int toX = INT_MAX, int fromY = 0,
            int toY = INT_MAX) const;
};
ScreenPixels PixelsOf(HWND window);
// The pixels `draw` paints on a bitmap of this size (32 bits, top row first).
ScreenPixels PixelsDrawnBy(int width, int height, const std::function<void(HDC)>& draw);

// Another process may read the file but not write, delete or rename it.
// The first way that gets through is told, and no way after it.
void ExpectHeld(const std::string& path);

// A program installed or unpacked elsewhere, to be driven where it is.
struct ProgramIn {
  std::string folder;
};

// The program, started and driven from here: a copy of the built program in
// a folder of its own, or one that is already in place. The process is
// ended (if it still runs) when this goes.
class FendrelApp {
 public:
  // The program goes into a fresh folder, or into `subfolder` of it (which
  // may hold blanks, as "Program Files" does).
  explicit FendrelApp(const std::string& subfolder = {});
  explicit FendrelApp(ProgramIn existing);
  ~FendrelApp();
  FendrelApp(const FendrelApp&) = delete;
  FendrelApp& operator=(const FendrelApp&) = delete;

  // The program folder and a file in it.
  const std::string& folder() const { return programFolder_; }
  std::string File(const std::string& name) const { return programFolder_ + "\\" + name; }
  std::string SafeListFile() const { return File("prot.dat"); }
  std::string EmergencyListFile() const { return File("emer.dat"); }
  // Writes a file in the program folder with this content; returns its path.
  std::string MakeFile(const std::string& name, const std::string& content = "original") const;

  // Starts Fendrel.exe with this argument text after the quoted program path
  // ("" for a normal start, "/silent"); again, once it has ended, for a restart.
  void Start(const std::string& argumentText = "");
  // Starts Fendrel.exe with exactly this command line, as Windows starts a
  // Run value: the program is named apart, so nothing quotes the line.
  void StartWithCommandLine(std::string commandLine);
  bool Running() const;
  // Waits for the process to end by itself; false after the timeout.
  bool WaitForExit(DWORD milliseconds = kE2eTimeoutMs);
  void Kill();
  DWORD processId() const { return processId_; }

  // The main window (not the hidden Form2, not a dialog); waits for it to
  // exist, visible or not. Fails the test and returns null on timeout.
  HWND MainWindow();
  bool MainWindowVisible();
  // The main window if it exists now, without waiting.
  HWND FindMainWindow();
  // Waits until the main window is visible (or hidden); false on timeout.
  bool WaitMainWindowVisible(bool visible);

  // A control of the main window by its identifier (screen/control_ids.h),
  // wherever it lives, waiting for it while its page is being built; null
  // when there is none after the timeout.
  HWND Control(int id);
  std::string Caption(int id);
  bool Enabled(int id);
  // Visible on the screen: the control and every parent up to the window.
  bool Visible(int id);
  // The page index shown now: the one visible page frame, or -1.
  int ShownPage();
  // Waits until this page is the one shown; false on timeout.
  bool WaitForPage(int pageIndex);

  // Clicks a button, a check box or a clickable label as the mouse would
  // and waits until the program has handled it. A click that brings up a
  // message box or dialog fails the test with that box's text: use
  // ClickExpectingBox / ClickOpeningDialog for those.
  void Click(int id);
  // Clicks without waiting for the program, for a click that shows a
  // modal box; answer the box afterwards.
  void PostClick(int id);
  // Clicks the menu item of a page.
  void ClickMenu(int pageIndex) { Click(MenuId(pageIndex)); }
  void PostClickMenu(int pageIndex) { PostClick(MenuId(pageIndex)); }
  // Clicks, then answers the message box that follows with OK.
  SeenBox ClickExpectingBox(int id);

  // Puts text into a text box, as typing it would.
  void Type(int id, const std::string& text);

  // The entries of a list box, read through the list box messages.
  std::vector<std::string> ListItems(int id);
  int ListSelection(int id);
  // Selects an entry as a mouse click on it would.
  void SelectListItem(int id, int index);

  // Waits for a message box of the program, reads it and presses OK.
  // Fails the test (and returns an empty box) on timeout.
  SeenBox AnswerBox();
  // True when no message box or dialog of the program is open now, after
  // the program has handled everything sent to it.
  bool NoBoxOpen();

  // Waits for the file-open dialog titled "Select File", puts the path in
  // its file-name box and presses Open; or presses Cancel.
  void ChooseFile(const std::string& path);
  void CancelFileDialog();

  // Drags files onto the middle of a control and drops them there, as a
  // file manager on the Linux desktop does under Wine: another process
  // (xdnd_drag.py beside the tests, run by python3) speaks the X
  // drag-and-drop protocol to the window, and Wine's X11 driver gives the
  // program the files as the WM_DROPFILES of a real drop. Returns when the
  // drop is over; what the program does with the files may still be coming.
  // Fails the test where there is no such drag (not Wine, no python3).
  void DragFilesOnto(int id, const std::vector<std::string>& paths);

  // The tray icon's notifications, as the shell sends them.
  void TrayDoubleClick();
  // A right click on the icon: waits for the pop-up menu; false when it
  // did not come. (Under Wine the menu's items cannot be read from another
  // process: a menu handle is private to the process that made it.)
  bool OpenTrayMenu();
  // With the pop-up menu open: chooses its item at this place, counting the
  // items that can be chosen from 0 (separators are not counted), with the
  // keys a person would press: down to it, then Enter.
  void ChooseTrayMenuItem(int index);

  // Sends a close request to the window, as its close box does.
  void CloseWindow();

 private:
  static int MenuId(int pageIndex);
  HWND FindDialog(const char* title);  // a #32770 of the program; any title when null
  HWND WaitDialog(const char* title, const char* what);
  void ClickWindow(HWND control, bool wait);

  std::optional<TempFolder> ownFolder_;  // none for a program in place
  std::string programFolder_;
  UniqueHandle process_;
  DWORD processId_ = 0;
  HWND main_ = nullptr;
  HWND trayMenu_ = nullptr;  // the open tray pop-up menu
  bool reportedGone_ = false;
};

// The exit code of "cmd.exe /c COMMAND", Wine's own command interpreter.
long RunCmd(const std::string& command);

}  // namespace fendrel::testing
