// Ctrl+PgDn and Ctrl+PgUp: the keyboard's walk through the pages.
#pragma once

#include <cstdint>
#include <optional>

namespace fendrel {

enum class WalkDirection { Next, Previous };

// The page the walk opens from `shownPage`. It goes through the pages whose
// menu item shows and whose level `level` reaches, in page order, round
// from the last to the first; from a page outside them (or none) it opens
// the first of them whichever the direction. Nothing when the level opens
// none of them.
std::optional<int> PageWalk(int shownPage, WalkDirection direction, std::int16_t level);

}  // namespace fendrel
