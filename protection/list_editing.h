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

// A file dropped on a list page, and whether it is a folder (which no list takes).
struct DroppedFile {
  std::string path;
  bool folder = false;
};

class ListEditing {
 public:
  ListEditing(Protection& protection, MessageBoxes& messages, FilePicker& picker)
      : protection_(protection), messages_(messages), picker_(picker) {}

  // `kSafeBrowseButton`, `kEmergencyBrowseButton`: the text for the page's path box. One dialog
  // serves both pages and keeps the name chosen last; a cancel returns it.
  std::string Browse();

  // `kSafeAddButton`: lists, holds and saves. A path that cannot be held is
  // not listed and the user is told why; "prot.dat" is then left as it was.
  // A full list says so.
  void SafeAdd(const std::string& pathBoxText);
  // `kEmergencyAddButton`: lists and saves; nothing is held until the
  // emergency action. A full list says so.
  void EmergencyAdd(const std::string& pathBoxText);
  // `kSafeRemoveButton`: releases the entry's hold, removes it and saves. Nothing
  // happens without a selection.
  void SafeRemove(int selectedIndex);
  // `kEmergencyRemoveButton`: removes and saves; an emergency hold stays until released.
  void EmergencyRemove(int selectedIndex);

  // Files dropped on the Safe List or the Emergency List page: each added
  // in order as ">>> Add" adds it, the list saved after each; folders are
  // refused. One message names every file not added and why, and a save
  // that failed is told once, after the last add.
  void SafeAddDropped(const std::vector<DroppedFile>& files);
  void EmergencyAddDropped(const std::vector<DroppedFile>& files);

 private:
  void Save(ListOutcome (Protection::*save)(), const std::string& file);
  void AddDropped(const std::vector<DroppedFile>& files, ListOutcome (Protection::*add)(const std::string&),
                  ListOutcome (Protection::*save)(), bool (Protection::*takeIn)(), const std::string& file,
                  const char* listName);
  // The entry the person chose, found again by its path once the list file
  // is taken in (another copy may have changed it); nothing, after telling
  // the person, when it is no longer listed.
  std::optional<int> ChosenAfterTakeIn(const ListBox& list, int chosen, bool (Protection::*takeIn)());

  Protection& protection_;
  MessageBoxes& messages_;
  FilePicker& picker_;
  std::string dialogFileName_;  // the common dialog's file name
};

}  // namespace fendrel
