// The failure barrier of the window procedures: a handling that throws is
// told to the FailureReporter and the message gets the answer it would have
// had without the handling, both in a window of our own class and in front
// of a system control's own procedure.
#include "app/window_proc_win.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

#include "platform/handles_win.h"
#include "screen/messages.h"
#include "tests/core/fakes.h"

namespace fendrel {
namespace {

constexpr UINT kAnswered = WM_APP + 7;  // the object answers it itself, with 7

struct Watcher {
  Watcher() { failures.SetWindow(reports.get()); }
  testing::RecordingMessageBoxes boxes;
  FailureReporter failures{boxes, nullptr};
  // Where the reports are posted: a window made before the watched one.
  UniqueWindow reports{
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)};
  UINT failOn = 0;

  std::optional<LRESULT> Watch(HWND, UINT message, WPARAM, LPARAM) {
    if (message == failOn) throw std::runtime_error("the disk went away");
    if (message == kAnswered) return 7;
    return std::nullopt;
  }
  LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return Watch(hwnd, message, wParam, lParam).value_or(DefWindowProcW(hwnd, message, wParam, lParam));
  }
};

// A window titled "own", of our class or a system one's behind a subclass.
HWND Make(Watcher& watcher, bool subclass, Subclass<Watcher, &Watcher::Watch>& sub) {
  WNDCLASSEXW ours{};
  ours.cbSize = sizeof ours;
  ours.lpfnWndProc = &WindowProcOf<Watcher, &Watcher::Handle, &Watcher::failures>;
  ours.hInstance = GetModuleHandleW(nullptr);
  ours.lpszClassName = L"FendrelBarrierTest";
  RegisterClassExW(&ours);  // fails harmlessly when already registered
  HWND window = CreateWindowExW(0, subclass ? L"STATIC" : ours.lpszClassName, L"own", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, ours.hInstance, subclass ? nullptr : &watcher);
  if (window && subclass) sub.Attach(window, watcher, watcher.failures);
  return window;
}

TEST(WindowProcTest, AFailedHandlingIsToldAndTheMessageGetsItsUsualAnswer) {
  const std::string told = messages::WindowActionFailed(messages::kWindowRequest, "the disk went away");
  const struct {
    bool subclass;
    UINT failOn, sent;
    LRESULT answer;  // WM_GETTEXTLENGTH of "own", from DefWindowProc or the control's own procedure
    bool toldOnce;
  } cases[] = {
      {false, 0, kAnswered, 7, false},
      {false, WM_GETTEXTLENGTH, WM_GETTEXTLENGTH, 3, true},
      {true, 0, kAnswered, 7, false},
      {true, WM_GETTEXTLENGTH, WM_GETTEXTLENGTH, 3, true},
  };
  for (const auto& c : cases) {
    Watcher watcher;
    Subclass<Watcher, &Watcher::Watch> sub;
    HWND window = Make(watcher, c.subclass, sub);
    ASSERT_TRUE(window);
    watcher.failOn = c.failOn;
    EXPECT_EQ(c.answer, SendMessageW(window, c.sent, 0, 0))
        << "subclass " << c.subclass << ", message " << c.sent;
    watcher.failures.ShowReport();
    EXPECT_EQ(c.toldOnce ? 1u : 0u, watcher.boxes.shown.size()) << "subclass " << c.subclass;
    if (!watcher.boxes.shown.empty()) {
      EXPECT_EQ(told, watcher.boxes.shown[0].text);
    }
    DestroyWindow(window);
  }
}

TEST(WindowProcTest, AFailedCreationMakesNoWindowAndIsLeftToItsMakerToTell) {
  Watcher watcher;
  Subclass<Watcher, &Watcher::Watch> sub;
  watcher.failOn = WM_CREATE;
  EXPECT_EQ(nullptr, Make(watcher, false, sub));
  watcher.failures.ShowReport();
  EXPECT_TRUE(watcher.boxes.shown.empty());
}

}  // namespace
}  // namespace fendrel
