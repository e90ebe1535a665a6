// What Fendrel waits for while a listed file is not held, so that it holds
// the file as soon as it can, without polling: a missing file or folder
// appears as a name made in the nearest folder that exists; a drive that
// arrives is a device arrival; a file another program lets go sends no
// signal, so that is retried on a timer, from one second doubling to four
// for a file on this machine (held within five seconds of being let go) and
// to thirty for one on a network.
// When every entry is held there is nothing to wait for.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>
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
  // For each of `folders`, the names in it that something waits for, as
  // FileKey folds them: a missing file's own name, or the first folder of
  // its path that does not exist yet. A change of any other name there
  // concerns no entry.
  std::vector<std::unordered_set<std::string>> awaited;
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
// (lists/entry_path.h), is never held (a drive's root, the Windows folder,
// Fendrel's own folder or list files), nor one past the files held under
// folders (room freed by a release brings that).
bool Heals(ListOutcome why);

// Which wake-ups can bring these paths back. A path that never heals
// waits for nothing. Asks the file system which folders
// exist, each folder once, except for paths on a network, which it never
// touches.
Wakeups WakeupsFor(const std::vector<NotHeld>& notHeld, FileSystem& files);

// WakeupsFor one path at a time, so a long list can be planned in slices
// between the window's messages. Each path costs the same however many came
// before it.
class WakeupPlanner {
 public:
  explicit WakeupPlanner(FileSystem& files) : files_(files) {}
  void Add(const NotHeld& entry);
  Wakeups Take() { return std::move(wakeups_); }

 private:
  bool Exists(const std::string& folder);

  FileSystem& files_;
  Wakeups wakeups_;
  std::unordered_map<std::string, bool> exists_;          // folders asked about, by their text
  std::unordered_map<std::string, std::size_t> watched_;  // index in wakeups_.folders, by folder text
};

// Whether a change of the name `changed` (a file or folder made, removed or
// renamed there; a folder whose changes were lost stands for every name in
// it) can bring `waiting`: the same path, or a folder on its way. Both as
// FileKey folds them.
bool ChangeConcerns(const std::string& changedKey, const std::string& waitingKey);

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
