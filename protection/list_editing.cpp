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

struct ListEditing::ListCalls {
  ListKind kind;
  ListOutcome (Protection::*add)(const std::string&);
  bool (Protection::*remove)(int);
  const ListBox& (Protection::*list)() const;
  std::string (Protection::*file)() const;
  const char* name;
};

const ListEditing::ListCalls& ListEditing::CallsFor(ListKind list) {
  static constexpr ListCalls kSafe{
      ListKind::Safe,        &Protection::AddToSafeList, &Protection::RemoveFromSafeList,
      &Protection::safeList, &Protection::SafeListFile,  messages::kSafeListName};
  static constexpr ListCalls kEmergency{
      ListKind::Emergency,        &Protection::AddToEmergencyList, &Protection::RemoveFromEmergencyList,
      &Protection::emergencyList, &Protection::EmergencyListFile,  messages::kEmergencyListName};
  return list == ListKind::Safe ? kSafe : kEmergency;
}

std::optional<std::string> ListEditing::Save(const ListCalls& calls, const Protection::ListStep& step) {
  ListOutcome error = step.outcome();
  if (error == FileError::None) error = protection_.SaveList(calls.kind);
  if (error == FileError::None) return std::nullopt;
  return messages::CouldNotSave((protection_.*calls.file)(), error);
}

std::optional<int> ListEditing::ChosenAfterTakeIn(const ListCalls& calls, int chosen,
                                                  std::optional<std::string>& message) {
  const ListBox& list = (protection_.*calls.list)();
  if (chosen < 0 || chosen >= list.count()) return std::nullopt;
  const std::string path = list.items[static_cast<std::size_t>(chosen)];
  const auto sameBefore = std::count(list.items.begin(), list.items.begin() + chosen, path);
  if (!protection_.TakeInListFile(calls.kind)) return chosen;
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
    message = messages::EntryGone(path);
    return std::nullopt;
  }
  return found;
}

// Each edit reads the list file, changes the list and saves it in one step
// that no other copy interleaves with its own; its messages wait until the
// step is over, so no other copy waits on a box.
void ListEditing::Add(ListKind list, const std::string& pathBoxText) {
  if (pathBoxText.empty()) return;
  const ListCalls& calls = CallsFor(list);
  std::optional<std::string> message;
  {
    const Protection::ListStep step(protection_, calls.kind);
    // What another copy of Fendrel saved meanwhile is taken in first, so
    // this save keeps it.
    protection_.TakeInListFile(calls.kind);
    const ListOutcome error = (protection_.*calls.add)(pathBoxText);
    if (error == ListReason::TooManyEntries) {
      message = messages::ListFull(Protection::kMaxEntries);
    } else if (error != FileError::None) {  // only the safe list holds, so only it is refused a path
      message = messages::CouldNotProtect(pathBoxText, error);
    } else {
      message = Save(calls, step);
    }
  }
  if (message) messages_.Show(*message, messages::kTitle);
}

void ListEditing::Remove(ListKind list, int selectedIndex) {
  const ListCalls& calls = CallsFor(list);
  std::optional<std::string> message;
  {
    const Protection::ListStep step(protection_, calls.kind);
    const std::optional<int> index = ChosenAfterTakeIn(calls, selectedIndex, message);
    if (index && (protection_.*calls.remove)(*index)) message = Save(calls, step);
  }
  if (message) messages_.Show(*message, messages::kTitle);
}

void ListEditing::AddDropped(ListKind list, const std::vector<DroppedFile>& files) {
  if (files.empty()) return;
  const ListCalls& calls = CallsFor(list);
  std::vector<EntryFailure> failures;
  bool anyAdded = false;
  std::optional<std::string> saveFailure;
  {
    const Protection::ListStep step(protection_, calls.kind);
    protection_.TakeInListFile(calls.kind);
    for (const DroppedFile& dropped : files) {
      if (dropped.path.empty()) continue;
      // A folder becomes a folder entry; one that is never held is refused with its reason.
      const ListOutcome error = (protection_.*calls.add)(dropped.path);
      if (error != FileError::None) {
        failures.push_back({dropped.path, error});
        continue;
      }
      anyAdded = true;
    }
    // One save for the whole drop: a failure is told once.
    if (anyAdded) saveFailure = Save(calls, step);
  }
  if (!failures.empty()) {
    messages_.Show(messages::DroppedFilesNotAdded(calls.name, failures, anyAdded), messages::kTitle);
  }
  if (saveFailure) messages_.Show(*saveFailure, messages::kTitle);
}

}  // namespace fendrel
