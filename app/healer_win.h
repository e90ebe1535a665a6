// Holding what is not held yet, as soon as it can be: the healer watches the
// folders where missing listed files would appear, retries files in use on
// a timer that backs off, and takes the holds of opens that ran on the
// worker; the window tells it of drives that arrive. When every file is
// held, no such watch and no timer is left. The program's folder is always
// watched, so a list file that another copy or program saved is taken in
// at once (a watch costs nothing while nothing changes).
//
// A folder entry's tree is walked in slices between the window's messages
// too, and each held folder is watched with its subtree, so a name made
// under it is held as soon as its writer lets go.
//
// A change in a watched folder costs what it names: only the entries
// waiting on a name that changed are tried, and a name nothing waits for
// costs a look-up. A long list's wake-ups are planned, and its watches
// begun, in slices between the window's messages, so the window answers
// meanwhile.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/background_opens.h"
#include "platform/file_system.h"
#include "platform/folder_watches_win.h"
#include "protection/healing.h"
#include "protection/protection.h"

namespace fendrel {

class Healer {
 public:
  // Posted to the window: a wake-up that waited for a command, a result of
  // the worker, the next slice of a plan; and the retry timer's identifier.
  static constexpr UINT kHealMessage = WM_APP + 3;
  static constexpr UINT kOpensFinishedMessage = WM_APP + 4;
  static constexpr UINT kPlanMessage = WM_APP + 5;
  // The next slice of holding what lies under folder entries.
  static constexpr UINT kWalkMessage = WM_APP + 6;
  static constexpr UINT_PTR kRetryTimer = 1;
  // A busy folder's watch waits this long before it reports again, so it
  // wakes the window at most a few times a second.
  static constexpr UINT_PTR kWatchPauseTimer = 2;
  static constexpr UINT kWatchPauseMs = FolderWatches::kQuietMs;

  // What a wake-up changes, the core tells the window, which shows it and
  // plans again (Plan). `walksDone`: the folder entries' trees are walked
  // to their ends (the emergency's message waits for it).
  Healer(Protection& protection, BackgroundOpens& background, FileSystem& files,
         std::function<void()> walksDone)
      : protection_(protection),
        background_(background),
        files_(files),
        walksDone_(std::move(walksDone)),
        programFolderWatch_(FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                            FILE_NOTIFY_CHANGE_SIZE),
        // A name made under a held folder, and a file's writer letting go
        // (its last write), in the whole tree.
        treeWatches_(
            FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE,
            true) {}

  // The window whose timer and messages wake the healer; null while none.
  void SetWindow(HWND window) { window_ = window; }
  // The message loop's alertable wait ran the folder watches' completions:
  // the entries waiting on the names they saw are tried.
  void OnFolderChanges();
  void OnWatchPauseTimer();

  // After every change: what to wait for now. A long list is planned in
  // slices, each continued by kPlanMessage.
  void Plan();
  void ContinuePlan() {
    planPosted_ = false;
    PlanSlice();
  }
  // Holds what lies under folder entries for as long as a slice lasts;
  // posts kWalkMessage for the rest.
  void ContinueWalk();
  // A wake-up: every file not held is tried again and what changed is
  // shown. A wake-up during a command waits until the command is over.
  void Heal();
  void OnRetryTimer();
  // Opens that ran on the worker finished: their holds are taken.
  void OnOpensFinished();

  // A command under way: wake-ups wait until it is over, since it may be
  // showing a box in the middle of changing a list.
  class Busy {
   public:
    explicit Busy(Healer& healer) : healer_(healer) { ++healer_.busy_; }
    ~Busy();
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

   private:
    Healer& healer_;
  };

 private:
  // Plans for as long as a slice lasts; posts kPlanMessage for the rest.
  void PlanSlice();
  // The walks are over: what they held is shown, and the emergency's
  // message that waited for them.
  void ShowWalkEnd();
  // The plan is made: the timer as it needs.
  void SetTimerFor(bool timer, bool local);

  Protection& protection_;
  BackgroundOpens& background_;
  FileSystem& files_;
  std::function<void()> walksDone_;
  HWND window_ = nullptr;
  bool walkPosted_ = false;
  bool walkEnded_ = false;  // a walk ended during a command: shown by the heal after it
  // The program's folder, watched for the list files' changes.
  FolderWatches programFolderWatch_;
  FolderWatches watches_;
  // The held folders, each with its subtree.
  FolderWatches treeWatches_;
  // The names each watched folder waits for (Wakeups::awaited), by folder.
  std::unordered_map<std::string, std::unordered_set<std::string>> awaited_;
  // The plan under way: the paths it plans for and how far it got.
  std::vector<NotHeld> planning_;
  std::size_t planned_ = 0;
  std::optional<WakeupPlanner> planner_;
  bool openingWatches_ = false;
  bool planPosted_ = false;
  Wakeups plannedWakeups_;
  RetryBackoff backoff_;
  bool retryTimer_ = false;
  bool watchPause_ = false;
  std::size_t notHeldBefore_ = 0;
  int busy_ = 0;              // commands under way (each may be showing a box)
  bool healWaiting_ = false;  // a wake-up came while busy
};

// Tells the window that opens on the worker finished: called on the
// worker, it only posts a message to the window the window names.
class OpensFinishedNotice {
 public:
  void SetWindow(HWND window) { window_ = window; }
  void operator()() const {
    if (HWND window = window_.load()) PostMessageW(window, Healer::kOpensFinishedMessage, 0, 0);
  }

 private:
  std::atomic<HWND> window_{nullptr};
};

}  // namespace fendrel
