#include "protection/protection.h"

#include <algorithm>

#include "platform/atomic_save.h"
#include "protection/list_text.h"

namespace fendrel {

namespace {
// Short-lived work on the list files uses file number 1.
constexpr int kListFileNumber = 1;
}  // namespace

Protection::Protection(FileLayer& files, std::string programFolder)
    : files_(files), programFolder_(std::move(programFolder)) {}

int Protection::Hold(const std::string& path, FileError& error) {
  const int number = files_.LowestFree(kFirstHoldNumber);
  if (number == 0) {
    error = FileError::NoFreeNumber;
    return kNoHold;
  }
  error = files_.Open(number, path, OpenMode::Input);
  return error == FileError::None ? number : kNoHold;
}

FileError Protection::ProtectFile(const std::string& path) {
  FileError error = FileError::None;
  safeHolds_.items.push_back(Hold(path, error));
  safeOutcomes_.push_back(error);
  return error;
}

void Protection::Release(int number) {
  if (number != kNoHold) files_.Close(number);
}

FileError Protection::AddToSafeList(const std::string& path) {
  if (safeList_.count() >= kMaxEntries) return FileError::TooManyEntries;
  FileError error = FileError::None;
  const int number = Hold(path, error);
  if (error != FileError::None) return error;
  safeList_.items.push_back(path);
  safeHolds_.items.push_back(number);
  safeOutcomes_.push_back(FileError::None);
  return FileError::None;
}

bool Protection::RemoveFromSafeList(int index) {
  if (index < 0 || index >= safeList_.count()) return false;
  Release(safeHolds_.items[static_cast<std::size_t>(index)]);
  safeList_.RemoveAt(index);
  safeHolds_.RemoveAt(index);
  safeOutcomes_.erase(safeOutcomes_.begin() + index);
  return true;
}

FileError Protection::AddToEmergencyList(const std::string& path) {
  if (emergencyList_.count() >= kMaxEntries) return FileError::TooManyEntries;
  emergencyList_.items.push_back(path);
  emergencyOutcomes_.emplace_back();  // first held by the next emergency
  return FileError::None;
}

bool Protection::RemoveFromEmergencyList(int index) {
  if (index < 0 || index >= emergencyList_.count()) return false;
  emergencyList_.RemoveAt(index);
  emergencyOutcomes_.erase(emergencyOutcomes_.begin() + index);
  return true;
}

Protection::EmergencyHolding Protection::HoldEmergencyList() {
  EmergencyHolding holding;
  // The walk goes by index and leaves the person's selection where it was:
  // a "<<< Remove" after the action must remove the entry they chose.
  for (std::size_t i = 0; i < emergencyList_.items.size(); ++i) {
    const std::string& path = emergencyList_.items[i];
    FileError error = FileError::None;
    emergencyHolds_.items.push_back(Hold(path, error));
    emergencyHeldPaths_.push_back(path);
    emergencyOutcomes_[i] = error;
    if (error == FileError::None) {
      holding.anyHeld = true;
    } else {
      holding.failures.push_back({path, error});
    }
  }
  // An emergency that holds nothing leaves no rows: otherwise each press
  // on a list that cannot be held would add rows that no release removes.
  if (std::all_of(emergencyHolds_.items.begin(), emergencyHolds_.items.end(),
                  [](int number) { return number == kNoHold; })) {
    emergencyHolds_ = HoldList{};
    emergencyHeldPaths_.clear();
  }
  emergencyHolds_.selected = emergencyHolds_.count() - 1;
  return holding;
}

void Protection::ReleaseEmergencyHolds() {
  for (const int number : emergencyHolds_.items) Release(number);
  emergencyHolds_ = HoldList{};
  emergencyHeldPaths_.clear();
  // Every entry waits for the next emergency again.
  for (std::optional<FileError>& outcome : emergencyOutcomes_) outcome.reset();
}

FileError Protection::LoadList(const std::string& file, ListBox& list, bool hold) {
  // Nothing is reported here: a missing file is an empty list, and what was
  // not read whole is said only when a save would write over it.
  const FileError opened = files_.Open(kListFileNumber, file, OpenMode::Input);
  if (opened != FileError::None)
    return opened == FileError::NotFound ? FileError::None : FileError::NotLoaded;
  std::string bytes;
  // A failed read is no end of the file: the lines read whole before it
  // are listed, and the file is not written over.
  const FileError read = files_.ReadRest(kListFileNumber, bytes);
  files_.Close(kListFileNumber);
  ListText text = DecodeList(bytes, files_.files().AnsiCodePage(), kMaxEntries, read != FileError::None);
  for (std::string& entry : text.entries) {
    if (hold) {
      ProtectFile(entry);  // a path that cannot be held is listed all the same
    } else {
      emergencyOutcomes_.emplace_back();
    }
    list.items.push_back(std::move(entry));
  }
  if (text.unread != FileError::None) return text.unread;
  return read == FileError::None ? FileError::None : FileError::NotLoaded;
}

void Protection::LoadLists() {
  safeListUnread_ = LoadList(SafeListFile(), safeList_, true);
  emergencyListUnread_ = LoadList(EmergencyListFile(), emergencyList_, false);
}

FileError Protection::SaveList(ListBox& list, const std::string& file) {
  // Entries come from a list file or from the system's file names, both
  // UTF-8 text of one line; any other would not read back as itself.
  const std::optional<std::string> bytes = EncodeList(list.items, files_.files().AnsiCodePage());
  if (!bytes) return FileError::Other;
  const FileError error = SaveBytesAtomically(files_, kListFileNumber, file, *bytes);
  if (error != FileError::None) return error;
  // The save leaves the last entry selected.
  if (!list.items.empty()) list.selected = list.count() - 1;
  return FileError::None;
}

FileError Protection::SaveSafeList() {
  return safeListUnread_ != FileError::None ? safeListUnread_ : SaveList(safeList_, SafeListFile());
}

FileError Protection::SaveEmergencyList() {
  return emergencyListUnread_ != FileError::None ? emergencyListUnread_
                                                 : SaveList(emergencyList_, EmergencyListFile());
}

}  // namespace fendrel
