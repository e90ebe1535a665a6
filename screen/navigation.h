// The pages of the main window, the access level that gates them, and the
// page switch's decisions: which page may open and how the menu is coloured.
// The window paints what these decide.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "screen/colours.h"
#include "screen/messages.h"

namespace fendrel {

// Page indexes, shared by the menu items and the page frames.
enum Page : int {
  kWelcome = 0,
  kMain = 1,  // the safe list
  kEmergencyList = 2,
  kAbout = 3,
  kPassword = 4,
  kNewUser = 7,
  kCloseProgram = 8,
};

struct PageInfo {
  int index;
  const char* frameCaption;
  const char* menuCaption;
  std::int16_t levelNeeded;
};

// One row per page, in index order.
inline constexpr std::array<PageInfo, 7> kPages{{
    {kWelcome, messages::kWelcomePage, messages::kWelcomeMenuItem, 1},
    {kMain, messages::kSafeListPage, messages::kSafeListMenuItem, 3},
    {kEmergencyList, messages::kEmergencyListPage, messages::kEmergencyListMenuItem, 3},
    {kAbout, messages::kAboutPage, messages::kAboutMenuItem, 1},
    {kPassword, messages::kPasswordPage, messages::kPasswordMenuItem, 2},
    {kNewUser, messages::kNewUserPage, messages::kNewUserMenuItem, 1},
    {kCloseProgram, messages::kCloseProgramPage, messages::kCloseProgramMenuItem, 1},
}};

// The highest page index; indexes 5 and 6 have no page.
inline constexpr int kLastPage = 8;

// The page's row, or null for an index without a page.
constexpr const PageInfo* FindPage(int index) {
  for (const PageInfo& page : kPages) {
    if (page.index == index) return &page;
  }
  return nullptr;
}

// The process's access level: 0 at start, raised by the normal start, by
// each login and by a new password; it never falls and never wraps.
class AccessLevel {
 public:
  // Adds a positive amount (keeping 32767 at most) and returns the level;
  // any other amount only reads it.
  std::int16_t AddAccessLevel(std::int16_t amount);
  std::int16_t Level() const { return level_; }

 private:
  std::int16_t level_ = 0;
};

// The level a page needs; 0 for an index outside 0 to 8.
std::int16_t LevelNeeded(int pageIndex);

enum class MenuState { Accessible, NotAccessible, Selected };

struct MenuColours {
  Rgb background;
  Rgb text;
};

// The three looks of a menu item; the items start with the accessible look.
MenuColours ColoursOf(MenuState state);

// What the page switch decided. A refusal changes nothing on the window:
// the caller shows the "please login" message.
struct FrameChoice {
  bool allowed = false;
  int page = 0;
  // The state of each menu item by page index (5 and 6 unused).
  std::array<MenuState, kLastPage + 1> menu{};
};

// The page switch: `override` exactly 1 skips the access check.
FrameChoice SelectPage(int pageIndex, std::int16_t override, std::int16_t level);

}  // namespace fendrel
