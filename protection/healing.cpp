#include "protection/healing.h"

#include <algorithm>

namespace fendrel {

namespace {

// The folder that holds `path`: the text before its last separator, with
// a drive's root kept whole ("C:\"). Empty when there is none.
std::string ParentOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator == std::string::npos || separator == 0) return {};
  std::string parent = path.substr(0, separator);
  if (parent.size() == 2 && parent[1] == ':') parent += '\\';
  return parent == path ? std::string() : parent;
}

void AddOnce(std::vector<std::string>& folders, const std::string& folder) {
  if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
}

}  // namespace

bool Heals(ListOutcome why) {
  return why != FileError::NameTooLong && why != ListReason::NotAbsolute && why != ListReason::NamesDevice;
}

Wakeups WakeupsFor(const std::vector<NotHeld>& notHeld, FileSystem& files) {
  Wakeups wakeups;
  for (const NotHeld& entry : notHeld) {
    if (entry.why == FileError::None || !Heals(entry.why)) continue;
    if (files.MayWaitOnNetwork(entry.path)) {
      // Asking a share whether a folder exists may wait as long as an open.
      wakeups.timer = true;
      wakeups.driveArrival = true;
      continue;
    }
    if (entry.why != FileError::NotFound && entry.why != FileError::IsFolder) {
      wakeups.timer = wakeups.localTimer = true;
      continue;
    }
    // Missing, or a folder where a file should be: a change of names in the
    // nearest folder that exists brings it; no folder at all, a drive.
    std::string folder = ParentOf(entry.path);
    while (!folder.empty() && !files.FolderExists(folder)) folder = ParentOf(folder);
    if (folder.empty()) {
      wakeups.driveArrival = true;
      if (entry.path.find_first_of("\\/") == std::string::npos) wakeups.timer = wakeups.localTimer = true;
    } else {
      AddOnce(wakeups.folders, folder);
    }
  }
  return wakeups;
}

int RetryBackoff::Next(bool local) {
  const int longest = local ? kLongestLocalMs : kLongestMs;
  const int wait = std::min(next_, longest);
  next_ = std::min(wait * 2, longest);
  return wait;
}

}  // namespace fendrel
