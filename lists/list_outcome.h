// How reading, saving or holding a list's file went: as asked, refused by
// the system (a FileError), or stopped by one of the lists' own rules, which
// the system knows nothing of.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace fendrel {

enum class ListReason {
  NoFreeHoldNumber,  // every number a hold may take is in use
  NotLoaded,         // a list file that could not be read at start is not written over
  TooManyEntries,    // nor one that holds more entries than a list can show
  NotText,           // nor one that holds bytes that are not UTF-8 or UTF-16 text
  Waiting,           // an open that may wait on a network has not finished yet
  NotAbsolute,       // an entry names a file only against a current folder (lists/entry_path.h)
  NamesDevice,       // an entry names a device, such as NUL or COM1, not a file
  DriveRoot,         // a folder entry names a whole drive or share
  WindowsFolder,     // a folder entry names the Windows folder or a folder in it
  ProgramFolder,     // a folder entry names Fendrel's own folder or a folder above it
  OwnListFile,       // an entry names one of Fendrel's own list files
  FolderLimit,       // past the files Fendrel holds under folder entries at most
};

class ListOutcome {
 public:
  // Every answer of the system is an outcome as it stands, so both convert
  // without ceremony.
  // NOLINTNEXTLINE(google-explicit-constructor)
  constexpr ListOutcome(FileError error = FileError::None) : error_(error) {}
  // NOLINTNEXTLINE(google-explicit-constructor)
  constexpr ListOutcome(ListReason reason) : reason_(reason), isReason_(true) {}

  // The system's refusal; FileError::None when a list rule stopped it.
  constexpr FileError error() const { return error_; }
  constexpr bool isReason() const { return isReason_; }
  constexpr ListReason reason() const { return reason_; }

  friend constexpr bool operator==(const ListOutcome&, const ListOutcome&) = default;

 private:
  FileError error_ = FileError::None;
  ListReason reason_ = ListReason::NoFreeHoldNumber;
  bool isReason_ = false;
};

// An entry that could not be held or added, and why.
struct EntryFailure {
  std::string path;
  ListOutcome why;
};

}  // namespace fendrel
