#include "screen/page_walk.h"

#include <vector>

#include "screen/control_ids.h"
#include "screen/layout.h"
#include "screen/navigation.h"

namespace fendrel {

std::optional<int> PageWalk(int shownPage, WalkDirection direction, std::int16_t level) {
  std::vector<int> open;
  for (const PageInfo& page : kPages) {
    const ControlSpec* item = FindControl(ctl::MenuItem(page.index));
    if (item && !item->Has(kHidden) && page.levelNeeded <= level) open.push_back(page.index);
  }
  if (open.empty()) return std::nullopt;
  std::size_t at = 0;
  while (at < open.size() && open[at] != shownPage) ++at;
  const std::size_t count = open.size();
  if (at == count) return open.front();
  return open[direction == WalkDirection::Next ? (at + 1) % count : (at + count - 1) % count];
}

}  // namespace fendrel
