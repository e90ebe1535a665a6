#include "app/healer_win.h"

#include "platform/start_steps.h"
#include "protection/entry_state.h"

namespace fendrel {

namespace {

// A slice of planning lasts about this long before the window's messages
// get their turn; the paths and the watches between two looks at the clock.
constexpr ULONGLONG kSliceMs = 15;
constexpr std::size_t kPathsPerLook = 16;
constexpr std::size_t kWatchesPerLook = 16;
constexpr std::size_t kNamesPerLook = 64;

}  // namespace

Healer::Busy::~Busy() {
  if (--healer_.busy_ == 0 && healer_.healWaiting_ && healer_.window_) {
    PostMessageW(healer_.window_, kHealMessage, 0, 0);
  }
}

void Healer::OnFolderChanges() {
  bool ended = false;
  bool listFiles = false;
  const std::string safeList = FileKey("prot.dat"), emergencyList = FileKey("emer.dat");
  for (const FolderWatches::Changes& changes : programFolderWatch_.TakeChanges(ended)) {
    listFiles = listFiles || changes.lost;
    for (const std::string& name : changes.names) {
      const std::string key = FileKey(name);
      listFiles = listFiles || key == safeList || key == emergencyList;
    }
  }
  std::vector<std::string> changed;
  // Under a held folder every name counts: its tree holds what came.
  for (const FolderWatches::Changes& changes : treeWatches_.TakeChanges(ended)) {
    if (changes.lost) changed.push_back(changes.folder);
    for (const std::string& name : changes.names) changed.push_back(changes.folder + "\\" + name);
  }
  for (const FolderWatches::Changes& changes : watches_.TakeChanges(ended)) {
    if (changes.lost) {
      changed.push_back(changes.folder);  // every entry waiting there
      continue;
    }
    const auto awaited = awaited_.find(changes.folder);
    if (awaited == awaited_.end()) continue;
    const bool root = !changes.folder.empty() && changes.folder.back() == '\\';
    for (const std::string& name : changes.names) {
      if (awaited->second.count(FileKey(name)) > 0)
        changed.push_back(changes.folder + (root ? "" : "\\") + name);
    }
  }
  if (programFolderWatch_.anyWaiting() || watches_.anyWaiting() || treeWatches_.anyWaiting()) {
    if (!watchPause_ && window_)
      watchPause_ = SetTimer(window_, kWatchPauseTimer, kWatchPauseMs, nullptr) != 0;
    if (!watchPause_) OnWatchPauseTimer();  // no timer: the watches ask again at once
  }
  // A name nothing waits for costs nothing more.
  if (!listFiles && changed.empty() && !ended) return;
  if (busy_ > 0) {
    healWaiting_ = true;
    return;
  }
  // What changed, the core tells the window, which plans again.
  const bool synced = listFiles && protection_.SyncListFiles();
  const bool retried = !changed.empty() && protection_.RetryNotHeld(changed);
  // A folder that came or went: the nearest folder of some path is another now.
  if (!synced && !retried && (!changed.empty() || ended)) Plan();
}

void Healer::OnWatchPauseTimer() {
  if (watchPause_) KillTimer(window_, kWatchPauseTimer);
  watchPause_ = false;
  programFolderWatch_.AskAgain();
  watches_.AskAgain();
  treeWatches_.AskAgain();
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
  if (walkEnded_ && !protection_.FolderWalksPending()) {
    ShowWalkEnd();
  } else if (!finished && !synced && !retried) {
    Plan();  // else the core's notice of the change planned again
  }
}

void Healer::OnOpensFinished() {
  if (busy_ > 0) {
    healWaiting_ = true;
    return;
  }
  protection_.FinishBackgroundOpens(background_.TakeFinished());  // the core tells what changed
}

void Healer::ContinueWalk() {
  walkPosted_ = false;
  // A walk holds files and touches no list and no list file, so it goes on
  // while a command shows a box: what it holds does not wait for a click.
  const ULONGLONG start = GetTickCount64();
  bool pending = true;
  while (pending && GetTickCount64() - start < kSliceMs)
    pending = protection_.ContinueFolderWalks(kNamesPerLook);
  if (pending) {
    walkPosted_ = PostMessageW(window_, kWalkMessage, 0, 0) != 0;
    return;
  }
  walkEnded_ = true;
  if (busy_ > 0) {
    healWaiting_ = true;  // the heal after the command shows what the walk held
    return;
  }
  ShowWalkEnd();
}

void Healer::ShowWalkEnd() {
  // The core told of what the walks held as they ended.
  walkEnded_ = false;
  const Busy busy(*this);  // the emergency's message may show now: wake-ups wait for it
  walksDone_();
}

void Healer::OnRetryTimer() {
  KillTimer(window_, kRetryTimer);
  retryTimer_ = false;
  Heal();
  // No change: Plan set the next, longer wait.
}

void Healer::Plan() {
  if (!window_) return;
  const StartStep step("planning the Healer");
  // A save by rename is a name change; Notepad writes in place. A watch
  // whose folder went is begun again here.
  programFolderWatch_.Want({protection_.programFolder()});
  programFolderWatch_.OpenSome(1);
  const std::vector<std::string> held = protection_.HeldFolders();
  treeWatches_.Want(held);
  treeWatches_.OpenSome(held.size());
  if (protection_.FolderWalksPending() && !walkPosted_)
    walkPosted_ = PostMessageW(window_, kWalkMessage, 0, 0) != 0;
  planning_ = protection_.NotHeldNow();
  if (planning_.size() > notHeldBefore_) backoff_.Reset();  // something new: try it again soon
  notHeldBefore_ = planning_.size();
  planned_ = 0;
  planner_.emplace(files_);
  openingWatches_ = false;
  PlanSlice();
}

void Healer::PlanSlice() {
  if (!planner_ || !window_) return;
  const ULONGLONG start = GetTickCount64();
  const auto later = [&] {
    if (GetTickCount64() - start < kSliceMs) return false;
    if (!planPosted_) planPosted_ = PostMessageW(window_, kPlanMessage, 0, 0) != 0;
    return planPosted_;
  };
  while (!openingWatches_) {
    if (planned_ == planning_.size()) {
      plannedWakeups_ = planner_->Take();
      watches_.Want(plannedWakeups_.folders);
      awaited_.clear();
      for (std::size_t i = 0; i < plannedWakeups_.folders.size(); ++i) {
        awaited_.emplace(plannedWakeups_.folders[i], std::move(plannedWakeups_.awaited[i]));
      }
      openingWatches_ = true;
      break;
    }
    planner_->Add(planning_[planned_++]);
    if (planned_ % kPathsPerLook == 0 && later()) return;
  }
  while (!watches_.OpenSome(kWatchesPerLook)) {
    if (later()) return;
  }
  planner_.reset();
  planning_.clear();
  // A folder that cannot be watched (gone meanwhile, no access) is retried
  // on the timer, as soon as a file on this machine in use is.
  const bool unwatched = watches_.unwatched() > 0;
  SetTimerFor(plannedWakeups_.timer || unwatched, plannedWakeups_.localTimer || unwatched);
}

void Healer::SetTimerFor(bool timer, bool local) {
  if (!timer) {
    if (retryTimer_) KillTimer(window_, kRetryTimer);
    retryTimer_ = false;
    backoff_.Reset();
    return;
  }
  if (!retryTimer_) {
    const UINT wait = static_cast<UINT>(backoff_.Next(local));
    retryTimer_ = SetTimer(window_, kRetryTimer, wait, nullptr) != 0;
  }
}

}  // namespace fendrel
