#include "app/healer_win.h"

namespace fendrel {

Healer::Busy::~Busy() {
  if (--healer_.busy_ == 0 && healer_.healWaiting_ && healer_.window_) {
    PostMessageW(healer_.window_, kHealMessage, 0, 0);
  }
}

void Healer::OnWaitHandleSignalled(std::size_t index) {
  watches_.Rearm(index);
  Heal();
}

void Healer::Heal() {
  if (busy_ > 0) {
    healWaiting_ = true;
    return;
  }
  healWaiting_ = false;
  const bool finished = protection_.FinishBackgroundOpens(background_.TakeFinished());
  const bool retried = protection_.RetryNotHeld();
  if (finished || retried) {
    showChanges_();  // which plans again
  } else {
    Plan();
  }
}

void Healer::OnRetryTimer() {
  KillTimer(window_, kRetryTimer);
  retryTimer_ = false;
  Heal();
  // No change: Plan set the next, longer wait.
}

void Healer::Plan() {
  if (!window_) return;
  const std::vector<NotHeld> notHeld = protection_.NotHeldNow();
  const Wakeups wakeups = WakeupsFor(notHeld, files_);
  // A folder that cannot be watched (too many, no access) is retried on the timer.
  const bool unwatched = !watches_.Watch(wakeups.folders).empty();
  const bool timer = wakeups.timer || unwatched;
  if (notHeld.size() > notHeldBefore_) backoff_.Reset();  // something new: try it again soon
  notHeldBefore_ = notHeld.size();
  if (!timer) {
    if (retryTimer_) KillTimer(window_, kRetryTimer);
    retryTimer_ = false;
    backoff_.Reset();
    return;
  }
  if (!retryTimer_) {
    const UINT wait = static_cast<UINT>(backoff_.Next(wakeups.localTimer));
    retryTimer_ = SetTimer(window_, kRetryTimer, wait, nullptr) != 0;
  }
}

}  // namespace fendrel
