// The tray icon that stands for the hidden main window, and `Form2`, the
// hidden form that carries the icon's pop-up menu.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include <shellapi.h>

#include "platform/handles_win.h"

namespace fendrel {

// The icon's notifications come to the main window as this private message
// (wParam the icon identifier, the low word of lParam the mouse message), so
// they are never confused with the window's own pointer moves.
inline constexpr UINT kTrayMessage = WM_APP + 1;
inline constexpr UINT kTrayIconId = 1;

// Commands of the pop-up menu, sent to the main window as WM_COMMAND.
inline constexpr UINT kTrayOpenItem = 40001;       // mnuOpen, "Open Fendrel"
inline constexpr UINT kTrayEmergencyItem = 40002;  // mnuem, "Emergency!"

// The caption of the pop-up menu's item with this command; null for any
// other number.
const char* TrayMenuCaption(UINT id);

class TrayIcon {
 public:
  // How the icon reaches the shell: Shell_NotifyIconW, or in the tests a
  // notification area of their own that counts the icons.
  using ShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;
  // `shell`: none for the real Shell_NotifyIconW.
  explicit TrayIcon(ShellNotify shell = nullptr) : shell_(std::move(shell)) {}

  // `HideForm`: hides the window and adds the icon. An add refused because
  // the icon is already there changes nothing.
  void HideForm(HWND window);
  // `LoadFormAgain`: shows the window in its normal state, removes the icon.
  void LoadFormAgain(HWND window);
  // Removes the icon (if any) before the program ends.
  void Remove();

  // A balloon over the icon (while it is in the tray), for what the person
  // must learn after a silent start.
  void ShowBalloon(const std::string& title, const std::string& text);

  // The shell (re)started: put the icon back if the window is in the tray.
  void OnTaskbarCreated();
  // The registered "TaskbarCreated" message.
  static UINT TaskbarCreatedMessage();

  bool InTray() const { return inTray_; }
  bool IconAdded() const { return iconAdded_; }
  const NOTIFYICONDATAW& data() const { return TrayIconData; }

 private:
  void Add();
  BOOL Notify(DWORD message, NOTIFYICONDATAW* data) const;

  ShellNotify shell_;

  // The pre-version-5 record: on 64-bit Windows that is NOTIFYICONDATAW_V1_SIZE bytes.
  NOTIFYICONDATAW TrayIconData{};
  bool inTray_ = false;     // the window was hidden to the tray and not restored
  bool iconAdded_ = false;  // the shell accepted our icon and it was not removed
};

// `Form2`: never shown; created on first use, destroyed with its owner.
class Form2 {
 public:
  // Shows the pop-up menu at the pointer, owned by `owner`; the chosen item
  // arrives at `owner` as WM_COMMAND with kTrayOpenItem or kTrayEmergencyItem.
  void ShowTrayMenu(HWND owner);
  // Creates the hidden form and its menu on first use.
  void Load();
  HWND window() const { return window_.get(); }
  HMENU menu() const { return menu_.get(); }

 private:
  UniqueWindow window_;
  UniqueMenu menu_;  // "IconClick": its items form the pop-up menu
};

}  // namespace fendrel
