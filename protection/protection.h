// The two protected lists and their holds: the list files "prot.dat" and
// "emer.dat" in the program's folder, and the file numbers under which the
// listed files are held open.
//
// Protection keeps its lists to itself: others read them and change them
// only through the operations below, which keep entry i of the safe list
// together with hold i and keep one hold row for every emergency hold open
// now. A hold takes the lowest number from 99 up that no open file uses, and
// releasing it frees the number for the next hold, so a run that lasts for
// weeks never runs out. That is safe because a number is closed only
// through a row that names an open hold of its own: a safe-list row goes
// with its entry, the emergency rows go at "No Emergency", and a hold that
// failed records kNoHold, never a number.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_layer.h"
#include "protection/list_box.h"

namespace fendrel {

class Protection {
 public:
  // Holds take the numbers from 99 up; the layer ends at 511, so 413 files
  // can be held at the same time.
  static constexpr int kFirstHoldNumber = 99;
  static constexpr int kMostHoldsAtOnce = FileLayer::kLastNumber - kFirstHoldNumber + 1;
  // Indexes and counts of the lists are 16-bit signed numbers.
  static constexpr int kMaxEntries = 32767;
  // The hold row of an entry that could not be held: it names no open
  // file, so releasing it releases nothing.
  static constexpr int kNoHold = 0;

  Protection(FileLayer& files, std::string programFolder);

  std::string SafeListFile() const { return programFolder_ + "\\prot.dat"; }
  std::string EmergencyListFile() const { return programFolder_ + "\\emer.dat"; }

  // The start of a run: both list files are read, every safe-list entry
  // held. Nothing is reported: a missing file is an empty list, and a path
  // that cannot be held is listed all the same, with kNoHold.
  void LoadLists();

  // Rewrite a list file from its list. The new content is written beside
  // the file and put in its place in one step, so a failure leaves the old
  // file whole; the error comes back to the caller. A list file that was not
  // read whole at load is never written over, since the list on the screen
  // lacks some of its entries: NotLoaded when a read failed, TooManyEntries
  // when it holds more than a list can, NotText when it holds bytes that are
  // not text in its encoding (protection/list_text.h). A save selects the
  // last entry.
  FileError SaveSafeList();
  FileError SaveEmergencyList();

  // Lists a path on the safe list and holds it under the lowest free hold
  // number. A path that cannot be held is not listed and takes no number:
  // the error says why, TooManyEntries when the list is full, NoFreeNumber
  // when kMostHoldsAtOnce files are held already.
  FileError AddToSafeList(const std::string& path);
  // Releases the entry's hold, which frees its number, and unlists it.
  // False when there is no such entry.
  bool RemoveFromSafeList(int index);
  // Lists a path on the emergency list; nothing is held until the
  // emergency. TooManyEntries when the list is full.
  FileError AddToEmergencyList(const std::string& path);
  // Unlists an entry; a hold it has from the emergency stays until
  // ReleaseEmergencyHolds. False when there is no such entry.
  bool RemoveFromEmergencyList(int index);

  // The entry the person selected in each list (-1 for none).
  void SelectInSafeList(int index) { safeList_.selected = index; }
  void SelectInEmergencyList(int index) { emergencyList_.selected = index; }

  // The emergency: holds every entry of the emergency list afresh, in list
  // order, each under the lowest free number and with a new hold row
  // (kNoHold for one that failed; no rows at all while no emergency hold is
  // open). The last hold row ends up selected; the list's own selection
  // stays as the person left it.
  struct EmergencyHolding {
    std::vector<FileFailure> failures;  // in list order
    bool anyHeld = false;
  };
  EmergencyHolding HoldEmergencyList();
  // "No Emergency": closes the number of every emergency hold row, in
  // order, and drops the rows, so none is left to close a number that a
  // later hold takes again.
  void ReleaseEmergencyHolds();

  const ListBox& safeList() const { return safeList_; }
  const HoldList& safeHolds() const { return safeHolds_; }  // row i: the hold of safe-list entry i
  const ListBox& emergencyList() const { return emergencyList_; }
  const HoldList& emergencyHolds() const { return emergencyHolds_; }  // one row per emergency hold open now
  // How the last hold of each entry went, for telling which files are
  // protected now (protection/entry_state.h). Safe-list entry i: None when
  // held, else why its hold failed. Emergency-list entry i: nothing while no
  // emergency has tried to hold it since the last release, else how the
  // last try went. And the path of each emergency hold row, which stays
  // held also when its entry has left the list.
  const std::vector<FileError>& safeHoldOutcomes() const { return safeOutcomes_; }
  const std::vector<std::optional<FileError>>& emergencyHoldOutcomes() const { return emergencyOutcomes_; }
  const std::vector<std::string>& emergencyHeldPaths() const { return emergencyHeldPaths_; }
  // The number the next hold takes, or kNoHold when kMostHoldsAtOnce files
  // are held.
  int nextHoldNumber() const { return files_.LowestFree(kFirstHoldNumber); }

 private:
  // Opens a file for input under the lowest free hold number, which is the
  // hold; the number, or kNoHold when the open failed (then no number is
  // used up).
  int Hold(const std::string& path, FileError& error);
  // Holds a safe-list entry, adding its hold row.
  FileError ProtectFile(const std::string& path);
  void Release(int number);
  // Why the file was not read whole, or None (a missing file is an empty list).
  FileError LoadList(const std::string& file, ListBox& list, bool hold);
  FileError SaveList(ListBox& list, const std::string& file);

  FileLayer& files_;
  std::string programFolder_;
  ListBox safeList_;
  HoldList safeHolds_;
  ListBox emergencyList_;
  HoldList emergencyHolds_;                                  // emptied at "No Emergency"
  std::vector<FileError> safeOutcomes_;                      // one per safe-list entry
  std::vector<std::optional<FileError>> emergencyOutcomes_;  // one per emergency-list entry
  std::vector<std::string> emergencyHeldPaths_;              // one per emergency hold row
  // Why each list file may not be written over this run (None: it may).
  FileError safeListUnread_ = FileError::None;
  FileError emergencyListUnread_ = FileError::None;
};

}  // namespace fendrel
