// Which listed files are protected right now, entry by entry, and why an
// entry's file is not: the rule the list pages draw and the Welcome page's
// summary counts.
//
// A file is protected while any hold of it is open, whichever entry or
// list took the hold: a file listed twice is held while either entry holds
// it, and an emergency-list file that is also on the safe list is held
// before any emergency. Paths name the same file when they differ only in
// letter case, as Windows folds it in file names (each UTF-16 code unit to
// its simple uppercase form, so "Отчёт" and "ОТЧЁТ" are one file and "ß"
// and "SS" are two), or in "/" against "\"; other spellings of one file (a
// short 8.3 name, another drive letter for the same folder) count as other
// files, so such an entry may be shown as not held although its file is:
// never the other way round.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lists/folder_counts.h"
#include "lists/list_outcome.h"
#include "platform/file_system.h"

namespace fendrel {

struct EntryState {
  bool held = false;
  // Not held, on the emergency list: no emergency has tried to hold it
  // since the last "No Emergency" (or since it was listed).
  bool awaitsEmergency = false;
  // Not held otherwise: why the entry's last hold failed.
  ListOutcome failure;
  // A folder entry held: what it holds under the folder. Such an entry is
  // protected when everything under it is held.
  std::optional<FolderCounts> folder;
  friend bool operator==(const EntryState&, const EntryState&) = default;
};

struct ListStates {
  std::vector<EntryState> safe;       // one per safe-list entry
  std::vector<EntryState> emergency;  // one per emergency-list entry
  // Files on the safe list, each counted once however often it is listed,
  // those under folder entries one by one, and how many of them are held
  // now.
  int safeFiles = 0;
  int safeFilesHeld = 0;
  friend bool operator==(const ListStates&, const ListStates&) = default;
};

class Protection;

// Worked out from the records; Protection::states() keeps them until the
// next change.
ListStates EntryStates(const Protection& protection);

// The path as a file identity: "C:/A.txt" and "c:\a.TXT" give the same key.
// It is called for every entry at every redraw, so ASCII takes no table.
std::string FileKey(const std::string& path);

}  // namespace fendrel
