#include "app/failure_reporter_win.h"

#include <new>

#include "app/tray_win.h"
#include "screen/messages.h"

namespace fendrel {

namespace {

// The messages of painting: a failure there comes again at every repaint.
bool IsDrawingMessage(UINT message) {
  switch (message) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
    case WM_ERASEBKGND:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: return true;
    default: return false;
  }
}

// Why something failed, in words, from what it threw.
std::string ReasonOf(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    return messages::kOutOfMemory;
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return messages::kUnexpectedError;
  }
}

}  // namespace

void FailureReporter::Report(UINT message, WPARAM wParam, const std::exception_ptr& failure) noexcept {
  try {
    const bool drawing = IsDrawingMessage(message);
    if (!window_ || !report_.empty() || (drawing && drawingReported_)) return;
    report_ = messages::WindowActionFailed(ActionOf(message, wParam), ReasonOf(failure));
    drawingReported_ = drawingReported_ || drawing;
    // Not shown here: a modal box inside a paint or a half-done click would
    // run the message loop in the middle of it.
    if (!PostMessageW(window_, kShowMessage, 0, 0)) report_.clear();
  } catch (...) {
    // Without even the memory for the report the failure goes untold; the
    // window goes on as it was.
  }
}

void FailureReporter::ShowReport() {
  if (report_.empty()) return;
  try {
    // The report stays set while the box is open: no second box meanwhile.
    boxes_.Show(report_, messages::kTitle);
  } catch (...) {
    // A report that cannot be shown is dropped: telling that would fail the same way.
  }
  report_.clear();
}

std::string FailureReporter::ActionOf(UINT message, WPARAM wParam) const {
  if (IsDrawingMessage(message)) return messages::kDrawingTheWindow;
  if (message == kTrayMessage) return messages::kTheTrayIcon;
  if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    if (const char* item = TrayMenuCaption(static_cast<UINT>(id))) return messages::TheClickOn(item);
    if (const std::optional<std::string> caption = captionOf_ ? captionOf_(id) : std::nullopt) {
      return messages::TheClickOn(*caption);
    }
  }
  return messages::kWindowRequest;
}

}  // namespace fendrel
