// The access level and the page switch's decisions: which pages a level
// opens, what the override does, how the menu is coloured, and where the
// keyboard's page walk goes.
#include "screen/navigation.h"

#include <gtest/gtest.h>

#include <set>

#include "screen/page_walk.h"

namespace fendrel {
namespace {

std::set<int> PagesOpenAt(std::int16_t level) {
  std::set<int> open;
  for (const PageInfo& page : kPages) {
    if (SelectPage(page.index, 0, level).allowed) open.insert(page.index);
  }
  return open;
}

TEST(NavigationTest, EachLevelOpensItsPagesAndOnlyThem) {
  EXPECT_EQ((std::set<int>{}), PagesOpenAt(0));  // a silent start before any login
  EXPECT_EQ((std::set<int>{kWelcome, kAbout, kNewUser, kCloseProgram}), PagesOpenAt(1));
  EXPECT_EQ((std::set<int>{kWelcome, kAbout, kPassword, kNewUser, kCloseProgram}), PagesOpenAt(2));
  EXPECT_EQ((std::set<int>{kWelcome, kMain, kEmergencyList, kAbout, kPassword, kNewUser, kCloseProgram}),
            PagesOpenAt(3));
  EXPECT_EQ(0, LevelNeeded(-1));
  EXPECT_EQ(0, LevelNeeded(5));
  EXPECT_EQ(0, LevelNeeded(9));
}

TEST(NavigationTest, OnlyAnOverrideOfExactlyOneSkipsTheCheckAndTheChosenItemIsHighlighted) {
  const FrameChoice forced = SelectPage(kNewUser, 1, 0);
  ASSERT_TRUE(forced.allowed);
  EXPECT_EQ(MenuState::Selected, forced.menu[kNewUser]);
  EXPECT_EQ(MenuState::NotAccessible, forced.menu[kWelcome]);
  EXPECT_FALSE(SelectPage(kMain, 2, 2).allowed);
  EXPECT_FALSE(SelectPage(kMain, -1, 2).allowed);

  const FrameChoice shown = SelectPage(kWelcome, 0, 2);
  EXPECT_EQ(MenuState::Selected, shown.menu[kWelcome]);
  EXPECT_EQ(MenuState::NotAccessible, shown.menu[kMain]);
  EXPECT_EQ(MenuState::Accessible, shown.menu[kPassword]);
  EXPECT_EQ((Rgb{255, 255, 255}), ColoursOf(MenuState::Selected).text);
  EXPECT_EQ((Rgb{192, 192, 192}), ColoursOf(MenuState::NotAccessible).text);
}

TEST(NavigationTest, TheLevelOnlyGrowsAndStopsAtTheLargest16BitValue) {
  AccessLevel access;
  EXPECT_EQ(0, access.AddAccessLevel(0));
  EXPECT_EQ(2, access.AddAccessLevel(2));
  EXPECT_EQ(2, access.AddAccessLevel(-5));  // no amount lowers it
  EXPECT_EQ(32767, access.AddAccessLevel(32767));
  EXPECT_EQ(32767, access.AddAccessLevel(1));  // never wraps to a negative level
}

TEST(PageWalkTest, GoesRoundThePagesTheLevelOpensWhoseMenuItemShows) {
  // Level 2 opens Welcome, About, Password and Close Program, in page order.
  EXPECT_EQ(kAbout, PageWalk(kWelcome, WalkDirection::Next, 2));
  EXPECT_EQ(kCloseProgram, PageWalk(kPassword, WalkDirection::Next, 2));
  EXPECT_EQ(kWelcome, PageWalk(kCloseProgram, WalkDirection::Next, 2));
  EXPECT_EQ(kCloseProgram, PageWalk(kWelcome, WalkDirection::Previous, 2));
  EXPECT_EQ(kMain, PageWalk(kWelcome, WalkDirection::Next, 3));
  EXPECT_EQ(kEmergencyList, PageWalk(kAbout, WalkDirection::Previous, 3));
  // New User's menu item is hidden: the walk never opens it, and from it
  // the walk starts at the first page, as from no page at all.
  EXPECT_EQ(kCloseProgram, PageWalk(kPassword, WalkDirection::Next, 32767));
  EXPECT_EQ(kWelcome, PageWalk(kNewUser, WalkDirection::Previous, 3));
  EXPECT_EQ(kWelcome, PageWalk(-1, WalkDirection::Next, 1));
  EXPECT_EQ(std::nullopt, PageWalk(kWelcome, WalkDirection::Next, 0));  // a silent start before a login
}

TEST(PageWalkTest, BackwardUndoesForwardAndWrapsWhateverTheNumberOfPagesOpen) {
  // Levels 1, 2 and 3 open 3, 4 and 6 pages; from the first, back is the last.
  for (const std::int16_t level : {1, 2, 3}) {
    SCOPED_TRACE("level " + std::to_string(level));
    EXPECT_EQ(kCloseProgram, PageWalk(kWelcome, WalkDirection::Previous, level));
    for (const PageInfo& page : kPages) {
      if (page.levelNeeded > level || page.index == kNewUser) continue;  // not on the walk
      const std::optional<int> next = PageWalk(page.index, WalkDirection::Next, level);
      ASSERT_TRUE(next);
      EXPECT_EQ(page.index, PageWalk(*next, WalkDirection::Previous, level)) << "from page " << page.index;
    }
  }
}

}  // namespace
}  // namespace fendrel
