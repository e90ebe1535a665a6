// The two list pages as data: the safe list (whose files are held while
// listed) and the emergency list (held only in an emergency) differ only in
// their controls and in the core operations their buttons call, so one
// ListPage serves both, each with its row of this table.
#pragma once

#include <string>
#include <vector>

#include "protection/entry_state.h"
#include "protection/list_editing.h"
#include "protection/protection.h"
#include "screen/control_ids.h"
#include "screen/navigation.h"

namespace fendrel {

struct ListPageIds {
  int page;  // its index in kPages
  int pathBox, browseButton, addButton, removeButton;
  int listBox;      // the visible list, drawn entry by entry by its states
  int holdNumbers;  // the hidden list of each entry's hold number
  ListKind kind;    // the list its buttons and drops edit
  // The core's list and holds it shows, and its entries' states.
  const ListBox& (Protection::*list)() const;
  const HoldList& (Protection::*holds)() const;
  std::vector<EntryState> ListStates::*states;
};

inline constexpr ListPageIds kListPages[] = {
    {kMain, ctl::kSafePathBox, ctl::kSafeBrowseButton, ctl::kSafeAddButton, ctl::kSafeRemoveButton,
     ctl::kSafeListBox, ctl::kSafeHoldNumbers, ListKind::Safe, &Protection::safeList, &Protection::safeHolds,
     &ListStates::safe},
    {kEmergencyList, ctl::kEmergencyPathBox, ctl::kEmergencyBrowseButton, ctl::kEmergencyAddButton,
     ctl::kEmergencyRemoveButton, ctl::kEmergencyListBox, ctl::kEmergencyHoldNumbers, ListKind::Emergency,
     &Protection::emergencyList, &Protection::emergencyHolds, &ListStates::emergency},
};

}  // namespace fendrel
