// What the window does when a handling throws: the exception stops at the
// window procedure, and the person is told in a message box shown from the
// message loop once the failing handling (a click, a paint) is over.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <optional>
#include <string>

#include "platform/message_boxes.h"

namespace fendrel {

class FailureReporter {
 public:
  // Posted to the window to show a report.
  static constexpr UINT kShowMessage = WM_APP + 2;
  // The caption of the control with this identifier as the person sees it;
  // nothing when there is no such control.
  using CaptionOf = std::function<std::optional<std::string>(int id)>;

  FailureReporter(MessageBoxes& boxes, CaptionOf captionOf)
      : boxes_(boxes), captionOf_(std::move(captionOf)) {}

  // The window the reports are posted to; null while there is none.
  void SetWindow(HWND window) { window_ = window; }
  // Handling `message` threw `failure`: the report waits for the message
  // loop. One report at a time; a paint that failed fails again at every
  // repaint, and the box itself causes one: that is told once.
  void Report(UINT message, WPARAM wParam, const std::exception_ptr& failure) noexcept;
  // kShowMessage came: shows the waiting report.
  void ShowReport();

 private:
  // What the window was doing when handling `message` failed, in words.
  std::string ActionOf(UINT message, WPARAM wParam) const;

  MessageBoxes& boxes_;
  CaptionOf captionOf_;
  HWND window_ = nullptr;
  std::string report_;  // waiting to be shown or shown now; empty when none
  bool drawingReported_ = false;
};

}  // namespace fendrel
