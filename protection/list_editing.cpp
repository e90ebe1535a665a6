#include "protection/list_editing.h"

#include "ui/messages.h"

namespace fendrel {

std::string ListEditing::Browse() {
  // A cancel keeps the dialog's file name, so the box gets the name chosen
  // last on either page (or stays empty before the first choice).
  if (std::optional<std::string> chosen = picker_.PickFile("Select File", dialogFileName_)) {
    dialogFileName_ = *chosen;
  }
  return dialogFileName_;
}

bool ListEditing::Full(const ListBox& list) {
  if (list.count() < Protection::kMaxEntries) return false;
  messages_.Show(messages::ListFull(Protection::kMaxEntries), messages::kTitle);
  return true;
}

void ListEditing::Save(FileError (Protection::*save)(), const std::string& file) {
  const FileError error = (protection_.*save)();
  if (error != FileError::None) messages_.Show(messages::CouldNotSave(file, error), messages::kTitle);
}

void ListEditing::SafeAdd(const std::string& pathBoxText) {
  if (pathBoxText.empty() || Full(protection_.SafeList)) return;
  protection_.SafeList.items.push_back(pathBoxText);
  const FileError error = protection_.ProtectFile(pathBoxText);
  if (error != FileError::None) {
    protection_.SafeList.RemoveAt(protection_.SafeList.count() - 1);
    protection_.SafeHolds.RemoveAt(protection_.SafeHolds.count() - 1);
    messages_.Show(messages::CouldNotProtect(pathBoxText, error), messages::kTitle);
    return;
  }
  Save(&Protection::SaveSafeList, protection_.SafeListFile());
}

void ListEditing::EmergencyAdd(const std::string& pathBoxText) {
  if (pathBoxText.empty() || Full(protection_.EmergencyList)) return;
  protection_.EmergencyList.items.push_back(pathBoxText);
  Save(&Protection::SaveEmergencyList, protection_.EmergencyListFile());
}

void ListEditing::SafeRemove(int selectedIndex) {
  if (selectedIndex < 0 || selectedIndex >= protection_.SafeList.count()) return;
  protection_.Release(protection_.SafeHolds.items[static_cast<std::size_t>(selectedIndex)]);
  protection_.SafeList.RemoveAt(selectedIndex);
  protection_.SafeHolds.RemoveAt(selectedIndex);
  Save(&Protection::SaveSafeList, protection_.SafeListFile());
}

void ListEditing::EmergencyRemove(int selectedIndex) {
  if (selectedIndex < 0 || selectedIndex >= protection_.EmergencyList.count()) return;
  protection_.EmergencyList.RemoveAt(selectedIndex);
  Save(&Protection::SaveEmergencyList, protection_.EmergencyListFile());
}

}  // namespace fendrel
