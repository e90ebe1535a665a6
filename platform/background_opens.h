// Opens that may wait a long time, such as of a file on a network share
// whose server does not answer, run on a worker thread of their own, never
// on the window's. The worker is the one thread Fendrel adds; it starts with
// the first such open, sleeps while there is none, and is joined when this
// goes (after the open it is in, if any: Windows gives no way to cut a
// CreateFile short from outside, and the process ends by ExitProcess anyway). The caller hands an open over
// with a ticket; the worker tells `finished` (on its own thread) when a result is ready, and the caller takes
// the results on its own thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_system.h"

namespace fendrel {

struct FinishedOpen {
  std::uint64_t ticket = 0;
  FileError error = FileError::None;
  std::unique_ptr<OpenFile> file;  // the open file when error is None
};

class BackgroundOpens {
 public:
  // `files` must allow opens from another thread. `finished` is called on
  // the worker after each result, to wake the caller (the window posts
  // itself a message).
  BackgroundOpens(FileSystem& files, std::function<void()> finished);
  // Waits for the open in progress, if any; those not begun are dropped.
  ~BackgroundOpens();
  BackgroundOpens(const BackgroundOpens&) = delete;
  BackgroundOpens& operator=(const BackgroundOpens&) = delete;

  // Opens `path` for input (a hold) on the worker.
  void Start(std::uint64_t ticket, const std::string& path);
  // The results ready now, in the order they finished.
  std::vector<FinishedOpen> TakeFinished();

 private:
  void Work();

  FileSystem& files_;
  std::function<void()> finished_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::pair<std::uint64_t, std::string>> waiting_;
  std::vector<FinishedOpen> done_;
  bool stopping_ = false;
  std::thread worker_;  // started by the first Start
};

}  // namespace fendrel
