// Holding what is not held yet, as soon as it can be: the healer watches the
// folders where missing listed files would appear, retries files in use on
// a timer that backs off, and takes the holds of opens that ran on the
// worker; the window tells it of drives that arrive. When every file is
// held, no such watch and no timer is left. The program's folder is always
// watched, so a list file that another copy or program saved is taken in
// at once (a watch costs nothing while nothing changes).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <vector>

#include "platform/background_opens.h"
#include "platform/file_system.h"
#include "platform/folder_watches_win.h"
#include "protection/healing.h"
#include "protection/protection.h"

namespace fendrel {

class Healer {
 public:
  // Posted to the window: a wake-up that waited for a command, and a
  // result of the worker; and the retry timer's identifier.
  static constexpr UINT kHealMessage = WM_APP + 3;
  static constexpr UINT kOpensFinishedMessage = WM_APP + 4;
  static constexpr UINT_PTR kRetryTimer = 1;

  // `showChanges`: shows in the window what a wake-up changed in the lists
  // (which plans the next wake-ups).
  Healer(Protection& protection, BackgroundOpens& background, FileSystem& files,
         std::function<void()> showChanges)
      : protection_(protection),
        background_(background),
        files_(files),
        showChanges_(std::move(showChanges)) {}

  // The window whose timer and messages wake the healer; null while none.
  void SetWindow(HWND window) { window_ = window; }
  // The message loop waits on these handles besides messages: the watches
  // of the folders where a missing listed file would appear.
  const std::vector<HANDLE>& WaitHandles() const { return waitHandles_; }
  // Handle `index` of WaitHandles was signalled: a name changed there.
  void OnWaitHandleSignalled(std::size_t index);

  // After every change: what to wait for now.
  void Plan();
  // A wake-up: every file not held is tried again and what changed is
  // shown. A wake-up during a command waits until the command is over.
  void Heal();
  void OnRetryTimer();

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
  void GatherWaitHandles();

  Protection& protection_;
  BackgroundOpens& background_;
  FileSystem& files_;
  std::function<void()> showChanges_;
  HWND window_ = nullptr;
  FolderWatches watches_;
  // The program's folder, watched for the list files' changes; then the
  // handles of watches_. The message loop waits on these.
  UniqueChangeNotification programFolderWatch_;
  std::vector<HANDLE> waitHandles_;
  RetryBackoff backoff_;
  bool retryTimer_ = false;
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
