#include "screen/navigation.h"

#include <limits>

namespace fendrel {

std::int16_t AccessLevel::AddAccessLevel(std::int16_t amount) {
  if (amount > 0) {
    const int raised = level_ + amount;
    level_ = static_cast<std::int16_t>(raised > std::numeric_limits<std::int16_t>::max()
                                           ? std::numeric_limits<std::int16_t>::max()
                                           : raised);
  }
  return level_;
}

std::int16_t LevelNeeded(int pageIndex) {
  const PageInfo* page = FindPage(pageIndex);
  return page ? page->levelNeeded : 0;
}

MenuColours ColoursOf(MenuState state) {
  switch (state) {
    case MenuState::Accessible: return {kMenuGrey, kBlack};
    case MenuState::NotAccessible: return {kMenuGrey, kMenuClosedText};
    case MenuState::Selected: return {kBannerBlue, kWhite};
  }
  return {kMenuGrey, kBlack};
}

FrameChoice SelectPage(int pageIndex, std::int16_t override, std::int16_t level) {
  FrameChoice choice;
  choice.page = pageIndex;
  choice.allowed = override == 1 || LevelNeeded(pageIndex) <= level;
  if (!choice.allowed) return choice;
  for (int index = 0; index <= kLastPage; ++index) {
    choice.menu[static_cast<std::size_t>(index)] =
        LevelNeeded(index) <= level ? MenuState::Accessible : MenuState::NotAccessible;
  }
  if (pageIndex >= 0 && pageIndex <= kLastPage) {
    choice.menu[static_cast<std::size_t>(pageIndex)] = MenuState::Selected;
  }
  return choice;
}

}  // namespace fendrel
