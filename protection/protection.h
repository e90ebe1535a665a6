// The two protected lists and their holds: the list files "prot.dat" and
// "emer.dat" in the program's folder, and the file numbers under which the
// listed files are held open.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_layer.h"
#include "protection/list_box.h"

namespace fendrel {

class Protection {
 public:
  // Holds take the numbers from 99 up; the layer ends at 511, so a run
  // takes 413 holds at most.
  static constexpr std::int16_t kFirstHoldNumber = 99;
  // Indexes and counts of the lists are 16-bit signed numbers.
  static constexpr int kMaxEntries = 32767;
  // The row of a failed hold: it names no open file, so releasing it
  // releases nothing.
  static constexpr const char* kNoHold = "0";

  Protection(FileLayer& files, std::string programFolder);

  std::string SafeListFile() const { return programFolder_ + "\\prot.dat"; }
  std::string EmergencyListFile() const { return programFolder_ + "\\emer.dat"; }

  // Reads both list files, holding every safe-list entry. Nothing is
  // reported: a missing file is an empty list, and a path that cannot be
  // held is listed all the same.
  void LoadLists();

  // Rewrite a list file from its list. The new content is written beside
  // the file and put in its place in one step, so a failure leaves the old
  // file whole; the error comes back to the caller. A list file that was not
  // read whole at load is never written over, since the list on the screen
  // lacks some of its entries: NotLoaded when a read failed, TooManyEntries
  // when it holds more than a list can.
  FileError SaveSafeList();
  FileError SaveEmergencyList();

  // Hold a file under the next number, recording it in SafeHolds (or, for
  // HoldEmergencyFile, EmergencyHolds). A failed hold records kNoHold.
  FileError ProtectFile(const std::string& path);
  FileError HoldEmergencyFile(const std::string& path);

  // Closes the file number written in a hidden row.
  void Release(const std::string& row);

  FileLayer& files() { return files_; }

  ListBox SafeList;
  ListBox SafeHolds;  // row i: the file number of SafeList entry i
  ListBox EmergencyList;
  ListBox EmergencyHolds;  // one row per emergency hold, never removed in a run
  std::int16_t NextFileNumber = kFirstHoldNumber;

 private:
  FileError Hold(const std::string& path, ListBox& rows);
  // Why the file was not read whole, or None (a missing file is an empty list).
  FileError LoadList(const std::string& file, ListBox& list, bool hold);
  FileError SaveList(ListBox& list, const std::string& file);

  FileLayer& files_;
  std::string programFolder_;
  // Why each list file may not be written over this run (None: it may).
  FileError safeListUnread_ = FileError::None;
  FileError emergencyListUnread_ = FileError::None;
};

}  // namespace fendrel
