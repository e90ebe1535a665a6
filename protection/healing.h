// What Fendrel waits for while a listed file is not held, so that it holds
// the file as soon as it can, without polling: a missing file or folder
// appears as a name made in the nearest folder that exists; a drive that
// arrives is a device arrival; a file another program lets go sends no
// signal, so that is retried on a timer, from one second doubling to four
// for a file on this machine (held within five seconds of being let go) and
// to thirty for one on a network.
// When every entry is held there is nothing to wait for.
#pragma once

#include <string>
#include <vector>

#include "lists/list_outcome.h"
#include "platform/file_system.h"

namespace fendrel {

// A file (or list file) that is not held or read now, and why.
struct NotHeld {
  std::string path;
  ListOutcome why;
};

struct Wakeups {
  // Watched for names that come and go: the nearest existing folder of each
  // missing path, each folder once.
  std::vector<std::string> folders;
  // Some path's drive is not there, or lies on a network.
  bool driveArrival = false;
  // Some open was refused (in use, no access) or lies on a network; and
  // whether any of those lies on this machine.
  bool timer = false;
  bool localTimer = false;
  bool any() const { return !folders.empty() || driveArrival || timer; }
};

// Whether a file not held for this reason may be held later by trying
// again: never one whose path is too long for the system (32767
// characters, 255 in a name), is not absolute or names a device
// (lists/entry_path.h).
bool Heals(ListOutcome why);

// Which wake-ups can bring these paths back. A path that never heals waits
// for nothing. Asks the file system which folders
// exist, except for paths on a network, which it never touches.
Wakeups WakeupsFor(const std::vector<NotHeld>& notHeld, FileSystem& files);

// The waits between retries on the timer.
class RetryBackoff {
 public:
  static constexpr int kFirstMs = 1000;
  static constexpr int kLongestLocalMs = 4000;
  static constexpr int kLongestMs = 30000;
  // The wait before the next retry; each is twice the one before, up to
  // kLongestLocalMs while a file on this machine waits, else kLongestMs.
  int Next(bool local);
  // Something new to wait for: the next wait is kFirstMs again.
  void Reset() { next_ = kFirstMs; }

 private:
  int next_ = kFirstMs;
};

}  // namespace fendrel
