// A list control's content as the core keeps it: the entries in order and
// the selected index (-1 for none). The window mirrors it.
#pragma once

#include <string>
#include <vector>

namespace fendrel {

struct ListBox {
  std::vector<std::string> items;
  int selected = -1;

  int count() const { return static_cast<int>(items.size()); }
  bool HasSelection() const { return selected >= 0 && selected < count(); }
  void RemoveAt(int index);
};

}  // namespace fendrel
