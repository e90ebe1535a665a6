// Owners for the Win32 handles the program keeps: each closes its handle once.
#pragma once

#include <windows.h>

#include <utility>

namespace fendrel {

template <typename Handle, typename Traits>
class UniqueWin32 {
 public:
  UniqueWin32() = default;
  explicit UniqueWin32(Handle handle) : handle_(Traits::Valid(handle) ? handle : Traits::Invalid()) {}
  UniqueWin32(UniqueWin32&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  UniqueWin32& operator=(UniqueWin32&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, Traits::Invalid()));
    return *this;
  }
  UniqueWin32(const UniqueWin32&) = delete;
  UniqueWin32& operator=(const UniqueWin32&) = delete;
  ~UniqueWin32() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return Traits::Valid(handle_); }
  void reset(Handle handle = Traits::Invalid()) {
    if (Traits::Valid(handle_)) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
using UniqueHandle = UniqueWin32<HANDLE, FileHandleTraits>;

struct ChangeNotificationTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) { FindCloseChangeNotification(h); }
};
using UniqueChangeNotification = UniqueWin32<HANDLE, ChangeNotificationTraits>;

struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) { FindClose(h); }
};
using UniqueFind = UniqueWin32<HANDLE, FindTraits>;

struct KeyTraits {
  static HKEY Invalid() { return nullptr; }
  static bool Valid(HKEY h) { return h != nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};
using UniqueKey = UniqueWin32<HKEY, KeyTraits>;

template <typename T>
struct GdiTraits {
  static T Invalid() { return nullptr; }
  static bool Valid(T h) { return h != nullptr; }
  static void Close(T h) { DeleteObject(h); }
};
using UniqueFont = UniqueWin32<HFONT, GdiTraits<HFONT>>;
using UniqueBrush = UniqueWin32<HBRUSH, GdiTraits<HBRUSH>>;
using UniqueBitmap = UniqueWin32<HBITMAP, GdiTraits<HBITMAP>>;

struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static bool Valid(HICON h) { return h != nullptr; }
  static void Close(HICON h) { DestroyIcon(h); }
};
using UniqueIcon = UniqueWin32<HICON, IconTraits>;

struct MenuTraits {
  static HMENU Invalid() { return nullptr; }
  static bool Valid(HMENU h) { return h != nullptr; }
  static void Close(HMENU h) { DestroyMenu(h); }
};
using UniqueMenu = UniqueWin32<HMENU, MenuTraits>;

// A window the program made and no parent destroys: a top-level window.
struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static bool Valid(HWND h) { return h != nullptr; }
  static void Close(HWND h) { DestroyWindow(h); }
};
using UniqueWindow = UniqueWin32<HWND, WindowTraits>;

}  // namespace fendrel
