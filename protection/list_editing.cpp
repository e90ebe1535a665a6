#include "protection/list_editing.h"

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

namespace {

const char* ListName(ListKind list) {
  return list == ListKind::Safe ? messages::kSafeListName : messages::kEmergencyListName;
}

}  // namespace

std::optional<std::string> ListEditing::Save(ListKind list, const Protection::ListStep& step) {
  ListOutcome error = step.outcome();
  if (error == FileError::None) error = protection_.SaveList(list);
  if (error == FileError::None) return std::nullopt;
  return messages::CouldNotSave(protection_.ListFile(list), error);
}

std::optional<int> ListEditing::ChosenAfterTakeIn(ListKind list, int chosen,
                                                  std::optional<std::string>& message) {
  if (chosen < 0 || chosen >= protection_.EntryCount(list)) return std::nullopt;
  const std::string path = protection_.Path(list, chosen);
  int sameBefore = 0;
  for (int i = 0; i < chosen; ++i) sameBefore += protection_.Path(list, i) == path ? 1 : 0;
  if (!protection_.TakeInListFile(list)) return chosen;
  // The list is the file's now: the same path again, at the same place
  // among its repeats where it can be.
  int found = -1;
  int seen = 0;
  for (int i = 0; i < protection_.EntryCount(list); ++i) {
    if (protection_.Path(list, i) != path) continue;
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
  std::optional<std::string> message;
  {
    const Protection::ListStep step(protection_, list);
    // What another copy of Fendrel saved meanwhile is taken in first, so
    // this save keeps it.
    protection_.TakeInListFile(list);
    const ListOutcome error = protection_.Add(list, pathBoxText);
    if (error == ListReason::TooManyEntries) {
      message = messages::ListFull(Protection::kMaxEntries);
    } else if (error != FileError::None) {  // only the safe list holds, so only it is refused a path
      message = messages::CouldNotProtect(pathBoxText, error);
    } else {
      message = Save(list, step);
    }
  }
  if (message) messages_.Show(*message, messages::kTitle);
}

void ListEditing::Remove(ListKind list, int selectedIndex) {
  std::optional<std::string> message;
  {
    const Protection::ListStep step(protection_, list);
    const std::optional<int> index = ChosenAfterTakeIn(list, selectedIndex, message);
    if (index && protection_.Remove(list, *index)) message = Save(list, step);
  }
  if (message) messages_.Show(*message, messages::kTitle);
}

void ListEditing::AddDropped(ListKind list, const std::vector<DroppedFile>& files) {
  if (files.empty()) return;
  std::vector<EntryFailure> failures;
  bool anyAdded = false;
  std::optional<std::string> saveFailure;
  {
    const Protection::ListStep step(protection_, list);
    protection_.TakeInListFile(list);
    for (const DroppedFile& dropped : files) {
      if (dropped.path.empty()) continue;
      // A folder becomes a folder entry; one that is never held is refused with its reason.
      const ListOutcome error = protection_.Add(list, dropped.path);
      if (error != FileError::None) {
        failures.push_back({dropped.path, error});
        continue;
      }
      anyAdded = true;
    }
    // One save for the whole drop: a failure is told once.
    if (anyAdded) saveFailure = Save(list, step);
  }
  if (!failures.empty()) {
    messages_.Show(messages::DroppedFilesNotAdded(ListName(list), failures, anyAdded), messages::kTitle);
  }
  if (saveFailure) messages_.Show(*saveFailure, messages::kTitle);
}

}  // namespace fendrel
