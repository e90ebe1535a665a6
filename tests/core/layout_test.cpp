// The main window's layout table: every page fits its place, every page has
// its frame and menu item, identifiers are unique, the texts are the
// program's own.
#include "ui/layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/control_ids.h"
#include "ui/messages.h"

namespace fendrel {
namespace {

const ControlSpec& Get(int id) {
  const ControlSpec* control = FindControl(id);
  EXPECT_NE(nullptr, control) << id;
  static const ControlSpec kNone{};
  return control ? *control : kNone;
}

TEST(LayoutTest, TwipsBecomePixelsByTheResolution) {
  EXPECT_EQ(700, TwipsToPixels(kClientWidthTwips, 96));
  EXPECT_EQ(449, TwipsToPixels(kClientHeightTwips, 96));
  EXPECT_EQ(172, TwipsToPixels(2580, 96));
  EXPECT_EQ(521, TwipsToPixels(7815, 96));
  EXPECT_EQ(875, TwipsToPixels(kClientWidthTwips, 120));
  EXPECT_EQ(1050, TwipsToPixels(kClientWidthTwips, 144));
  EXPECT_EQ(92, TwipsToPixels(1385, 96));  // 92.33 rounds down
  EXPECT_EQ(17, TwipsToPixels(255, 96));   // 17.0
  EXPECT_EQ(8, TwipsToPixels(120, 96));
  EXPECT_EQ(0, TwipsToPixels(0, 144));
  EXPECT_EQ(518, TwipsToPixels(5175, 144));  // 517.5: a half pixel rounds up
}

TEST(LayoutTest, IdentifiersAndNamesAreUniqueAndContainersComeFirst) {
  std::set<int> ids;
  std::set<std::string> names;
  std::set<int> containersSeen;
  for (const ControlSpec& control : Controls()) {
    EXPECT_TRUE(ids.insert(control.id).second) << control.name;
    const bool array =
        std::string(control.name) == "lblMenuItem" || std::string(control.name) == "fraContent";
    if (!array) {
      EXPECT_TRUE(names.insert(control.name).second) << control.name;
    }
    if (control.kind == Kind::Frame && control.id != ctl::kPagePlace) {
      containersSeen.insert(control.id - ctl::kPageFrameBase);
    }
    if (control.id == ctl::kBanner) containersSeen.insert(kInPicture3);
    if (control.container != kOnWindow) {
      EXPECT_TRUE(containersSeen.count(control.container)) << control.name << " comes before its container";
    }
  }
}

TEST(LayoutTest, EveryPageHasAFrameAndAMenuItemWithItsCaptions) {
  for (const PageInfo& page : kPages) {
    const ControlSpec& frame = Get(ctl::PageFrame(page.index));
    EXPECT_EQ(Kind::Frame, frame.kind);
    EXPECT_STREQ(page.frameCaption, frame.caption);
    EXPECT_TRUE(frame.Has(kHidden)) << "pages start hidden; the load step shows one";
    const ControlSpec& item = Get(ctl::MenuItem(page.index));
    EXPECT_EQ(Kind::Label, item.kind);
    EXPECT_STREQ(page.menuCaption, item.caption);
    EXPECT_TRUE(item.Has(kClickable));
    EXPECT_EQ(kMenuGrey, item.back);
    EXPECT_EQ(kBlack, item.text);
    EXPECT_EQ(page.index == kNewUser, item.Has(kHidden)) << page.menuCaption;
  }
  EXPECT_EQ(nullptr, FindControl(ctl::MenuItem(5)));
  EXPECT_EQ(nullptr, FindControl(ctl::PageFrame(6)));
  EXPECT_EQ(kCloseProgram, ctl::MenuItemIndex(ctl::MenuItem(kCloseProgram)));
  EXPECT_EQ(-1, ctl::MenuItemIndex(ctl::kEmergencyButton));
}

TEST(LayoutTest, EveryControlOnAPageFitsInsideThePlaceOfThePages) {
  const ControlSpec& pos = FramePosition();
  EXPECT_EQ(2580, pos.left);
  EXPECT_EQ(1440, pos.top);
  EXPECT_EQ(7815, pos.width);
  EXPECT_EQ(5175, pos.height);
  int onPages = 0;
  for (const ControlSpec& control : Controls()) {
    if (control.container < 0) continue;
    ++onPages;
    // The hidden number lists reach past the page's right edge; nobody sees them.
    if (control.Has(kHidden)) continue;
    EXPECT_GE(control.left, 0) << control.name;
    EXPECT_GE(control.top, 0) << control.name;
    EXPECT_LE(control.left + control.width, pos.width) << control.name;
    EXPECT_LE(control.top + control.height, pos.height) << control.name;
  }
  EXPECT_EQ(45, onPages);  // the controls of the seven page tables
  for (const ControlSpec& control : Controls()) {
    if (control.container != kOnWindow || control.Has(kHidden) || control.id == ctl::kBanner) continue;
    EXPECT_LE(control.left + control.width, kClientWidthTwips) << control.name;
    EXPECT_LE(control.top + control.height, kClientHeightTwips) << control.name;
  }
}

TEST(LayoutTest, CaptionsAreTheProgramsOwnTexts) {
  EXPECT_STREQ("Items on the safe list are always protected. ", Get(ctl::kSafeListNote).caption);
  EXPECT_STREQ("Close Fendrel && Make Files Vunerable", Get(ctl::kCloseProgramButton).caption);
  EXPECT_NE(std::string::npos,
            std::string(Get(ctl::kEmergencyListNote).caption).find("incase you notice a virus beggining"));
  EXPECT_NE(std::string::npos, std::string(Get(ctl::kCloseNote).caption).find("to become vunerable. If"));
  EXPECT_STREQ("1.0", Get(ctl::kVersionLabel).caption);
  EXPECT_STREQ("M E N U", Get(ctl::kMenuTitle).caption);
  EXPECT_STREQ(messages::kProductWebSite, Get(ctl::kWebLink).caption);
  EXPECT_STREQ("", Get(ctl::kOnOffSwitch).caption);
  EXPECT_STREQ("", Get(ctl::kSafePathBox).caption);
  EXPECT_FALSE(std::string(Get(ctl::kTermsOfUse).caption).empty());
}

TEST(LayoutTest, InitialStatesAndLooks) {
  EXPECT_FALSE(Get(ctl::kEmergencyButton).Has(kDisabled));
  EXPECT_TRUE(Get(ctl::kNoEmergencyButton).Has(kDisabled));
  EXPECT_FALSE(Get(ctl::kEmergencyButton).Has(kWhiteButton));
  EXPECT_TRUE(Get(ctl::kCloseProgramButton).Has(kWhiteButton));
  EXPECT_TRUE(Get(ctl::kSafePathBox).Has(kReadOnly));
  EXPECT_TRUE(Get(ctl::kEmergencyPathBox).Has(kReadOnly));
  EXPECT_TRUE(Get(ctl::kSafeHoldNumbers).Has(kHidden));
  EXPECT_TRUE(Get(ctl::kEmergencyHoldNumbers).Has(kHidden));
  EXPECT_FALSE(Get(ctl::kSafeListBox).Has(kHidden));
  EXPECT_EQ(Kind::PasswordBox, Get(ctl::kClosePasswordBox).kind);
  EXPECT_EQ(Kind::MultiLineText, Get(ctl::kTermsOfUse).kind);
  const ControlSpec& version = Get(ctl::kVersionLabel);
  EXPECT_EQ(kInPicture3, version.container);
  EXPECT_STREQ("Lucida Console", version.font.face);
  EXPECT_EQ(1575, version.font.hundredthsOfPoint);
  EXPECT_EQ((Rgb{146, 187, 219}), version.text);
  const ControlSpec& link = Get(ctl::kWebLink);
  EXPECT_TRUE(link.font.underline);
  EXPECT_EQ((Rgb{0, 0, 255}), link.text);
  const ControlSpec& closeItem = Get(ctl::MenuItem(kCloseProgram));
  EXPECT_EQ(1200, closeItem.font.hundredthsOfPoint);
  EXPECT_TRUE(closeItem.Has(kCentred));
  EXPECT_EQ((Rgb{0, 128, 0}), Get(ctl::kOnOffSwitch).text);
}

TEST(LayoutTest, TransparentControlsShowWhatLiesBeneathThem) {
  EXPECT_EQ(kMenuGrey, Backdrop(Get(ctl::kMenuTitle)));        // on the grey panel behind the menu
  EXPECT_EQ(kWhite, Backdrop(Get(ctl::kSafeListNote)));        // on a white page
  EXPECT_EQ(std::nullopt, Backdrop(Get(ctl::kVersionLabel)));  // on the banner picture
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
