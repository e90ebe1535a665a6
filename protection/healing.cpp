#include "protection/healing.h"

#include <algorithm>
#include <iterator>

#include "protection/entry_state.h"

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

}  // namespace

bool Heals(ListOutcome why) {
  static constexpr ListReason kNever[] = {
      ListReason::NotAbsolute,   ListReason::NamesDevice, ListReason::DriveRoot,  ListReason::WindowsFolder,
      ListReason::ProgramFolder, ListReason::OwnListFile, ListReason::FolderLimit};
  return why != FileError::NameTooLong && std::none_of(std::begin(kNever), std::end(kNever),
                                                       [&why](ListReason never) { return why == never; });
}

bool ChangeConcerns(const std::string& changedKey, const std::string& waitingKey) {
  if (changedKey.empty() || waitingKey.size() < changedKey.size()) return false;
  if (waitingKey.compare(0, changedKey.size(), changedKey) != 0) return false;
  return waitingKey.size() == changedKey.size() || waitingKey[changedKey.size()] == '\\' ||
         changedKey.back() == '\\';  // a drive's root, "C:\"
}

bool WakeupPlanner::Exists(const std::string& folder) {
  const auto known = exists_.find(folder);
  if (known != exists_.end()) return known->second;
  const bool exists = files_.FolderExists(folder);
  exists_.emplace(folder, exists);
  return exists;
}

void WakeupPlanner::Add(const NotHeld& entry) {
  if (entry.why == FileError::None || !Heals(entry.why)) return;
  if (files_.MayWaitOnNetwork(entry.path)) {
    // Asking a share whether a folder exists may wait as long as an open.
    wakeups_.timer = true;
    wakeups_.driveArrival = true;
    return;
  }
  if (entry.why != FileError::NotFound && entry.why != FileError::IsFolder) {
    wakeups_.timer = wakeups_.localTimer = true;
    return;
  }
  // Missing, or a folder where a file should be: a change of names in the
  // nearest folder that exists brings it; no folder at all, a drive.
  std::string awaited = entry.path;
  std::string folder = ParentOf(entry.path);
  while (!folder.empty() && !Exists(folder)) {
    awaited = folder;
    folder = ParentOf(folder);
  }
  if (folder.empty()) {
    wakeups_.driveArrival = true;
    if (entry.path.find_first_of("\\/") == std::string::npos) wakeups_.timer = wakeups_.localTimer = true;
    return;
  }
  const auto [at, added] = watched_.emplace(folder, wakeups_.folders.size());
  if (added) {
    wakeups_.folders.push_back(folder);
    wakeups_.awaited.emplace_back();
  }
  const std::size_t name = awaited.find_last_of("\\/");
  wakeups_.awaited[at->second].insert(FileKey(awaited.substr(name == std::string::npos ? 0 : name + 1)));
}

Wakeups WakeupsFor(const std::vector<NotHeld>& notHeld, FileSystem& files) {
  WakeupPlanner planner(files);
  for (const NotHeld& entry : notHeld) planner.Add(entry);
  return planner.Take();
}

int RetryBackoff::Next(bool local) {
  const int longest = local ? kLongestLocalMs : kLongestMs;
  const int wait = std::min(next_, longest);
  next_ = std::min(wait * 2, longest);
  return wait;
}

}  // namespace fendrel
