// The window's controls seen through small wrappers over windows they do
// not own: the code reads `edit.Text()`, not GetWindowTextW(h, ...). A
// wrapper over no window answers as empty and changes nothing. The list
// box's is ListBoxControl (app/list_box_control_win.h).
#pragma once

#include <windows.h>

#include <string>

namespace fendrel {

// What every control has: its text, and whether it takes input.
class ControlWindow {
 public:
  explicit ControlWindow(HWND hwnd) : hwnd_(hwnd) {}
  HWND hwnd() const { return hwnd_; }
  explicit operator bool() const { return hwnd_ != nullptr; }

  // The text exactly, as UTF-16: a name that is no text (half of a UTF-16
  // pair) comes back as it is, for the caller to refuse.
  std::wstring Text() const;
  // Sets the text and paints the control again (a label over a picture has
  // no background of its own to clear the old text with).
  void SetText(const std::string& text) const;
  void Enable(bool enabled) const;

 private:
  HWND hwnd_;
};

class Label : public ControlWindow {
 public:
  using ControlWindow::ControlWindow;
};

class Button : public ControlWindow {
 public:
  using ControlWindow::ControlWindow;
};

class Edit : public ControlWindow {
 public:
  using ControlWindow::ControlWindow;
};

class CheckBox : public ControlWindow {
 public:
  using ControlWindow::ControlWindow;

  bool IsChecked() const;
  // Checks or clears the box; a change runs the box's click handling, as
  // the person's click does (its parent is told BN_CLICKED).
  void SetChecked(bool checked) const;
  // Checks or clears the box only: for showing what its handling decided.
  void ShowChecked(bool checked) const;
};

}  // namespace fendrel
