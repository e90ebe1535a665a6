#include "app/tray_win.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/start_steps.h"
#include "platform/wide_text_win.h"
#include "screen/messages.h"

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

BOOL TrayIcon::Notify(DWORD message, NOTIFYICONDATAW* data) const {
  return shell_ ? shell_(message, data) : Shell_NotifyIconW(message, data);
}

UINT TrayIcon::TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

void TrayIcon::Add() {
  const StartStep step("the tray icon");
  TrayIconData.cbSize = NOTIFYICONDATAW_V1_SIZE;
  TrayIconData.uID = kTrayIconId;
  TrayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  TrayIconData.uCallbackMessage = kTrayMessage;
  // The tooltip, a NUL, then blanks up to 64 characters.
  const std::wstring tip = Wide(messages::kTrayTip);
  const std::size_t room = std::size(TrayIconData.szTip);
  std::fill(std::begin(TrayIconData.szTip), std::end(TrayIconData.szTip), L' ');
  tip.copy(TrayIconData.szTip, room - 1);
  TrayIconData.szTip[std::min(tip.size(), room - 1)] = L'\0';
  TrayIconData.szTip[room - 1] = L'\0';
  if (Notify(NIM_ADD, &TrayIconData)) iconAdded_ = true;
  // A refused add is no failure when our icon is already there; when the
  // shell is not up yet, "TaskbarCreated" brings us back to add it.
}

void TrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
  if (!iconAdded_) return;
  // The balloon needs the version 5 record; the icon itself keeps the first.
  NOTIFYICONDATAW balloon{};
  balloon.cbSize = sizeof balloon;
  balloon.hWnd = TrayIconData.hWnd;
  balloon.uID = TrayIconData.uID;
  balloon.uFlags = NIF_INFO;
  balloon.dwInfoFlags = NIIF_WARNING;
  Wide(title).copy(balloon.szInfoTitle, std::size(balloon.szInfoTitle) - 1);
  Wide(text).copy(balloon.szInfo, std::size(balloon.szInfo) - 1);
  Notify(NIM_MODIFY, &balloon);
}

void TrayIcon::HideForm(HWND window) {
  ShowWindow(window, SW_HIDE);
  inTray_ = true;
  // The window and icon handles are read afresh each time.
  TrayIconData.hWnd = window;
  auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
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
  Notify(NIM_DELETE, &TrayIconData);
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
  window_.reset(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", Wide(messages::kTrayFormCaption).c_str(),
                                WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  menu_.reset(CreatePopupMenu());
  for (const MenuItem& item : kTrayMenu) {
    if (item.caption) {
      AppendMenuW(menu_.get(), MF_STRING, item.id, Wide(item.caption).c_str());
    } else {
      AppendMenuW(menu_.get(), MF_SEPARATOR, 0, nullptr);
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
  PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace fendrel
