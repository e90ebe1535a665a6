// The two list pages as data: the safe list and the emergency list pages
// have the same controls at the same places, differing only in their names,
// identifiers and the list their buttons and drops edit. The layout table
// makes their rows from this table, and one list page class serves both.
#pragma once

#include "lists/list_kind.h"
#include "screen/control_ids.h"
#include "screen/navigation.h"

namespace fendrel {

struct ListPageSpec {
  ListKind kind;         // the list its buttons, drops and entries are
  int page;              // its index in kPages
  const char* names[6];  // the layout's names of the rows below, in their order
  int fileLabel, pathBox, browseButton, addButton, removeButton;
  int listBox;      // the visible list, drawn entry by entry by its states
  int holdNumbers;  // the hidden list of each entry's hold number
};

inline constexpr ListPageSpec kListPages[] = {
    {ListKind::Safe,
     kMain,
     {"Label30", "txtSafeAdd", "cmdSafeDot", "cmdSafeAdd", "cmdSafeRem", "SafeList"},
     ctl::kSafeFileLabel,
     ctl::kSafePathBox,
     ctl::kSafeBrowseButton,
     ctl::kSafeAddButton,
     ctl::kSafeRemoveButton,
     ctl::kSafeListBox,
     ctl::kSafeHoldNumbers},
    {ListKind::Emergency,
     kEmergencyList,
     {"Label1", "txtEAdd", "cmdEDot", "cmdEAdd", "cmdERem", "EmerList"},
     ctl::kEmergencyFileLabel,
     ctl::kEmergencyPathBox,
     ctl::kEmergencyBrowseButton,
     ctl::kEmergencyAddButton,
     ctl::kEmergencyRemoveButton,
     ctl::kEmergencyListBox,
     ctl::kEmergencyHoldNumbers},
};

}  // namespace fendrel
