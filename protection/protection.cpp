#include "protection/protection.h"

#include <algorithm>

#include "lists/list_text.h"
#include "platform/atomic_save.h"

namespace fendrel {

namespace {

// Short-lived work on the list files uses file number 1.
constexpr int kListFileNumber = 1;

// A hold that failed for this reason never succeeds by trying again.
bool Heals(ListOutcome why) {
  return why != FileError::NameTooLong;
}

}  // namespace

Protection::Protection(FileLayer& files, std::string programFolder, BackgroundOpens* background)
    : files_(files), programFolder_(std::move(programFolder)), background_(background) {
  safe_.file = SafeListFile();
  emergency_.file = EmergencyListFile();
}

int Protection::Hold(const std::string& path, ListOutcome& error) {
  const int number = files_.LowestFree(kFirstHoldNumber);
  if (number == 0) {
    error = ListReason::NoFreeHoldNumber;
    return kNoHold;
  }
  error = files_.Open(number, path, OpenMode::Input);
  return error == FileError::None ? number : kNoHold;
}

ListOutcome Protection::TryHold(Entry& entry) {
  if (background_ && files_.files().MayWaitOnNetwork(entry.path)) {
    entry.ticket = ++lastTicket_;
    entry.outcome = ListReason::Waiting;
    background_->Start(entry.ticket, entry.path);
    return ListReason::Waiting;
  }
  ListOutcome error = FileError::None;
  entry.hold = Hold(entry.path, error);
  entry.outcome = error;
  return error;
}

void Protection::Release(int number) {
  if (number != kNoHold) files_.Close(number);
}

// --- The list files.

ListOutcome Protection::ReadListFile(const std::string& file, std::string& bytes) {
  bytes.clear();
  const ListOutcome opened = files_.Open(kListFileNumber, file, OpenMode::Input);
  if (opened != FileError::None) return opened;
  const ListOutcome read = files_.ReadRest(kListFileNumber, bytes);
  files_.Close(kListFileNumber);
  return read;
}

bool Protection::LoadList(List& list) {
  // Nothing is reported here: a missing file is an empty list, and what was
  // not read whole is said where it shows (the Welcome page, a save).
  std::string bytes;
  const ListOutcome read = ReadListFile(list.file, bytes);
  if (read == FileError::NotFound) {
    list.unread = list.unreadBecause = FileError::None;
    return true;
  }
  if (read != FileError::None && bytes.empty()) {
    list.unread = ListReason::NotLoaded;
    list.unreadBecause = read;
    return false;
  }
  // A failed read is no end of the file: the lines read whole before it
  // are listed, and the file is not written over.
  ListText text = DecodeList(bytes, files_.files().AnsiCodePage(), kMaxEntries, read != FileError::None);
  std::vector<Entry> loaded;
  for (std::string& path : text.entries) {
    Entry entry(std::move(path));
    // A path that cannot be held is listed all the same.
    if (WantsHolds(list)) TryHold(entry);
    loaded.push_back(std::move(entry));
  }
  // Entries listed meanwhile (a list read late) come after the file's.
  for (Entry& entry : list.entries) loaded.push_back(std::move(entry));
  list.entries = std::move(loaded);
  list.unread = text.unread != FileError::None ? text.unread
                : read != FileError::None      ? ListOutcome(ListReason::NotLoaded)
                                               : ListOutcome();
  list.unreadBecause = read;
  if (list.unread == FileError::None) list.seen = std::move(bytes);
  return true;
}

void Protection::LoadLists() {
  LoadList(safe_);
  LoadList(emergency_);
  Publish();
}

bool Protection::TakeIn(List& list, ListBox& view) {
  if (list.unread != FileError::None) return false;
  std::string bytes;
  const ListOutcome read = ReadListFile(list.file, bytes);
  // A file gone, or one that cannot be read now, is left to the save: no
  // copy of Fendrel deletes a list file (an empty list is a file of no bytes).
  if (read != FileError::None || bytes == list.seen) return false;
  ListText text = DecodeList(bytes, files_.files().AnsiCodePage(), kMaxEntries);
  if (text.unread != FileError::None) return false;

  const std::string selected = view.HasSelection() ? view.items[static_cast<std::size_t>(view.selected)] : "";
  // Each path of the file takes a record of this copy with that path, in
  // order; the records left over are entries the other copy removed.
  std::vector<Entry> old = std::move(list.entries);
  std::vector<bool> used(old.size(), false);
  list.entries.clear();
  for (std::string& path : text.entries) {
    std::size_t i = 0;
    while (i < old.size() && (used[i] || old[i].path != path)) ++i;
    if (i < old.size()) {
      used[i] = true;
      list.entries.push_back(std::move(old[i]));
      continue;
    }
    Entry entry(std::move(path));
    if (WantsHolds(list)) TryHold(entry);
    list.entries.push_back(std::move(entry));
  }
  for (std::size_t i = 0; i < old.size(); ++i) {
    if (used[i]) continue;
    if (&list == &emergency_ && old[i].hold != kNoHold) {
      keptEmergencyHolds_.emplace_back(old[i].path, old[i].hold);  // released at "No Emergency"
    } else {
      Release(old[i].hold);
    }
  }
  list.seen = std::move(bytes);
  view.selected = -1;
  for (std::size_t i = 0; i < list.entries.size() && !selected.empty(); ++i) {
    if (list.entries[i].path == selected) {
      view.selected = static_cast<int>(i);
      break;
    }
  }
  Publish();
  return true;
}

bool Protection::TakeInListFile(ListKind list) {
  return list == ListKind::Safe ? TakeIn(safe_, safeList_) : TakeIn(emergency_, emergencyList_);
}

ListOutcome Protection::Save(List& list, ListBox& view) {
  if (list.unread != FileError::None) return list.unread;
  // The view holds the entries' paths in order. Entries come from a list
  // file or from the system's file names, both UTF-8 text of one line; any
  // other would not read back as itself.
  const std::optional<std::string> bytes = EncodeList(view.items, files_.files().AnsiCodePage());
  if (!bytes) return FileError::Other;
  const ListOutcome error = SaveBytesAtomically(files_, kListFileNumber, list.file, *bytes);
  if (error != FileError::None) return error;
  list.seen = *bytes;
  // The save leaves the last entry selected.
  if (!list.entries.empty()) view.selected = static_cast<int>(list.entries.size()) - 1;
  return FileError::None;
}

ListOutcome Protection::SaveList(ListKind list) {
  return list == ListKind::Safe ? Save(safe_, safeList_) : Save(emergency_, emergencyList_);
}

// --- Editing.

ListOutcome Protection::AddToSafeList(const std::string& path) {
  if (safe_.entries.size() >= static_cast<std::size_t>(kMaxEntries)) return ListReason::TooManyEntries;
  Entry entry(path);
  const ListOutcome error = TryHold(entry);
  if (error != FileError::None && error != ListReason::Waiting) return error;
  // The views grow by the same row: a list of thousands is not published
  // again for each add.
  safeList_.items.push_back(entry.path);
  safeHolds_.items.push_back(entry.hold);
  safeOutcomes_.push_back(entry.hold != kNoHold ? FileError::None : entry.outcome.value_or(FileError::Other));
  safe_.entries.push_back(std::move(entry));
  return FileError::None;
}

bool Protection::RemoveFromSafeList(int index) {
  if (index < 0 || index >= static_cast<int>(safe_.entries.size())) return false;
  // An open on the worker finds no entry for its ticket, and lets its file go.
  Release(safe_.entries[static_cast<std::size_t>(index)].hold);
  safe_.entries.erase(safe_.entries.begin() + index);
  safeList_.RemoveAt(index);
  safeHolds_.RemoveAt(index);
  safeOutcomes_.erase(safeOutcomes_.begin() + index);
  return true;
}

ListOutcome Protection::AddToEmergencyList(const std::string& path) {
  if (emergency_.entries.size() >= static_cast<std::size_t>(kMaxEntries)) return ListReason::TooManyEntries;
  // First held by the next emergency (the tray's "Emergency!" during one).
  emergency_.entries.emplace_back(path);
  if (emergencyOn_) {
    Publish();  // a hold row of its own, before those kept for removed entries
  } else {
    emergencyList_.items.push_back(path);
    emergencyOutcomes_.emplace_back();
  }
  return FileError::None;
}

bool Protection::RemoveFromEmergencyList(int index) {
  if (index < 0 || index >= static_cast<int>(emergency_.entries.size())) return false;
  const Entry& entry = emergency_.entries[static_cast<std::size_t>(index)];
  if (entry.hold != kNoHold) keptEmergencyHolds_.emplace_back(entry.path, entry.hold);
  emergency_.entries.erase(emergency_.entries.begin() + index);
  emergencyList_.RemoveAt(index);
  if (emergencyOn_) {
    Publish();
  } else {
    emergencyOutcomes_.erase(emergencyOutcomes_.begin() + index);
  }
  return true;
}

// --- The emergency.

Protection::EmergencyHolding Protection::HoldEmergencyList() {
  EmergencyHolding holding;
  // The walk goes by index and leaves the person's selection where it was:
  // a "<<< Remove" after the action must remove the entry they chose.
  for (Entry& entry : emergency_.entries) {
    if (entry.hold != kNoHold || entry.ticket != 0) continue;  // one hold of a file is enough
    const ListOutcome error = TryHold(entry);
    if (error != FileError::None && error != ListReason::Waiting)
      holding.failures.push_back({entry.path, error});
  }
  holding.anyHeld = std::any_of(emergency_.entries.begin(), emergency_.entries.end(), [](const Entry& entry) {
    return entry.hold != kNoHold || entry.ticket != 0;
  });
  emergencyOn_ = emergencyOn_ || holding.anyHeld;
  Publish();
  return holding;
}

void Protection::ReleaseEmergencyHolds() {
  for (Entry& entry : emergency_.entries) {
    Release(entry.hold);
    // Every entry waits for the next emergency again; an open on the worker
    // finds no ticket and lets its file go.
    entry = Entry(std::move(entry.path));
  }
  for (const auto& [path, number] : keptEmergencyHolds_) Release(number);
  keptEmergencyHolds_.clear();
  emergencyOn_ = false;
  Publish();
}

// --- Healing.

std::vector<NotHeld> Protection::NotHeldNow() const {
  std::vector<NotHeld> waiting;
  for (const List* list : {&safe_, &emergency_}) {
    if (list->unread == ListReason::NotLoaded) waiting.push_back({list->file, list->unreadBecause});
    if (!WantsHolds(*list)) continue;
    for (const Entry& entry : list->entries) {
      if (entry.hold == kNoHold && entry.ticket == 0) {
        waiting.push_back({entry.path, entry.outcome.value_or(FileError::Other)});
      }
    }
  }
  return waiting;
}

bool Protection::RetryNotHeld() {
  bool changed = false;
  for (List* list : {&safe_, &emergency_}) {
    if (list->unread == ListReason::NotLoaded) {
      const ListOutcome before = list->unreadBecause;
      const std::size_t listedBefore = list->entries.size();
      if (LoadList(*list)) {
        // The file's entries go first: the selection moves with its entry.
        ListBox& view = list == &safe_ ? safeList_ : emergencyList_;
        if (view.HasSelection()) view.selected += static_cast<int>(list->entries.size() - listedBefore);
        changed = true;
      }
      changed = changed || list->unreadBecause != before;
    }
    if (!WantsHolds(*list)) continue;
    for (Entry& entry : list->entries) {
      if (entry.hold != kNoHold || entry.ticket != 0 || !Heals(entry.outcome.value_or(FileError::Other)))
        continue;
      const std::optional<ListOutcome> before = entry.outcome;
      TryHold(entry);
      changed = changed || entry.outcome != before;
    }
  }
  if (changed) Publish();
  return changed;
}

bool Protection::FinishBackgroundOpens(std::vector<FinishedOpen> finished) {
  bool changed = false;
  for (FinishedOpen& open : finished) {
    Entry* found = nullptr;
    for (List* list : {&safe_, &emergency_}) {
      for (Entry& entry : list->entries) {
        if (entry.ticket == open.ticket) found = &entry;
      }
    }
    if (!found) continue;  // its entry went meanwhile: the file closes here
    found->ticket = 0;
    changed = true;
    if (open.error != FileError::None) {
      found->outcome = open.error;
      continue;
    }
    const int number = files_.LowestFree(kFirstHoldNumber);
    const ListOutcome adopted =
        number == 0 ? ListOutcome(ListReason::NoFreeHoldNumber) : files_.Adopt(number, std::move(open.file));
    found->hold = adopted == FileError::None ? number : kNoHold;
    found->outcome = adopted;
  }
  if (changed) Publish();
  return changed;
}

// --- The views.

void Protection::Publish() {
  safeList_.items.clear();
  safeHolds_.items.clear();
  safeOutcomes_.clear();
  for (const Entry& entry : safe_.entries) {
    safeList_.items.push_back(entry.path);
    safeHolds_.items.push_back(entry.hold);
    safeOutcomes_.push_back(entry.hold != kNoHold ? FileError::None
                                                  : entry.outcome.value_or(FileError::Other));
  }
  emergencyList_.items.clear();
  emergencyOutcomes_.clear();
  emergencyHolds_.items.clear();
  emergencyHeldPaths_.clear();
  for (const Entry& entry : emergency_.entries) {
    emergencyList_.items.push_back(entry.path);
    emergencyOutcomes_.push_back(entry.hold != kNoHold ? std::optional<ListOutcome>(FileError::None)
                                                       : entry.outcome);
    if (emergencyOn_) {
      emergencyHolds_.items.push_back(entry.hold);
      emergencyHeldPaths_.push_back(entry.path);
    }
  }
  for (const auto& [path, number] : keptEmergencyHolds_) {
    emergencyHolds_.items.push_back(number);
    emergencyHeldPaths_.push_back(path);
  }
  for (ListBox* view : {&safeList_, &emergencyList_}) {
    if (!view->HasSelection()) view->selected = -1;
  }
  emergencyHolds_.selected = emergencyHolds_.count() - 1;
}

}  // namespace fendrel
