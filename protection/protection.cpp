#include "protection/protection.h"

#include <charconv>

#include "platform/atomic_save.h"

namespace fendrel {

namespace {
// Short-lived work on the list files uses file number 1.
constexpr int kListFileNumber = 1;
}  // namespace

void ListBox::RemoveAt(int index) {
  if (index < 0 || index >= count()) return;
  items.erase(items.begin() + index);
  if (selected == index) {
    selected = -1;
  } else if (selected > index) {
    --selected;
  }
}

Protection::Protection(FileLayer& files, std::string programFolder)
    : files_(files), programFolder_(std::move(programFolder)) {}

FileError Protection::Hold(const std::string& path, ListBox& rows) {
  FileError error = FileError::NoFreeNumber;
  if (NextFileNumber <= FileLayer::kLastNumber) {
    error = files_.Open(NextFileNumber, path, OpenMode::Input);
  }
  if (error == FileError::None) {
    rows.items.push_back(std::to_string(NextFileNumber));
    ++NextFileNumber;
  } else {
    rows.items.emplace_back(kNoHold);
  }
  return error;
}

FileError Protection::ProtectFile(const std::string& path) {
  return Hold(path, SafeHolds);
}

FileError Protection::HoldEmergencyFile(const std::string& path) {
  return Hold(path, EmergencyHolds);
}

void Protection::Release(const std::string& row) {
  int number = 0;
  const auto [end, error] = std::from_chars(row.data(), row.data() + row.size(), number);
  if (error != std::errc() || end != row.data() + row.size()) return;
  files_.Close(number);
}

FileError Protection::LoadList(const std::string& file, ListBox& list, bool hold) {
  // Nothing is reported here: a missing file is an empty list, and what was
  // not read whole is said only when a save would write over it.
  const FileError opened = files_.Open(kListFileNumber, file, OpenMode::Input);
  if (opened != FileError::None)
    return opened == FileError::NotFound ? FileError::None : FileError::NotLoaded;
  FileError unread = FileError::None;
  std::string line;
  for (;;) {
    const FileError error = files_.ReadLine(kListFileNumber, line);
    if (error == FileError::ReadPastEnd) break;
    if (error != FileError::None) {
      unread = FileError::NotLoaded;  // a failed read is no end of the file
      break;
    }
    if (line.empty()) continue;
    if (list.count() >= kMaxEntries) {
      unread = FileError::TooManyEntries;
      break;
    }
    if (hold) ProtectFile(line);  // a path that cannot be held is listed all the same
    list.items.push_back(line);
  }
  files_.Close(kListFileNumber);
  return unread;
}

void Protection::LoadLists() {
  safeListUnread_ = LoadList(SafeListFile(), SafeList, true);
  emergencyListUnread_ = LoadList(EmergencyListFile(), EmergencyList, false);
}

FileError Protection::SaveList(ListBox& list, const std::string& file) {
  const FileError error = SaveAtomically(files_, kListFileNumber, file, list.items);
  if (error != FileError::None) return error;
  // The save leaves the last entry selected.
  if (!list.items.empty()) list.selected = list.count() - 1;
  return FileError::None;
}

FileError Protection::SaveSafeList() {
  return safeListUnread_ != FileError::None ? safeListUnread_ : SaveList(SafeList, SafeListFile());
}

FileError Protection::SaveEmergencyList() {
  return emergencyListUnread_ != FileError::None ? emergencyListUnread_
                                                 : SaveList(EmergencyList, EmergencyListFile());
}

}  // namespace fendrel
