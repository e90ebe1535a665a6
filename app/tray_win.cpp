#include "app/tray_win.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "ui/messages.h"

namespace fendrel {

namespace {

struct MenuItem {
  const char* caption;  // nullptr: a separator line
  UINT id;
};

// The pop-up menu of the tray icon, top to bottom.
constexpr MenuItem kTrayMenu[] = {
    {messages::kTrayOpenItem, kTrayOpenItem},
    {nullptr, 0},
    {messages::kTrayEmergencyItem, kTrayEmergencyItem},
};

}  // namespace

const char* TrayMenuCaption(UINT id) {
  for (const MenuItem& item : kTrayMenu) {
    if (item.caption && item.id == id) return item.caption;
  }
  return nullptr;
}

UINT TrayIcon::TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

void TrayIcon::Add() {
  TrayIconData.cbSize = NOTIFYICONDATAA_V1_SIZE;
  TrayIconData.uID = kTrayIconId;
  TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  TrayIconData.uCallbackMessage = kTrayMessage;
  // The tooltip, a NUL, then blanks up to 64 characters.
  const std::string_view tip = messages::kTrayTip;
  std::memset(TrayIconData.szTip, ' ', sizeof TrayIconData.szTip);
  tip.copy(TrayIconData.szTip, sizeof TrayIconData.szTip - 1);
  TrayIconData.szTip[std::min(tip.size(), sizeof TrayIconData.szTip - 1)] = '\0';
  TrayIconData.szTip[sizeof TrayIconData.szTip - 1] = '\0';
  if (Shell_NotifyIconA(NIM_ADD, &TrayIconData)) iconAdded_ = true;
  // A refused add is no failure when our icon is already there; when the
  // shell is not up yet, "TaskbarCreated" brings us back to add it.
}

void TrayIcon::HideForm(HWND window) {
  ShowWindow(window, SW_HIDE);
  inTray_ = true;
  // The window and icon handles are read afresh each time.
  TrayIconData.hWnd = window;
  auto icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICONSM));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
  TrayIconData.hIcon = icon;
  Add();
}

void TrayIcon::LoadFormAgain(HWND window) {
  ShowWindow(window, SW_RESTORE);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  inTray_ = false;
  Remove();
}

void TrayIcon::Remove() {
  // Until the first HideForm the record's numbers are zero and the shell
  // refuses it; that refusal means there was nothing to remove.
  Shell_NotifyIconA(NIM_DELETE, &TrayIconData);
  iconAdded_ = false;
}

void TrayIcon::OnTaskbarCreated() {
  if (!inTray_) return;
  iconAdded_ = false;  // a new shell knows no icons
  Add();
}

void Form2::Load() {
  if (window_) return;
  // A plain hidden top-level window with the caption "Fendrel".
  window_.reset(CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", messages::kTrayFormCaption, WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
  menu_.reset(CreatePopupMenu());
  for (const MenuItem& item : kTrayMenu) {
    if (item.caption) {
      AppendMenuA(menu_.get(), MF_STRING, item.id, item.caption);
    } else {
      AppendMenuA(menu_.get(), MF_SEPARATOR, 0, nullptr);
    }
  }
}

void Form2::ShowTrayMenu(HWND owner) {
  Load();
  POINT pointer{};
  GetCursorPos(&pointer);
  // The owner must be in the foreground for the menu to close when the
  // user clicks elsewhere; WM_NULL afterwards lets it close properly.
  SetForegroundWindow(owner);
  TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON, pointer.x, pointer.y, 0, owner, nullptr);
  PostMessageA(owner, WM_NULL, 0, 0);
}

}  // namespace fendrel
