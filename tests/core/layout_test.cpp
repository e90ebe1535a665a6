// The main window's layout table, checked by what must hold for any table:
// identifiers are unique, every control lies inside its container, visible
// controls of one container overlap only where one lies beneath the other
// by design, and every page can be reached from its menu item. Also the
// twips scaling, the backdrops of transparent controls and the font faces.
#include "screen/layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "screen/control_ids.h"

namespace fendrel {
namespace {

std::string NameOf(const ControlSpec& control) {
  return std::string(control.name) + " (" + std::to_string(control.id) + ")";
}

bool Overlap(const ControlSpec& a, const ControlSpec& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// What another control may lie on: labels (the window puts every label
// beneath the other controls of its container), frames and pictures.
bool LiesBeneath(const ControlSpec& control) {
  return control.kind == Kind::Label || control.kind == Kind::Frame || control.kind == Kind::Picture;
}

TEST(LayoutTest, TwipsBecomePixelsByTheResolution) {
  EXPECT_EQ(700, TwipsToPixels(kClientWidthTwips, 96));
  EXPECT_EQ(449, TwipsToPixels(kClientHeightTwips, 96));
  EXPECT_EQ(875, TwipsToPixels(kClientWidthTwips, 120));
  EXPECT_EQ(1050, TwipsToPixels(kClientWidthTwips, 144));
  EXPECT_EQ(92, TwipsToPixels(1385, 96));  // 92.33 rounds down
  EXPECT_EQ(17, TwipsToPixels(255, 96));   // 17.0
  EXPECT_EQ(0, TwipsToPixels(0, 144));
  EXPECT_EQ(518, TwipsToPixels(5175, 144));  // 517.5: a half pixel rounds up
}

TEST(LayoutTest, IdentifiersAndNamesAreUniqueAndContainersComeFirst) {
  std::set<int> ids;
  std::set<std::string> names;
  std::set<int> containersSeen;
  for (const ControlSpec& control : Controls()) {
    EXPECT_TRUE(ids.insert(control.id).second) << NameOf(control);
    // The menu items and the pages share a name each, as control arrays.
    const std::string name = control.name;
    if (name != "lblMenuItem" && name != "fraContent") {
      EXPECT_TRUE(names.insert(name).second) << NameOf(control);
    }
    if (control.kind == Kind::Frame && control.id != ctl::kPagePlace) {
      containersSeen.insert(control.id - ctl::kPageFrameBase);
    }
    if (control.id == ctl::kBanner) containersSeen.insert(kInBanner);
    if (control.container != kOnWindow) {
      EXPECT_TRUE(containersSeen.count(control.container))
          << NameOf(control) << " comes before its container";
    }
  }
}

TEST(LayoutTest, EveryShownControlLiesInsideItsContainer) {
  const ControlSpec& banner = *FindControl(ctl::kBanner);
  for (const ControlSpec& control : Controls()) {
    // The hidden number lists reach past the page's right edge; nobody sees them.
    if (control.Has(kHidden) && control.kind != Kind::Frame) continue;
    int width = kClientWidthTwips, height = kClientHeightTwips;
    if (control.container == kInBanner) {
      width = banner.width;
      height = banner.height;
    } else if (control.container != kOnWindow) {
      width = FramePosition().width;
      height = FramePosition().height;
    } else if (control.id == ctl::kBanner) {
      continue;  // a picture wider than the window, cut off at its edge
    }
    EXPECT_GE(control.left, 0) << NameOf(control);
    EXPECT_GE(control.top, 0) << NameOf(control);
    EXPECT_LE(control.left + control.width, width) << NameOf(control);
    EXPECT_LE(control.top + control.height, height) << NameOf(control);
  }
}

TEST(LayoutTest, ShownControlsOfOneContainerOverlapOnlyWhereOneLiesBeneath) {
  const auto controls = Controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlSpec& upper = controls[i];
    if (upper.Has(kHidden)) continue;
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const ControlSpec& lower = controls[j];  // later in the table is lower in the z-order
      if (lower.Has(kHidden) || lower.container != upper.container || !Overlap(upper, lower)) continue;
      EXPECT_TRUE(LiesBeneath(upper) || LiesBeneath(lower)) << NameOf(upper) << " overlaps " << NameOf(lower);
      // A frame or picture that others lie on comes after them in the table
      // (a label goes beneath it all the same).
      EXPECT_FALSE((upper.kind == Kind::Frame || upper.kind == Kind::Picture) && lower.kind != Kind::Label)
          << NameOf(upper) << " would cover " << NameOf(lower);
    }
  }
}

TEST(LayoutTest, PaintedPartsAreDecorationsBeneathEveryControlTheyTouch) {
  const auto controls = Controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlSpec& part = controls[i];
    // The banner is painted, so what lies in it can be no control window.
    if (part.container == kInBanner) {
      EXPECT_TRUE(part.Has(kPainted)) << NameOf(part);
    }
    if (!part.Has(kPainted)) continue;
    EXPECT_TRUE(part.kind == Kind::Label || part.kind == Kind::Picture || part.kind == Kind::Frame)
        << NameOf(part);
    EXPECT_FALSE(part.Has(kClickable) || part.Has(kHidden)) << NameOf(part) << " is painted: nobody uses it";
    EXPECT_TRUE(part.container == kOnWindow || part.container == kInBanner) << NameOf(part);
    // The window paints before its controls draw: a control after a painted
    // part in the table would lie beneath it, and cannot.
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const ControlSpec& lower = controls[j];
      EXPECT_FALSE(lower.container == part.container && !lower.Has(kPainted) && Overlap(part, lower))
          << NameOf(part) << " is painted, so it cannot lie above " << NameOf(lower);
    }
  }
}

TEST(LayoutTest, EveryPageIsReachedFromItsMenuItem) {
  for (const PageInfo& page : kPages) {
    const ControlSpec* frame = FindControl(ctl::PageFrame(page.index));
    ASSERT_NE(nullptr, frame) << page.frameCaption;
    EXPECT_EQ(Kind::Frame, frame->kind) << page.frameCaption;
    EXPECT_TRUE(frame->Has(kHidden)) << page.frameCaption << ": pages start hidden; the load step shows one";
    const ControlSpec* item = FindControl(ctl::MenuItem(page.index));
    ASSERT_NE(nullptr, item) << page.menuCaption;
    EXPECT_TRUE(item->Has(kClickable)) << page.menuCaption;
    EXPECT_EQ(page.index, ctl::MenuItemIndex(item->id)) << page.menuCaption;
    // New User is the one page without a shown item: the load step opens it
    // when no password is set.
    EXPECT_EQ(page.index == kNewUser, item->Has(kHidden)) << page.menuCaption;
  }
  EXPECT_EQ(nullptr, FindControl(ctl::MenuItem(5)));
  EXPECT_EQ(nullptr, FindControl(ctl::PageFrame(6)));
  EXPECT_EQ(-1, ctl::MenuItemIndex(ctl::kEmergencyButton));
}

TEST(LayoutTest, TransparentControlsShowWhatLiesBeneathThem) {
  EXPECT_EQ(kMenuGrey, Backdrop(*FindControl(ctl::kMenuTitle)));        // on the grey panel behind the menu
  EXPECT_EQ(kWhite, Backdrop(*FindControl(ctl::kSafeListNote)));        // on a white page
  EXPECT_EQ(std::nullopt, Backdrop(*FindControl(ctl::kVersionLabel)));  // on the banner picture
}

TEST(LayoutTest, MissingFacesHaveSubstitutes) {
  for (const char* face : {"Verdana", "Arial", "Lucida Console", "MS Sans Serif"}) {
    const auto candidates = FaceCandidates(face);
    ASSERT_GE(candidates.size(), 3u) << face;
    EXPECT_TRUE(std::string(face) == candidates[0] || std::string(face) == candidates[1]) << face;
  }
}

}  // namespace
}  // namespace fendrel
