#include "app/healer_win.h"

#include "platform/wide_text_win.h"

namespace fendrel {

Healer::Busy::~Busy() {
  if (--healer_.busy_ == 0 && healer_.healWaiting_ && healer_.window_) {
    PostMessageW(healer_.window_, kHealMessage, 0, 0);
  }
}

void Healer::OnWaitHandleSignalled(std::size_t index) {
  if (programFolderWatch_ && index == 0) {
    // A watch that cannot go on (the folder went) is made again by Plan.
    if (!FindNextChangeNotification(programFolderWatch_.get())) programFolderWatch_.reset();
  } else {
    watches_.Rearm(programFolderWatch_ ? index - 1 : index);
  }
  GatherWaitHandles();
  Heal();
}

void Healer::GatherWaitHandles() {
  waitHandles_.clear();
  if (programFolderWatch_) waitHandles_.push_back(programFolderWatch_.get());
  waitHandles_.insert(waitHandles_.end(), watches_.handles().begin(), watches_.handles().end());
}

void Healer::Heal() {
  if (busy_ > 0) {
    healWaiting_ = true;
    return;
  }
  healWaiting_ = false;
  const bool finished = protection_.FinishBackgroundOpens(background_.TakeFinished());
  const bool synced = protection_.SyncListFiles();
  const bool retried = protection_.RetryNotHeld();
  if (finished || synced || retried) {
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
  if (!programFolderWatch_) {
    // A save by rename is a name change; Notepad writes in place.
    if (const std::optional<std::wstring> folder = ToWidePath(protection_.programFolder())) {
      programFolderWatch_ = UniqueChangeNotification(FindFirstChangeNotificationW(
          folder->c_str(), FALSE,
          FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE));
    }
  }
  GatherWaitHandles();
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
