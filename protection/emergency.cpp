#include "protection/emergency.h"

#include "ui/messages.h"

namespace fendrel {

void EmergencyMode::Emergency() {
  ListBox& list = protection_.EmergencyList;
  if (list.items.empty()) {
    messages_.Show(messages::kEmptyEmergencyList, messages::kTitleError);
    return;
  }
  std::vector<messages::FailedHold> failures;
  bool anyHeld = false;
  // The walk goes by index and leaves the person's selection where it was:
  // a "<<< Remove" after the action must remove the entry they chose.
  for (int i = 0; i < list.count(); ++i) {
    const std::string& path = list.items[static_cast<std::size_t>(i)];
    const FileError error = protection_.HoldEmergencyFile(path);
    if (error == FileError::None) {
      anyHeld = true;
    } else {
      failures.push_back({path, error});
    }
  }
  protection_.EmergencyHolds.selected = protection_.EmergencyHolds.count() - 1;
  if (anyHeld) on_ = true;
  if (!failures.empty()) messages_.Show(messages::EmergencyHoldsFailed(failures, anyHeld), messages::kTitle);
}

void EmergencyMode::NoEmergency() {
  ListBox& rows = protection_.EmergencyHolds;
  for (int i = 0; i < rows.count(); ++i) {
    rows.selected = i;
    protection_.Release(rows.items[static_cast<std::size_t>(i)]);
  }
  on_ = false;
}

}  // namespace fendrel
