// The main window Form1: the banner, the menu column, the two emergency
// buttons and one page at a time. It is the window and its page host: its
// controls (PageControls), list pages (ListPages), painting
// (DecorationPainter) and the rest are pieces it owns and wires together.
// It shows and drives the core made before it (Form1Core: the lists and
// holds of the run, the password store, the switch) and runs the load step
// once.
//
// Behaviour of a control is added with OnClick(id, handler): every click of
// every control, on a page or not, reaches the window's one command path,
// which dispatches by the control's identifier (screen/control_ids.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>

#include "app/control_factory_win.h"
#include "app/decoration_painter_win.h"
#include "app/emergency_buttons_win.h"
#include "app/failure_reporter_win.h"
#include "app/healer_win.h"
#include "app/list_pages_win.h"
#include "app/on_off_switch_box_win.h"
#include "app/page_controls_win.h"
#include "app/tray_win.h"
#include "password/password_pages.h"
#include "screen/form1_actions.h"
#include "screen/load_step.h"

namespace fendrel {

class AccessLevel;
class BackgroundOpens;
class Browser;
class EmergencyMode;
class FileLayer;
class ListEditing;
class MessageBoxes;
class OnOffSwitch;
class PasswordStore;
class Protection;

// What the window reaches the platform through: the real ones in the
// program, fakes in the tests.
struct Form1Services {
  MessageBoxes& boxes;
  Browser& browser;
  // Told the window's handle as soon as it exists, before the load step, so
  // dialogs and message boxes can be owned by it.
  std::function<void(HWND)> windowCreated;
  // How the tray icon reaches the shell; none for the real one.
  TrayIcon::ShellNotify shell = nullptr;
};

// The core pieces the window shows and drives, made before it (in
// main_win.cpp; in the tests, by the test).
struct Form1Core {
  Protection& protection;
  ListEditing& editing;
  EmergencyMode& emergency;
  PasswordStore& passwords;
  OnOffSwitch& onOffSwitch;
  // The worker's opens, which the healer takes in when the notice, told the
  // window's handle, says they finished.
  BackgroundOpens& background;
  OpensFinishedNotice& opensFinished;
};

class Form1 : public Form1Actions, private LoadSteps, private PageControls::Owner {
 public:
  // The window class of the main window, by which other processes find it.
  static constexpr const wchar_t* kWideClassName = L"FendrelForm1";

  // `silent`: the start is silent (startup/start_mode.h), so the load step hides
  // the window to the tray first.
  Form1(Form1Services services, Form1Core core, AccessLevel& access, FileLayer& files, bool silent);
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Creates the window with its own controls (banner, menu, emergency
  // buttons), then runs the load step, which shows the first page. The
  // window is not shown: the caller shows it. False when the window could
  // not be created.
  bool Create(HINSTANCE instance);

  HWND hwnd() const { return hwnd_; }
  // The window's controls, by identifier. A page's controls are made when
  // it is first shown or one of them is first asked for, which keeps the
  // start short; the program builds every page once its window is on the
  // screen, so every page then opens at once.
  PageControls& controls() { return controls_; }

  // The click handling of a control: BN_CLICKED of a button or check box,
  // STN_CLICKED of a clickable label. Menu items are the window's own.
  using Handler = std::function<void()>;
  void OnClick(int id, Handler handler);

  // Page switch under the access rules; a refusal shows "Please login to
  // use this function." and changes nothing.
  void SelectPage(int pageIndex, std::int16_t override) override;
  // Ends the process at once, which releases every hold.
  void CloseProgram() override;
  // Hides the window to the tray (a refused close, a silent start).
  void HideForm() override;
  // Shows the window in its normal state and removes the tray icon.
  void LoadFormAgain();
  const TrayIcon& tray() const { return tray_; }
  // The page shown now, or -1 before the first page switch.
  int ShownPage() const;

  // Holding what is not held yet: the message loop waits on its handles.
  Healer& healer() { return healer_; }
  // The load step's last step: the lists as the core read them.
  void MirrorLists() override { ShowChanges(); }
  // The safe list and the emergency list pages.
  ListPages& listPages() { return listPages_; }

  // Keyboard use beyond what the dialog manager does: Enter presses the
  // shown page's button, Ctrl+PgDn and Ctrl+PgUp move to the next or the
  // previous page the level opens. True when the key was used.
  bool PreTranslate(const MSG& message);

  // Posted by a second start of the program: show the window.
  static UINT BringForwardMessage();

  // The process's message loop ends when the window is destroyed.
  bool quitWhenDestroyed = false;

 private:
  // The messages of the window, and of the panels (pages' frames, pictures).
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandlePanelMessage(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

  // Message handlers.
  void OnNcCreate(HWND hwnd);
  void OnNcDestroy();
  bool OnCreate();
  void OnCommand(int id, int code);
  void OnDpiChanged(int dpi, const RECT& suggested);

  // The load step (screen/load_step.h), once, and the steps only it takes.
  void Load();
  void DeterminePassword() override;
  void ShowOnOffState() override;
  void LoadLists() override;

  // Told by the core after each change of its lists and holds: the list
  // pages show it, and the healer plans what to wait for now.
  void ShowChanges() noexcept;
  // Gives every button of the pages its click handling.
  void WireHandlers();
  void OnTrayNotification(WPARAM id, LPARAM event);

  // What the window adds to the making of its controls.
  void ControlMade(const ControlSpec& row, HWND control) override;
  void ControlLaidOut(const ControlSpec& row, const RECT& place) override;
  void PageBuilt(int page) override;

  MessageBoxes& boxes_;
  std::function<void(HWND)> windowCreated_;
  Browser& browser_;
  AccessLevel& access_;
  OpensFinishedNotice& opensFinished_;
  Protection& protection_;
  PasswordStore& passwords_;
  PasswordPages passwordPages_;
  TrayIcon tray_;
  Form2 form2_;
  bool silent_;
  // A handling that threw is told from the message loop.
  FailureReporter failures_;
  HINSTANCE instance_ = nullptr;
  HWND hwnd_ = nullptr;
  // Makes the controls from the table at the window's resolution.
  ControlFactory factory_;
  bool loaded_ = false;
  PageControls controls_;
  ListPages listPages_;
  OnOffSwitchBox switchBox_;
  EmergencyButtons emergencyButtons_;
  std::map<int, Handler> handlers_;
  DecorationPainter painter_{factory_};
  Healer healer_;
};

}  // namespace fendrel
