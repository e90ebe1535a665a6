// The buttons of the two list pages: browse, add and remove, on the safe
// list (which holds its files) and the emergency list (which only lists).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/file_picker.h"
#include "platform/message_boxes.h"
#include "protection/protection.h"

namespace fendrel {

// A file or folder dropped on a list page, as the system named it.
struct DroppedFile {
  std::string path;
};

class ListEditing {
 public:
  ListEditing(Protection& protection, MessageBoxes& messages, FilePicker& picker)
      : protection_(protection), messages_(messages), picker_(picker) {}

  // `kSafeBrowseButton`, `kEmergencyBrowseButton`: the text for the page's path box. One dialog
  // serves both pages and keeps the name chosen last; a cancel returns it.
  std::string Browse();

  // ">>> Add": lists and saves; the safe list also holds, so a path that
  // cannot be held is not listed, the person is told why and the list file
  // is left as it was. Emergency entries are held only by the emergency
  // action. A full list says so.
  void Add(ListKind list, const std::string& pathBoxText);
  // "<<< Remove": removes the chosen entry and saves. A safe-list entry's
  // hold is released; an emergency hold stays until "No Emergency". Nothing
  // happens without a selection.
  void Remove(ListKind list, int selectedIndex);
  // Files dropped on a list page: each added in order as ">>> Add" adds it
  // (a folder as a folder entry), and the list saved once after the last. One
  // message names every file not added and why, and one a failed save.
  void AddDropped(ListKind list, const std::vector<DroppedFile>& files);

 private:
  // The save at the end of an edit's step; the message for a failure.
  std::optional<std::string> Save(ListKind list, const Protection::ListStep& step);
  // The entry the person chose, found again by its path once the list file
  // is taken in (another copy may have changed it); nothing when there is
  // none, and when it is no longer listed the message that says so.
  std::optional<int> ChosenAfterTakeIn(ListKind list, int chosen, std::optional<std::string>& message);

  Protection& protection_;
  MessageBoxes& messages_;
  FilePicker& picker_;
  std::string dialogFileName_;  // the common dialog's file name
};

}  // namespace fendrel
