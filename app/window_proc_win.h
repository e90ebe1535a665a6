// The one way a window's messages reach the C++ object behind it, and the
// one failure barrier: nothing a handling throws unwinds into user32; the
// failure goes to the FailureReporter, and the message gets the answer it
// would have had without the handling.
//
// WindowProcOf: the procedure of a window class of our own. The window is
// attached to its object once, at WM_NCCREATE, through the creation's
// lpCreateParams, and forgets it after WM_NCDESTROY.
// Subclass: a handling put in front of the own procedure of a window made by
// a system class (a list box); the own procedure is put back at
// WM_NCDESTROY.
#pragma once

#include <windows.h>

#include <exception>
#include <optional>

#include "app/failure_reporter_win.h"

namespace fendrel {

// Runs `handle`; should it throw, `failures` is told and `failed` answers.
// A failed WM_CREATE is not told: the window is not made, and its maker
// says so.
template <typename Handle, typename Failed>
auto Guarded(FailureReporter& failures, UINT message, WPARAM wParam, Handle&& handle, Failed&& failed) {
  try {
    return handle();
  } catch (...) {
    if (message != WM_CREATE) failures.Report(message, wParam, std::current_exception());
    return failed();
  }
}

// `Handle` answers every message of the window; a failed handling answers
// as DefWindowProc does, a failed WM_CREATE with -1, so no half-made window
// is left.
template <typename T, LRESULT (T::*Handle)(HWND, UINT, WPARAM, LPARAM), FailureReporter T::*Failures>
LRESULT CALLBACK WindowProcOf(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    void* object = reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
  }
  T* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  // The window's last message: none reaches the object after it.
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return Guarded(
      self->*Failures, message, wParam, [&] { return (self->*Handle)(hwnd, message, wParam, lParam); },
      [&] { return message == WM_CREATE ? LRESULT{-1} : DefWindowProcW(hwnd, message, wParam, lParam); });
}

// `Handle` sees each message of the window first: an answer it gives is the
// message's; for nothing, or when it fails, the window's own procedure
// answers. The window's user data holds the subclass, so every message
// finds it at no cost (a window property would be a question to Wine's
// server each time).
template <typename T, std::optional<LRESULT> (T::*Handle)(HWND, UINT, WPARAM, LPARAM)>
class Subclass {
 public:
  Subclass() = default;
  Subclass(const Subclass&) = delete;
  Subclass& operator=(const Subclass&) = delete;

  // From now on `owner` sees `window`'s messages, until it is destroyed.
  void Attach(HWND window, T& owner, FailureReporter& failures) {
    owner_ = &owner;
    failures_ = &failures;
    own_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* self = reinterpret_cast<const Subclass*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const WNDPROC own = self ? self->own_ : nullptr;
    if (!own) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return CallWindowProcW(own, window, message, wParam, lParam);
    }
    const std::optional<LRESULT> answer = Guarded(
        *self->failures_, message, wParam,
        [&] { return (self->owner_->*Handle)(window, message, wParam, lParam); },
        [] { return std::optional<LRESULT>(); });
    return answer ? *answer : CallWindowProcW(own, window, message, wParam, lParam);
  }

  T* owner_ = nullptr;
  FailureReporter* failures_ = nullptr;
  WNDPROC own_ = nullptr;  // the window's own procedure, beneath this one
};

}  // namespace fendrel
