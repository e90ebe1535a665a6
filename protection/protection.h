// The two protected lists and their holds: the list files "prot.dat" and
// "emer.dat" in the program's folder, and the file numbers under which the
// listed files are held open.
//
// Protection keeps one record per list entry (its path, its hold number and
// how its last hold went) and changes them only through the operations
// below. The records are the lists: the window draws its rows from them and
// is told of every change (SetChangedNotice). A hold takes the lowest number from 99 up that no open file
// uses, and releasing it frees the number for the next hold, so a run that
// lasts for weeks never runs out. That is safe because a number is closed
// only through the record that took it: a safe-list entry's hold goes with
// its entry, the emergency holds go at "No Emergency", and a hold that failed
// records kNoHold, never a number.
//
// A file that cannot be held now is tried again (RetryNotHeld) whenever the
// window learns that something may have changed (protection/healing.h): the
// safe list's entries always, the emergency list's during an emergency, and
// a list file that could not be read at start. An open that may wait on a
// network runs on a worker (BackgroundOpens) and its hold is taken when its
// result comes back.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lists/hold_numbers.h"
#include "lists/list_kind.h"
#include "lists/list_outcome.h"
#include "platform/background_opens.h"
#include "platform/file_layer.h"
#include "protection/entry_state.h"
#include "protection/folder_tree.h"
#include "protection/healing.h"

namespace fendrel {

class Protection {
 public:
  // Holds take the numbers from 99 up; the layer ends at 511, so 413 files
  // can be held at the same time (lists/hold_numbers.h).
  static constexpr int kFirstHoldNumber = fendrel::kFirstHoldNumber;
  static constexpr int kMostHoldsAtOnce = fendrel::kMostHoldsAtOnce;
  // Indexes and counts of the lists are 16-bit signed numbers.
  static constexpr int kMaxEntries = 32767;
  // The hold row of an entry that could not be held: it names no open
  // file, so releasing it releases nothing.
  static constexpr int kNoHold = 0;

  // `background`: where opens that may wait on a network run; none: they
  // run here, as every other open.
  Protection(FileLayer& files, std::string programFolder, BackgroundOpens* background = nullptr);

  const std::string& programFolder() const { return programFolder_; }
  // The Windows folder: it and the folders in it are never held as folder
  // entries (a file in it may be).
  void SetWindowsFolder(std::string folder) { windowsFolder_ = std::move(folder); }
  std::string SafeListFile() const { return programFolder_ + "\\prot.dat"; }
  std::string EmergencyListFile() const { return programFolder_ + "\\emer.dat"; }
  std::string ListFile(ListKind list) const { return ListOf(list).file; }

  // The start of a run: both list files are read, every safe-list entry
  // held. Nothing is reported: a missing file is an empty list, a path that
  // cannot be held is listed all the same, with kNoHold, and a list file
  // that cannot be read is read as soon as it can (RetryNotHeld).
  void LoadLists();
  // Why a list file could not be read whole, or None: NotLoaded (then
  // ...Because says why the open or the read failed), TooManyEntries, NotText.
  // While it is not None the file is never written, and the entries listed
  // from it (if any) are only those read before the fault.
  ListOutcome unread(ListKind list) const { return ListOf(list).unread; }
  ListOutcome unreadBecause(ListKind list) const { return ListOf(list).unreadBecause; }

  // Another copy of Fendrel (another spelling of the folder, another
  // session, another user) or another program may have saved the list file
  // since this copy last read or wrote it. If so, its changes are merged
  // with this copy's own since then: entries added or removed here stay so,
  // those added or removed there are taken in (new safe-list entries held,
  // gone ones released; an emergency entry waits for the next emergency
  // action). True when the list changed. A file that cannot be read whole
  // now is not merged, and is not written until it can be.
  bool TakeInListFile(ListKind list);

 private:
  // Holds the notice back until its end, so a read, change and save is
  // told once.
  class Batch {
   public:
    explicit Batch(Protection& protection) : protection_(protection) { ++protection_.changesHeldBack_; }
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    Protection& protection_;
  };

 public:
  // One step of reading and saving a list file that no other copy may
  // interleave with its own: a lock file beside the list, opened without
  // sharing, for the short time of the step. Another copy's step is waited
  // for briefly; a folder where no lock file can be made is left unlocked.
  class ListStep {
   public:
    ListStep(Protection& protection, ListKind list);
    ~ListStep();
    ListStep(const ListStep&) = delete;
    ListStep& operator=(const ListStep&) = delete;
    // SharingViolation when another copy's step did not end in time.
    ListOutcome outcome() const { return outcome_; }

   private:
    Protection& protection_;
    Batch batch_;  // the step's changes are told once, at its end
    std::string lockFile_;
    ListOutcome outcome_;
    bool locked_ = false;
  };

  // Rewrite a list file from its list. The new content is written beside
  // the file and put in its place in one step, so a failure leaves the old
  // file whole; the error comes back to the caller. A list file that was not
  // read whole is never written over, since the list on the screen lacks
  // some of its entries: NotLoaded when a read failed, TooManyEntries when it
  // holds more than a list can, NotText when it holds bytes that are not text
  // in its encoding (lists/list_text.h). A save selects the last entry.
  ListOutcome SaveList(ListKind list);
  // Whether the list holds changes of this copy that its file does not.
  bool HasUnsavedChanges(ListKind list) const;
  // A wake-up: each list file that another copy or program changed is taken
  // in, and this copy's unsaved changes are saved once the file can be read
  // whole, each in a ListStep. True when a list changed.
  bool SyncListFiles();

  // ">>> Add": lists a path. TooManyEntries when the list is full. The safe
  // list holds the path under the lowest free hold number, so a path that
  // cannot be held is not listed and takes no number: the error says why,
  // NoFreeNumber when kMostHoldsAtOnce files are held already; a path whose
  // open may wait on a network is listed at once and held when its open
  // comes back. The emergency list holds nothing until the emergency, but
  // refuses what no emergency would hold.
  ListOutcome Add(ListKind list, const std::string& path);
  // "<<< Remove": unlists an entry. A safe-list entry's hold is released,
  // which frees its number; an emergency hold stays until
  // ReleaseEmergencyHolds. False when there is no such entry.
  bool Remove(ListKind list, int index);

  // The emergency: holds every entry of the emergency list that is not held
  // now, in list order, each under the lowest free number; an entry held
  // already keeps its one hold, so pressing again takes no second hold of
  // any file. The emergency is on once any entry is held, and then the hold
  // rows are one per entry (kNoHold for one not held) and one per hold kept
  // for an entry removed meanwhile; no rows while it is off. The last hold
  // row ends up selected; the list's own selection stays as the person left it.
  struct EmergencyHolding {
    std::vector<EntryFailure> failures;  // in list order: the entries this press could not hold
    bool anyHeld = false;                // any entry is held now (or its open is on its way)
  };
  EmergencyHolding HoldEmergencyList();
  // "No Emergency": closes the number of every emergency hold row, in
  // order, and drops the rows, so none is left to close a number that a
  // later hold takes again.
  void ReleaseEmergencyHolds();
  bool emergencyOn() const { return emergencyOn_; }

  // The files Fendrel waits to hold, and the list files it waits to read,
  // each with why it could not yet; nothing when every file is held.
  std::vector<NotHeld> NotHeldNow() const;
  // Tries each of them again; true when anything changed (a hold taken, a
  // list file read, another reason).
  bool RetryNotHeld();
  // Tries again only those a change of these names can bring
  // (ChangeConcerns): a file whose own name changed, the files of a folder
  // that came, every file under a folder whose changes were lost.
  bool RetryNotHeld(const std::vector<std::string>& changedPaths);
  // The opens that ran on the worker: each hold is taken now, under the
  // lowest free number, if its entry still wants it (it may have been
  // removed, or the emergency ended, meanwhile: then the file is let go).
  // True when anything changed.
  bool FinishBackgroundOpens(std::vector<FinishedOpen> finished);

  // The lists as the window shows them, read from the records: an entry's
  // path, hold number and how its last hold went (None when held; nothing
  // while no hold was tried: an emergency entry outside an emergency).
  int EntryCount(ListKind list) const { return static_cast<int>(ListOf(list).entries.size()); }
  const std::string& Path(ListKind list, int index) const { return EntryAt(list, index).path; }
  std::vector<std::string> Paths(ListKind list) const;
  std::optional<ListOutcome> OutcomeOf(ListKind list, int index) const;
  // The hidden rows of hold numbers (kNoHold for an entry not held). The
  // safe list's: one per entry. The emergency list's: during an emergency
  // one per entry, then one per hold kept for an entry removed meanwhile;
  // outside one, none.
  std::vector<int> HoldRows(ListKind list) const;
  // Every path an open hold keeps, through whichever entry took it (an
  // emergency hold kept for a removed entry too).
  std::vector<std::string> HeldPaths() const;
  // The entry the person chose in each list, -1 for none: the one place the
  // choice is kept, which the list box shows. A save chooses the last entry;
  // a take-in keeps the choice on its path.
  int selected(ListKind list) const;
  void Select(ListKind list, int index) { ListOf(list).selected = index; }
  // Which entries are protected now (protection/entry_state.h), worked out
  // from the records once after each change.
  const ListStates& states() const;
  // How often the list's paths, anything at all, and the entries' states
  // changed: a window that remembers the count it showed redraws only what
  // changed.
  std::uint64_t pathsChanged(ListKind list) const { return ListOf(list).pathsChanged; }
  std::uint64_t changes() const { return changes_; }
  std::uint64_t statesChanged() const {
    states();
    return statesChanged_;
  }
  // Told once after each operation that changed a list, a hold or what a
  // folder entry holds, and once at the end of a ListStep, however much it
  // changed. The notice must not throw.
  void SetChangedNotice(std::function<void()> notice) { changedNotice_ = std::move(notice); }
  // Folder entries: the entry's number holds the folder itself, and its
  // FolderTree every file and subfolder under it, walked a few names at a
  // time. A folder entry is never held when it names a drive's root, the
  // Windows folder or a folder in it, or Fendrel's own folder or one above
  // it; no entry holds one of Fendrel's own list files (NeverHeld says why).
  ListOutcome NeverHeld(const std::string& path, bool folder) const;
  // Walks the trees of held folder entries on until about `names` names
  // were handled; true while some tree is left to walk.
  bool ContinueFolderWalks(std::size_t names);
  bool FolderWalksPending() const;
  // What the folder entry at `index` holds under its folder; nothing for a
  // file entry or a folder not held.
  std::optional<FolderCounts> FolderCountsOf(ListKind list, std::size_t index) const;
  // The roots of the trees held now, each watched with its subtree.
  std::vector<std::string> HeldFolders() const;

  // The number the next hold takes, or kNoHold when kMostHoldsAtOnce files
  // are held.
  int nextHoldNumber() const { return files_.LowestFree(kFirstHoldNumber); }

 private:
  struct Entry {
    explicit Entry(std::string listed);
    std::string path;
    int hold = kNoHold;
    // How its last hold went: None when held, else why not; nothing while
    // no hold was tried (an emergency entry outside an emergency). A path
    // that is never held (lists/entry_path.h) says why from the start.
    std::optional<ListOutcome> outcome;
    std::uint64_t ticket = 0;          // its open runs on the worker (outcome Waiting)
    std::unique_ptr<FolderTree> tree;  // a folder entry held: what it holds under the folder
  };
  // An emergency hold kept for an entry removed during the emergency.
  struct KeptHold {
    std::string path;
    int hold = kNoHold;
    std::unique_ptr<FolderTree> tree;
  };
  struct List {
    std::string file;
    std::vector<Entry> entries;
    // Why the file may not be written over this run (None: it may), and for
    // NotLoaded why the open or the read failed.
    ListOutcome unread;
    ListOutcome unreadBecause = FileError::None;
    std::string seen;  // the file's bytes as this copy last read or wrote them
    // The entries the file held then: the base of the merge with another
    // copy's changes. For a file read only in part, the part read.
    std::vector<std::string> base;
    // The file's entries (all, or those read before a fault) are listed.
    bool fileListed = false;
    int selected = -1;  // the entry the person chose
    std::uint64_t pathsChanged = 0;
  };
  const Entry& EntryAt(ListKind list, int index) const {
    return ListOf(list).entries[static_cast<std::size_t>(index)];
  }
  const List& ListOf(ListKind list) const { return list == ListKind::Safe ? safe_ : emergency_; }
  List& ListOf(ListKind list) { return list == ListKind::Safe ? safe_ : emergency_; }
  // Removes an entry's record; the choice stays on its entry, or goes with it.
  void Unlist(List& list, std::size_t index);

  // Opens a file for input under the lowest free hold number, which is the
  // hold; the number, or kNoHold when the open failed (then no number is
  // used up).
  int Hold(const std::string& path, ListOutcome& error);
  // Holds an entry, here or on the worker; returns its outcome.
  ListOutcome TryHold(Entry& entry);
  // Holds a folder entry's folder under the lowest free number and begins
  // its tree; its outcome.
  ListOutcome HoldFolderEntry(Entry& entry);
  // The emergency list's own Add and Remove: listing holds nothing, and a
  // removed entry's emergency hold is kept until "No Emergency".
  ListOutcome AddToEmergencyList(const std::string& path);
  bool RemoveFromEmergencyList(int index);
  // Lets go of an entry's holds: its number and its tree.
  void ReleaseEntry(Entry& entry);
  // The trees of the entries that want holds now, and those kept.
  template <typename Visit>
  void ForEachTree(Visit visit) const;
  void Release(int number);
  bool WantsHolds(const List& list) const { return &list == &safe_ || emergencyOn_; }
  // Reads a list file: its bytes and why not (a missing file is empty).
  ListOutcome ReadListFile(const std::string& file, std::string& bytes);
  // Reads the list file, at start or later, and merges what it holds with
  // this copy's list. True when the list or why it is unread changed.
  bool ReadIn(List& list);
  // The list becomes `theirs` with this copy's changes since `base` applied:
  // records of paths still listed are kept, new entries are held (or wait
  // for the emergency), records left over are released.
  void Merge(List& list, std::vector<std::string> theirs);
  ListOutcome Save(List& list);
  // A wake-up's read of a list file, and the save of this copy's unsaved
  // changes once the file changed or became readable. True when the list
  // or why it is unread changed.
  bool ReadInAndSave(ListKind kind);
  // RetryNotHeld of the paths `concerns` says yes to.
  template <typename Concerns>
  bool Retry(const Concerns& concerns);
  // A list, a hold or a tree changed: the states are worked out again and
  // the notice told, at once or at the end of the batch under way.
  void Changed();

  FileLayer& files_;
  // Before the lists: every tree gives its room back as it goes.
  FolderRoom room_;
  std::string programFolder_;
  // The keys (FileKey) of the list files, their ".new" and their ".lock".
  std::array<std::string, 6> ownFileKeys_;
  std::string windowsFolder_;
  BackgroundOpens* background_;
  std::uint64_t lastTicket_ = 0;
  List safe_, emergency_;
  bool emergencyOn_ = false;
  // Holds of emergency entries removed during the emergency: kept until
  // "No Emergency", as the entries' own are.
  std::vector<KeptHold> keptEmergencyHolds_;
  std::function<void()> changedNotice_;
  int changesHeldBack_ = 0;  // ListSteps and batches under way
  std::uint64_t changes_ = 0;
  bool changedMeanwhile_ = false;
  // Worked out again on the first ask after a change.
  mutable std::optional<ListStates> states_;
  mutable bool statesStale_ = true;
  mutable std::uint64_t statesChanged_ = 0;
};

}  // namespace fendrel
