// A list control's content as the core keeps it: the rows in order and the
// selected index (-1 for none). The window mirrors it.
#pragma once

#include <string>
#include <vector>

namespace fendrel {

template <typename Row>
struct ListRows {
  std::vector<Row> items;
  int selected = -1;

  int count() const { return static_cast<int>(items.size()); }
  bool HasSelection() const { return selected >= 0 && selected < count(); }
  // Removes one row; the selection stays on the row it was on, or goes
  // when that row is the one removed.
  void RemoveAt(int index) {
    if (index < 0 || index >= count()) return;
    items.erase(items.begin() + index);
    if (selected == index) {
      selected = -1;
    } else if (selected > index) {
      --selected;
    }
  }
};

// The paths of a list, as the person sees them.
using ListBox = ListRows<std::string>;
// The hold numbers of a list: the file numbers its files are held open
// under, 0 for an entry that is not held.
using HoldList = ListRows<int>;

}  // namespace fendrel
