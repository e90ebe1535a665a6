#include "protection/list_editing.h"

#include "ui/messages.h"

namespace fendrel {

std::string ListEditing::Browse() {
  // A cancel keeps the dialog's file name, so the box gets the name chosen
  // last on either page (or stays empty before the first choice).
  if (std::optional<std::string> chosen = picker_.PickFile(messages::kFileDialogTitle, dialogFileName_)) {
    dialogFileName_ = *chosen;
  }
  return dialogFileName_;
}

void ListEditing::Save(FileError (Protection::*save)(), const std::string& file) {
  const FileError error = (protection_.*save)();
  if (error != FileError::None) messages_.Show(messages::CouldNotSave(file, error), messages::kTitle);
}

void ListEditing::SafeAdd(const std::string& pathBoxText) {
  if (pathBoxText.empty()) return;
  const FileError error = protection_.AddToSafeList(pathBoxText);
  if (error == FileError::TooManyEntries) {
    messages_.Show(messages::ListFull(Protection::kMaxEntries), messages::kTitle);
    return;
  }
  if (error != FileError::None) {
    messages_.Show(messages::CouldNotProtect(pathBoxText, error), messages::kTitle);
    return;
  }
  Save(&Protection::SaveSafeList, protection_.SafeListFile());
}

void ListEditing::EmergencyAdd(const std::string& pathBoxText) {
  if (pathBoxText.empty()) return;
  if (protection_.AddToEmergencyList(pathBoxText) != FileError::None) {
    messages_.Show(messages::ListFull(Protection::kMaxEntries), messages::kTitle);
    return;
  }
  Save(&Protection::SaveEmergencyList, protection_.EmergencyListFile());
}

void ListEditing::SafeRemove(int selectedIndex) {
  if (protection_.RemoveFromSafeList(selectedIndex)) {
    Save(&Protection::SaveSafeList, protection_.SafeListFile());
  }
}

void ListEditing::EmergencyRemove(int selectedIndex) {
  if (protection_.RemoveFromEmergencyList(selectedIndex)) {
    Save(&Protection::SaveEmergencyList, protection_.EmergencyListFile());
  }
}

void ListEditing::AddDropped(const std::vector<DroppedFile>& files,
                             FileError (Protection::*add)(const std::string&),
                             FileError (Protection::*save)(), const std::string& file, const char* listName) {
  std::vector<FileFailure> failures;
  bool anyAdded = false;
  FileError lastSave = FileError::None;
  for (const DroppedFile& dropped : files) {
    if (dropped.path.empty()) continue;
    const FileError error = dropped.folder ? FileError::IsFolder : (protection_.*add)(dropped.path);
    if (error != FileError::None) {
      failures.push_back({dropped.path, error});
      continue;
    }
    anyAdded = true;
    // A failed save is told once: a later one that succeeds writes this entry too.
    lastSave = (protection_.*save)();
  }
  if (!failures.empty()) {
    messages_.Show(messages::DroppedFilesNotAdded(listName, failures, anyAdded), messages::kTitle);
  }
  if (lastSave != FileError::None) messages_.Show(messages::CouldNotSave(file, lastSave), messages::kTitle);
}

void ListEditing::SafeAddDropped(const std::vector<DroppedFile>& files) {
  AddDropped(files, &Protection::AddToSafeList, &Protection::SaveSafeList, protection_.SafeListFile(),
             messages::kSafeListName);
}

void ListEditing::EmergencyAddDropped(const std::vector<DroppedFile>& files) {
  AddDropped(files, &Protection::AddToEmergencyList, &Protection::SaveEmergencyList,
             protection_.EmergencyListFile(), messages::kEmergencyListName);
}

}  // namespace fendrel
