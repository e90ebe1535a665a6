// The access level and the page switch's decisions: which pages a level
// opens, what the override does, and how the menu is coloured.
#include "ui/navigation.h"

#include <gtest/gtest.h>

#include <set>

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

}  // namespace
}  // namespace fendrel
