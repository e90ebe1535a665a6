// Holding what is not held yet, as soon as it can be: Form1 watches the
// folders where missing listed files would appear, retries files in use on
// a timer that backs off, listens for drives that arrive, and takes the
// holds of opens that ran on the worker. When every file is held, no watch
// and no timer is left.
#include <windows.h>

#include "app/form1_win.h"
#include "ui/messages.h"

namespace fendrel {

Form1::Busy::~Busy() {
  if (--form_.busy_ == 0 && form_.healWaiting_ && form_.hwnd_) PostMessageW(form_.hwnd_, kHealMessage, 0, 0);
}

void Form1::OnWaitHandleSignalled(std::size_t index) {
  watches_.Rearm(index);
  Heal();
}

void Form1::Heal() {
  if (busy_ > 0) {
    healWaiting_ = true;
    return;
  }
  healWaiting_ = false;
  const bool finished = protection_.FinishBackgroundOpens(background_.TakeFinished());
  const bool retried = protection_.RetryNotHeld();
  if (finished || retried) {
    MirrorLists();  // which plans again
  } else {
    PlanHealing();
  }
}

void Form1::OnRetryTimer() {
  KillTimer(hwnd_, kRetryTimer);
  retryTimer_ = false;
  Heal();
  // No change: PlanHealing set the next, longer wait.
}

void Form1::PlanHealing() {
  if (!hwnd_) return;
  const std::vector<NotHeld> notHeld = protection_.NotHeldNow();
  const Wakeups wakeups = WakeupsFor(notHeld, files_.files());
  // A folder that cannot be watched (too many, no access) is retried on the timer.
  const bool unwatched = !watches_.Watch(wakeups.folders).empty();
  const bool timer = wakeups.timer || unwatched;
  if (notHeld.size() > notHeldBefore_) backoff_.Reset();  // something new: try it again soon
  notHeldBefore_ = notHeld.size();
  if (!timer) {
    if (retryTimer_) KillTimer(hwnd_, kRetryTimer);
    retryTimer_ = false;
    backoff_.Reset();
    return;
  }
  if (!retryTimer_) {
    const UINT wait = static_cast<UINT>(backoff_.Next(wakeups.localTimer));
    retryTimer_ = SetTimer(hwnd_, kRetryTimer, wait, nullptr) != 0;
  }
}

void Form1::TellUnreadListFromTray() {
  if (protection_.safeListUnread() != FileError::NotLoaded) return;
  tray_.ShowBalloon(messages::kTitle, messages::SafeListUnread(protection_.SafeListFile(),
                                                               protection_.safeListUnreadBecause()));
}

}  // namespace fendrel
