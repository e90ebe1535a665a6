#include "protection/protection.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "lists/entry_path.h"
#include "lists/list_text.h"
#include "platform/atomic_save.h"
#include "platform/start_steps.h"
#include "protection/entry_state.h"

namespace fendrel {

namespace {

// Short-lived work on the list files uses file number 1, and the lock of a
// step (Protection::ListStep) number 2.
constexpr int kListFileNumber = 1;
constexpr int kListLockNumber = 2;
// A step waits this long for another copy's, which takes milliseconds.
constexpr int kLockTries = 40;
constexpr int kLockPauseMs = 25;

}  // namespace

Protection::Entry::Entry(std::string listed) : path(std::move(listed)) {
  if (const ListOutcome refused = EntryPathRefusal(path); refused != FileError::None) outcome = refused;
}

Protection::Protection(FileLayer& files, std::string programFolder, BackgroundOpens* background)
    : files_(files), programFolder_(std::move(programFolder)), background_(background) {
  safe_.file = SafeListFile();
  emergency_.file = EmergencyListFile();
  // Worked out once: every hold asks.
  std::size_t at = 0;
  for (const std::string& file : {safe_.file, emergency_.file}) {
    for (const char* suffix : {"", ".NEW", ".LOCK"}) ownFileKeys_[at++] = FileKey(file) + suffix;
  }
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

ListOutcome Protection::NeverHeld(const std::string& path, bool folder) const {
  // Holding a list file would refuse every later save of it.
  const std::string key = FileKey(path);
  if (std::find(ownFileKeys_.begin(), ownFileKeys_.end(), key) != ownFileKeys_.end())
    return ListReason::OwnListFile;
  if (!folder) return FileError::None;
  std::string trimmed = key;
  while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
  // "C:", "\\server\share", "\\?\C:": a whole drive.
  const std::size_t start = trimmed.rfind("\\?\\", 0) == 0 ? 4 : 0;
  const std::string_view rest = std::string_view(trimmed).substr(start);
  const bool drive = rest.size() == 2 && rest[1] == ':';
  const bool share =
      start == 0 && rest.rfind("\\\\", 0) == 0 && std::count(rest.begin() + 2, rest.end(), '\\') <= 1;
  if (drive || share || rest.empty()) return ListReason::DriveRoot;
  const auto within = [&trimmed](const std::string& outer) {
    return trimmed == outer || trimmed.rfind(outer + "\\", 0) == 0;
  };
  if (!windowsFolder_.empty() && within(FileKey(windowsFolder_))) return ListReason::WindowsFolder;
  const std::string program = FileKey(programFolder_);
  if (program == trimmed || program.rfind(trimmed + "\\", 0) == 0) return ListReason::ProgramFolder;
  return FileError::None;
}

ListOutcome Protection::TryHold(Entry& entry) {
  // A relative path or a device's is never opened: it would hold another file, or a device.
  if (const ListOutcome refused = EntryPathRefusal(entry.path); refused != FileError::None) {
    entry.outcome = refused;
    return refused;
  }
  if (const ListOutcome refused = NeverHeld(entry.path, false); refused != FileError::None) {
    entry.outcome = refused;
    return refused;
  }
  if (background_ && files_.files().MayWaitOnNetwork(entry.path)) {
    entry.ticket = ++lastTicket_;
    entry.outcome = ListReason::Waiting;
    background_->Start(entry.ticket, entry.path);
    return ListReason::Waiting;
  }
  ListOutcome error = FileError::None;
  entry.hold = Hold(entry.path, error);
  if (error == FileError::IsFolder) return HoldFolderEntry(entry);
  entry.outcome = error;
  return error;
}

ListOutcome Protection::HoldFolderEntry(Entry& entry) {
  ListOutcome error = NeverHeld(entry.path, true);
  const int number = files_.LowestFree(kFirstHoldNumber);
  if (error == FileError::None && number == 0) error = ListReason::NoFreeHoldNumber;
  std::unique_ptr<OpenFile> hold;
  if (error == FileError::None) error = files_.files().HoldFolder(entry.path, hold);
  if (error == FileError::None) error = files_.Adopt(number, std::move(hold));
  entry.outcome = error;
  if (error != FileError::None) return error;
  entry.hold = number;
  entry.tree = std::make_unique<FolderTree>(entry.path, room_);
  return error;
}

void Protection::Release(int number) {
  if (number != kNoHold) files_.Close(number);
}

void Protection::ReleaseEntry(Entry& entry) {
  Release(entry.hold);
  entry.hold = kNoHold;
  if (!entry.tree) return;
  entry.tree.reset();
  // Names that waited for room under other folders may be held now.
  ForEachTree([](FolderTree& tree) { tree.RoomFreed(); });
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

bool Protection::ReadIn(List& list) {
  const StartStep step("reading the lists");
  // Nothing is reported here: a missing file is an empty list, and what was
  // not read whole is said where it shows (the Welcome page, the tooltip,
  // the emergency message, a save).
  const ListOutcome unreadBefore = list.unread, becauseBefore = list.unreadBecause;
  const auto unreadChanged = [&] {
    return list.unread != unreadBefore || list.unreadBecause != becauseBefore;
  };
  std::string bytes;
  const ListOutcome read = ReadListFile(list.file, bytes);
  if (read == FileError::NotFound) {
    // Nothing to lose: the save may write it. A file that goes later is no
    // list emptied by another copy (none deletes a list file), so this
    // copy's list stays and its next save writes the file again.
    list.unread = list.unreadBecause = FileError::None;
    list.fileListed = true;
    return unreadChanged();
  }
  if (read == FileError::None && list.fileListed && bytes == list.seen &&
      list.unread != ListReason::NotLoaded)
    return false;
  if (read != FileError::None && bytes.empty()) {
    list.unread = ListReason::NotLoaded;
    list.unreadBecause = read;
    return unreadChanged();
  }
  // A failed read is no end of the file: only the lines read whole count.
  ListText text = DecodeList(bytes, files_.files().AnsiCodePage(), kMaxEntries, read != FileError::None);
  // The choice stays on its path, wherever the merge puts it.
  const int chosen = selected(&list == &safe_ ? ListKind::Safe : ListKind::Emergency);
  const std::string selectedPath = chosen >= 0 ? list.entries[static_cast<std::size_t>(chosen)].path : "";
  if (read == FileError::None && text.unread == FileError::None) {
    Merge(list, std::move(text.entries));
    list.unread = list.unreadBecause = FileError::None;
    list.seen = std::move(bytes);
  } else {
    // The entries read before the fault are listed once, while none of the
    // file's are; a later read in part changes no entry, since it may stop
    // sooner than the one before and its missing lines are no removals.
    if (!list.fileListed) Merge(list, std::move(text.entries));
    list.unread = text.unread != FileError::None ? text.unread : ListOutcome(ListReason::NotLoaded);
    list.unreadBecause = read;
    if (read == FileError::None) list.seen = std::move(bytes);  // read again only once it changes
  }
  list.fileListed = true;
  list.selected = -1;
  for (std::size_t i = 0; i < list.entries.size() && !selectedPath.empty(); ++i) {
    if (list.entries[i].path == selectedPath) {
      list.selected = static_cast<int>(i);
      break;
    }
  }
  Changed();
  return true;
}

void Protection::Merge(List& list, std::vector<std::string> theirs) {
  ++list.pathsChanged;
  const StartStep step("the holds");
  std::vector<Entry> ours = std::move(list.entries);
  list.entries.clear();
  list.entries.reserve(theirs.size() + ours.size());
  // Repeated paths are repeated entries: of this copy's entries of a path,
  // the first as many as the base held are the base's, the rest were added
  // here; base entries this copy no longer lists were removed here. Paths
  // are looked up by views of the base, which lives to the end.
  struct Slot {
    int inBase = 0;
    int inOurs = 0;
    std::vector<std::size_t> records;  // this copy's entries of the base's path
    std::size_t nextRecord = 0;
  };
  std::unordered_map<std::string_view, Slot> slots;
  for (const std::string& path : list.base) ++slots[path].inBase;
  std::vector<bool> addedHere(ours.size(), true), used(ours.size(), false);
  for (std::size_t i = 0; i < ours.size(); ++i) {
    const auto slot = slots.find(ours[i].path);
    if (slot == slots.end() || slot->second.inOurs++ >= slot->second.inBase) continue;
    slot->second.records.push_back(i);
    addedHere[i] = false;
  }
  for (const std::string& path : theirs) {
    const auto slot = slots.find(path);
    if (slot != slots.end()) {
      Slot& known = slot->second;
      if (known.inOurs < known.inBase) {  // removed here: one of theirs fewer
        ++known.inOurs;
        continue;
      }
      if (known.nextRecord < known.records.size()) {
        const std::size_t i = known.records[known.nextRecord++];
        used[i] = true;
        list.entries.push_back(std::move(ours[i]));
        continue;
      }
    }
    Entry entry(path);
    // A new emergency entry waits for the next emergency action, as one
    // added here does.
    if (&list == &safe_) TryHold(entry);
    list.entries.push_back(std::move(entry));
  }
  for (std::size_t i = 0; i < ours.size(); ++i) {
    if (!addedHere[i]) continue;
    used[i] = true;
    list.entries.push_back(std::move(ours[i]));
  }
  // Records left over are entries the other copy removed. An open on the
  // worker finds no entry for its ticket, and lets its file go.
  for (std::size_t i = 0; i < ours.size(); ++i) {
    if (used[i]) continue;
    if (&list == &emergency_ && ours[i].hold != kNoHold) {
      // Released at "No Emergency".
      keptEmergencyHolds_.push_back({ours[i].path, ours[i].hold, std::move(ours[i].tree)});
    } else {
      ReleaseEntry(ours[i]);
    }
  }
  list.base = std::move(theirs);
}

void Protection::LoadLists() {
  const Batch batch(*this);
  // The start of a run: nothing of either file is known yet.
  for (List* list : {&safe_, &emergency_}) {
    list->fileListed = false;
    list->base.clear();
    list->seen.clear();
  }
  ReadIn(safe_);
  ReadIn(emergency_);
  Changed();
}

bool Protection::TakeInListFile(ListKind list) {
  return ReadIn(ListOf(list));
}

Protection::ListStep::ListStep(Protection& protection, ListKind list)
    : protection_(protection), batch_(protection), lockFile_(protection.ListOf(list).file + ".lock") {
  FileLayer& files = protection_.files_;
  for (int tries = 1;; ++tries) {
    outcome_ = files.Open(kListLockNumber, lockFile_, OpenMode::Append);
    if (outcome_ == FileError::None) {
      locked_ = true;
      return;
    }
    if (outcome_ != FileError::SharingViolation) {
      outcome_ = FileError::None;  // no lock file can be made here: the step goes unlocked
      return;
    }
    if (tries == kLockTries) return;
    files.files().Pause(kLockPauseMs);
  }
}

Protection::ListStep::~ListStep() {
  if (!locked_) return;
  protection_.files_.Close(kListLockNumber);
  // Another copy that opened it meanwhile keeps it: then this removal is refused.
  protection_.files_.files().Remove(lockFile_);
}

ListOutcome Protection::Save(List& list) {
  if (list.unread != FileError::None) return list.unread;
  std::vector<std::string> paths;
  paths.reserve(list.entries.size());
  for (const Entry& entry : list.entries) paths.push_back(entry.path);
  // Entries come from a list file or from the system's file names, both
  // UTF-8 text of one line; any other would not read back as itself.
  const std::optional<std::string> bytes = EncodeList(paths, files_.files().AnsiCodePage());
  if (!bytes) return FileError::Other;
  const ListOutcome error = SaveBytesAtomically(files_, kListFileNumber, list.file, *bytes);
  if (error != FileError::None) return error;
  list.seen = *bytes;
  list.base = std::move(paths);
  // The save leaves the last entry chosen.
  if (!list.entries.empty()) {
    list.selected = static_cast<int>(list.entries.size()) - 1;
    Changed();
  }
  return FileError::None;
}

ListOutcome Protection::SaveList(ListKind list) {
  return Save(ListOf(list));
}

bool Protection::HasUnsavedChanges(ListKind kind) const {
  const List& list = ListOf(kind);
  if (list.entries.size() != list.base.size()) return true;
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    if (list.entries[i].path != list.base[i]) return true;
  }
  return false;
}

bool Protection::ReadInAndSave(ListKind kind) {
  // Only a file that changed, or became readable, is worth a save: a save
  // that failed is not tried again at every wake-up, which its own attempt
  // would bring.
  if (!ReadIn(ListOf(kind))) return false;
  if (ListOf(kind).unread == FileError::None && HasUnsavedChanges(kind)) {
    const ListStep step(*this, kind);
    if (step.outcome() == FileError::None) {
      ReadIn(ListOf(kind));
      SaveList(kind);  // what fails stays on the screen, for the next change of the file or the list
    }
  }
  return true;
}

bool Protection::SyncListFiles() {
  const Batch batch(*this);
  const bool safe = ReadInAndSave(ListKind::Safe);
  const bool emergency = ReadInAndSave(ListKind::Emergency);
  return safe || emergency;
}

// --- Editing.

ListOutcome Protection::Add(ListKind list, const std::string& path) {
  if (ListOf(list).entries.size() >= static_cast<std::size_t>(kMaxEntries)) return ListReason::TooManyEntries;
  // A safe-list entry is held while listed; an emergency entry only in an emergency.
  if (list == ListKind::Emergency) return AddToEmergencyList(path);
  Entry entry(path);
  const ListOutcome error = TryHold(entry);
  if (error != FileError::None && error != ListReason::Waiting) return error;
  safe_.entries.push_back(std::move(entry));
  ++safe_.pathsChanged;
  Changed();
  return FileError::None;
}

bool Protection::Remove(ListKind list, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= ListOf(list).entries.size()) return false;
  if (list == ListKind::Emergency) return RemoveFromEmergencyList(index);
  // An open on the worker finds no entry for its ticket, and lets its file go.
  ReleaseEntry(safe_.entries[static_cast<std::size_t>(index)]);
  Unlist(safe_, static_cast<std::size_t>(index));
  return true;
}

ListOutcome Protection::AddToEmergencyList(const std::string& path) {
  // What no emergency would hold is not listed, as on the safe list.
  const bool folder = !files_.files().MayWaitOnNetwork(path) && files_.files().FolderExists(path);
  if (const ListOutcome refused = NeverHeld(path, folder); refused != FileError::None) return refused;
  // First held by the next emergency (the tray's "Emergency!" during one).
  emergency_.entries.emplace_back(path);
  ++emergency_.pathsChanged;
  Changed();
  return FileError::None;
}

bool Protection::RemoveFromEmergencyList(int index) {
  Entry& entry = emergency_.entries[static_cast<std::size_t>(index)];
  if (entry.hold != kNoHold) keptEmergencyHolds_.push_back({entry.path, entry.hold, std::move(entry.tree)});
  Unlist(emergency_, static_cast<std::size_t>(index));
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
  Changed();
  return holding;
}

void Protection::ReleaseEmergencyHolds() {
  for (Entry& entry : emergency_.entries) {
    ReleaseEntry(entry);
    // Every entry waits for the next emergency again; an open on the worker
    // finds no ticket and lets its file go.
    entry = Entry(std::move(entry.path));
  }
  for (KeptHold& kept : keptEmergencyHolds_) Release(kept.hold);
  const bool trees = std::any_of(keptEmergencyHolds_.begin(), keptEmergencyHolds_.end(),
                                 [](const KeptHold& kept) { return kept.tree != nullptr; });
  keptEmergencyHolds_.clear();
  if (trees) ForEachTree([](FolderTree& tree) { tree.RoomFreed(); });
  emergencyOn_ = false;
  Changed();
}

// --- Healing.

std::vector<NotHeld> Protection::NotHeldNow() const {
  std::vector<NotHeld> waiting;
  for (const List* list : {&safe_, &emergency_}) {
    if (list->unread == ListReason::NotLoaded) waiting.push_back({list->file, list->unreadBecause});
    if (!WantsHolds(*list)) continue;
    for (const Entry& entry : list->entries) {
      if (entry.hold == kNoHold && entry.ticket == 0 && entry.outcome) {
        waiting.push_back({entry.path, *entry.outcome});
      }
    }
  }
  ForEachTree([&waiting](const FolderTree& tree) { tree.AddNotHeld(waiting); });
  return waiting;
}

template <typename Visit>
void Protection::ForEachTree(Visit visit) const {
  for (const List* list : {&safe_, &emergency_}) {
    if (!WantsHolds(*list)) continue;
    for (const Entry& entry : list->entries) {
      if (entry.tree) visit(*entry.tree);
    }
  }
  for (const KeptHold& kept : keptEmergencyHolds_) {
    if (kept.tree) visit(*kept.tree);
  }
}

template <typename Concerns>
bool Protection::Retry(const Concerns& concerns) {
  bool changed = false;
  for (const ListKind kind : {ListKind::Safe, ListKind::Emergency}) {
    List* list = &ListOf(kind);
    if (list->unread == ListReason::NotLoaded && concerns(list->file))
      changed = ReadInAndSave(kind) || changed;
    if (!WantsHolds(*list)) continue;
    for (Entry& entry : list->entries) {
      // An emergency entry that no emergency action tried waits for the next one.
      if (entry.hold != kNoHold || entry.ticket != 0 || !entry.outcome || !Heals(*entry.outcome)) continue;
      if (!concerns(entry.path)) continue;
      const std::optional<ListOutcome> before = entry.outcome;
      TryHold(entry);
      changed = changed || entry.outcome != before;
    }
  }
  if (changed) Changed();
  return changed;
}

bool Protection::RetryNotHeld() {
  const Batch batch(*this);
  bool trees = false;
  ForEachTree([&](FolderTree& tree) { trees = tree.Retry(files_.files()) || trees; });
  if (trees) Changed();
  return Retry([](const std::string&) { return true; }) || trees;
}

bool Protection::RetryNotHeld(const std::vector<std::string>& changedPaths) {
  const Batch batch(*this);
  std::vector<std::string> changed;
  changed.reserve(changedPaths.size());
  for (const std::string& path : changedPaths) changed.push_back(FileKey(path));
  // A name under a held folder is that folder's tree's to hold.
  bool trees = false;
  ForEachTree([&](FolderTree& tree) {
    const std::string root = FileKey(tree.root());
    for (std::size_t i = 0; i < changed.size(); ++i) {
      if (changed[i].rfind(root, 0) != 0) continue;
      if (changed[i].size() == root.size()) {
        trees = tree.Changed(files_.files(), tree.root()) || trees;
      } else if (changed[i][root.size()] == '\\') {
        // The watch names it under the root as the tree spells it; a key
        // may be longer or shorter than its path where case folding is.
        const bool spelled = changedPaths[i].rfind(tree.root(), 0) == 0;
        const std::size_t rest = spelled ? tree.root().size() : root.size();
        trees = tree.Changed(files_.files(), tree.root() + changedPaths[i].substr(rest)) || trees;
      }
    }
  });
  if (trees) Changed();
  const bool entries = Retry([&changed](const std::string& path) {
    const std::string key = FileKey(path);
    return std::any_of(changed.begin(), changed.end(),
                       [&key](const std::string& name) { return ChangeConcerns(name, key); });
  });
  return trees || entries;
}

bool Protection::ContinueFolderWalks(std::size_t names) {
  bool walked = false, pending = false;
  ForEachTree([&](FolderTree& tree) {
    if (tree.walked()) return;
    walked = true;
    if (names > 0) tree.Walk(files_.files(), names);
    pending = pending || !tree.walked();
  });
  // What the trees hold is told when their walks end, not at every slice.
  if (walked && !pending) Changed();
  return pending;
}

bool Protection::FolderWalksPending() const {
  bool pending = false;
  ForEachTree([&pending](const FolderTree& tree) { pending = pending || !tree.walked(); });
  return pending;
}

std::optional<FolderCounts> Protection::FolderCountsOf(ListKind list, std::size_t index) const {
  const std::vector<Entry>& entries = ListOf(list).entries;
  if (index >= entries.size() || !entries[index].tree) return std::nullopt;
  return entries[index].tree->counts();
}

std::vector<std::string> Protection::HeldFolders() const {
  std::vector<std::string> roots;
  ForEachTree([&roots](const FolderTree& tree) { roots.push_back(tree.root()); });
  return roots;
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
    // A folder's open answers "is a folder": its entry holds the folder and
    // what lies under it.
    if (open.error == FileError::IsFolder) {
      HoldFolderEntry(*found);
      continue;
    }
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
  if (changed) Changed();
  return changed;
}

// --- The lists as the window shows them.

std::vector<std::string> Protection::Paths(ListKind kind) const {
  std::vector<std::string> paths;
  paths.reserve(ListOf(kind).entries.size());
  for (const Entry& entry : ListOf(kind).entries) paths.push_back(entry.path);
  return paths;
}

std::optional<ListOutcome> Protection::OutcomeOf(ListKind kind, int index) const {
  const Entry& entry = EntryAt(kind, index);
  if (entry.hold != kNoHold) return FileError::None;
  // A safe-list entry was always tried.
  if (kind == ListKind::Safe) return entry.outcome.value_or(FileError::Other);
  return entry.outcome;
}

std::vector<int> Protection::HoldRows(ListKind kind) const {
  std::vector<int> rows;
  if (kind == ListKind::Safe || emergencyOn_) {
    for (const Entry& entry : ListOf(kind).entries) rows.push_back(entry.hold);
  }
  if (kind == ListKind::Emergency) {
    for (const KeptHold& kept : keptEmergencyHolds_) rows.push_back(kept.hold);
  }
  return rows;
}

std::vector<std::string> Protection::HeldPaths() const {
  std::vector<std::string> held;
  for (const List* list : {&safe_, &emergency_}) {
    for (const Entry& entry : list->entries) {
      if (entry.hold != kNoHold) held.push_back(entry.path);
    }
  }
  for (const KeptHold& kept : keptEmergencyHolds_) {
    if (kept.hold != kNoHold) held.push_back(kept.path);
  }
  return held;
}

int Protection::selected(ListKind kind) const {
  const List& list = ListOf(kind);
  return list.selected >= 0 && list.selected < EntryCount(kind) ? list.selected : -1;
}

const ListStates& Protection::states() const {
  if (statesStale_) {
    ListStates now = EntryStates(*this);
    if (!states_ || *states_ != now) {
      states_ = std::move(now);
      ++statesChanged_;
    }
    statesStale_ = false;
  }
  return *states_;
}

void Protection::Unlist(List& list, std::size_t index) {
  list.entries.erase(list.entries.begin() + static_cast<std::ptrdiff_t>(index));
  ++list.pathsChanged;
  const int removed = static_cast<int>(index);
  if (list.selected == removed) {
    list.selected = -1;
  } else if (list.selected > removed) {
    --list.selected;
  }
  Changed();
}

void Protection::Changed() {
  ++changes_;
  statesStale_ = true;
  if (changesHeldBack_ > 0) {
    changedMeanwhile_ = true;
  } else if (changedNotice_) {
    changedNotice_();
  }
}

Protection::Batch::~Batch() {
  if (--protection_.changesHeldBack_ > 0 || !protection_.changedMeanwhile_) return;
  protection_.changedMeanwhile_ = false;
  if (protection_.changedNotice_) protection_.changedNotice_();
}

}  // namespace fendrel
