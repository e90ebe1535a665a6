#include "protection/list_editing.h"

#include <algorithm>

#include "screen/messages.h"

namespace fendrel {

std::string ListEditing::Browse() {
  // A cancel keeps the dialog's file name, so the box gets the name chosen
  // last on either page (or stays empty before the first choice).
  if (std::optional<std::string> chosen = picker_.PickFile(messages::kFileDialogTitle, dialogFileName_)) {
    dialogFileName_ = *chosen;
  }
  return dialogFileName_;
}

void ListEditing::Save(ListOutcome (Protection::*save)(), const std::string& file) {
  const ListOutcome error = (protection_.*save)();
  if (error != FileError::None) messages_.Show(messages::CouldNotSave(file, error), messages::kTitle);
}

std::optional<int> ListEditing::ChosenAfterTakeIn(const ListBox& list, int chosen,
                                                  bool (Protection::*takeIn)()) {
  if (chosen < 0 || chosen >= list.count()) return std::nullopt;
  const std::string path = list.items[static_cast<std::size_t>(chosen)];
  const auto sameBefore = std::count(list.items.begin(), list.items.begin() + chosen, path);
  if (!(protection_.*takeIn)()) return chosen;
  // The list is the file's now: the same path again, at the same place
  // among its repeats where it can be.
  int found = -1;
  std::ptrdiff_t seen = 0;
  for (int i = 0; i < list.count(); ++i) {
    if (list.items[static_cast<std::size_t>(i)] != path) continue;
    found = i;
    if (seen++ == sameBefore) break;
  }
  if (found < 0) {
    messages_.Show(messages::EntryGone(path), messages::kTitle);
    return std::nullopt;
  }
  return found;
}

void ListEditing::SafeAdd(const std::string& pathBoxText) {
  if (pathBoxText.empty()) return;
  // What another copy of Fendrel saved meanwhile is taken in first, so
  // this save keeps it.
  protection_.TakeInSafeListFile();
  const ListOutcome error = protection_.AddToSafeList(pathBoxText);
  if (error == ListReason::TooManyEntries) {
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
  protection_.TakeInEmergencyListFile();
  if (protection_.AddToEmergencyList(pathBoxText) != FileError::None) {
    messages_.Show(messages::ListFull(Protection::kMaxEntries), messages::kTitle);
    return;
  }
  Save(&Protection::SaveEmergencyList, protection_.EmergencyListFile());
}

void ListEditing::SafeRemove(int selectedIndex) {
  const std::optional<int> index =
      ChosenAfterTakeIn(protection_.safeList(), selectedIndex, &Protection::TakeInSafeListFile);
  if (index && protection_.RemoveFromSafeList(*index)) {
    Save(&Protection::SaveSafeList, protection_.SafeListFile());
  }
}

void ListEditing::EmergencyRemove(int selectedIndex) {
  const std::optional<int> index =
      ChosenAfterTakeIn(protection_.emergencyList(), selectedIndex, &Protection::TakeInEmergencyListFile);
  if (index && protection_.RemoveFromEmergencyList(*index)) {
    Save(&Protection::SaveEmergencyList, protection_.EmergencyListFile());
  }
}

void ListEditing::AddDropped(const std::vector<DroppedFile>& files,
                             ListOutcome (Protection::*add)(const std::string&),
                             ListOutcome (Protection::*save)(), bool (Protection::*takeIn)(),
                             const std::string& file, const char* listName) {
  if (files.empty()) return;
  (protection_.*takeIn)();
  std::vector<EntryFailure> failures;
  bool anyAdded = false;
  ListOutcome lastSave = FileError::None;
  for (const DroppedFile& dropped : files) {
    if (dropped.path.empty()) continue;
    const ListOutcome error = dropped.folder ? FileError::IsFolder : (protection_.*add)(dropped.path);
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
  AddDropped(files, &Protection::AddToSafeList, &Protection::SaveSafeList, &Protection::TakeInSafeListFile,
             protection_.SafeListFile(), messages::kSafeListName);
}

void ListEditing::EmergencyAddDropped(const std::vector<DroppedFile>& files) {
  AddDropped(files, &Protection::AddToEmergencyList, &Protection::SaveEmergencyList,
             &Protection::TakeInEmergencyListFile, protection_.EmergencyListFile(),
             messages::kEmergencyListName);
}

}  // namespace fendrel
