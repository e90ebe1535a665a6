// The tray: the icon that stands for the hidden window, its messages, and
// the pop-up menu with its items.
#include <gtest/gtest.h>

#include "screen/messages.h"
#include "tests/win32/form1_fixture_win.h"

namespace fendrel {
namespace {

using testing::NotificationArea;
using testing::TextOf;

class TrayTest : public testing::Form1Test {};

TEST_F(TrayTest, TheTrayIconStandsForTheHiddenWindowAndAnswersOnlyItsOwnMessage) {
  Start(2);
  ShowWindow(form_->hwnd(), SW_SHOWNORMAL);
  SendMessageA(form_->hwnd(), WM_CLOSE, 0, 0);
  ASSERT_FALSE(IsWindowVisible(form_->hwnd()));
  const NOTIFYICONDATAW& record = form_->tray().data();
  EXPECT_EQ(NOTIFYICONDATAW_V1_SIZE, record.cbSize);
  const std::size_t room = std::size(record.szTip);
  EXPECT_EQ(std::wstring(room - 9, L' '), std::wstring(record.szTip + 8, room - 9));
  EXPECT_TRUE(form_->tray().InTray());
  const NotificationArea::Icon ours{form_->hwnd(), 1};
  EXPECT_EQ(std::set{ours}, shell_.icons) << "one icon added";
  // The shell shows the picture and the tip, and sends the window the icon's clicks.
  EXPECT_TRUE(shell_.shown[ours].picture);
  EXPECT_EQ(L"Fendrel", shell_.shown[ours].tip);
  EXPECT_EQ(kTrayMessage, shell_.shown[ours].callback);

  // A second hide asks for the icon again: the shell refuses the add and one icon stays.
  form_->HideForm();
  EXPECT_TRUE(form_->tray().InTray());
  EXPECT_EQ(std::set{ours}, shell_.icons);

  // A drag over the window is a pointer move, never a tray double-click or right-click.
  SendMessageA(form_->hwnd(), WM_MOUSEMOVE, 1, MAKELPARAM(WM_LBUTTONDBLCLK, 0));
  SendMessageA(form_->hwnd(), WM_MOUSEMOVE, 1, MAKELPARAM(WM_RBUTTONUP, 0));
  EXPECT_FALSE(IsWindowVisible(form_->hwnd()));
  // Single clicks on the icon do nothing either.
  SendMessageA(form_->hwnd(), kTrayMessage, 1, WM_LBUTTONDOWN);
  SendMessageA(form_->hwnd(), kTrayMessage, 1, WM_LBUTTONUP);
  SendMessageA(form_->hwnd(), kTrayMessage, 1, WM_RBUTTONDOWN);
  EXPECT_FALSE(IsWindowVisible(form_->hwnd()));

  // A restarted shell gets the icon again while the window is in the tray,
  // exactly one, also when "TaskbarCreated" comes twice.
  shell_.Restart();
  SendMessageA(form_->hwnd(), TrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_TRUE(form_->tray().InTray());
  EXPECT_EQ(std::set{ours}, shell_.icons) << "exactly one icon after TaskbarCreated";
  SendMessageA(form_->hwnd(), TrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(std::set{ours}, shell_.icons);

  // A double-click on the icon restores the window on its page and removes the icon.
  form_->SelectPage(kAbout, 0);
  SendMessageA(form_->hwnd(), kTrayMessage, 1, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(form_->hwnd()));
  EXPECT_FALSE(IsIconic(form_->hwnd()));
  EXPECT_FALSE(form_->tray().InTray());
  EXPECT_FALSE(form_->tray().IconAdded());
  EXPECT_TRUE(shell_.icons.empty());
  EXPECT_EQ(kAbout, form_->ShownPage());
  // With the window shown, a restarted shell gets no icon.
  shell_.Restart();
  SendMessageA(form_->hwnd(), TrayIcon::TaskbarCreatedMessage(), 0, 0);
  EXPECT_FALSE(form_->tray().IconAdded());
  EXPECT_TRUE(shell_.icons.empty());
}

TEST_F(TrayTest, TheTrayMenuOffersOpenASeparatorAndEmergencyAndItsItemsAct) {
  Start(2);
  auto form2 = std::make_unique<Form2>();
  form2->Load();
  HMENU menu = form2->menu();
  ASSERT_NE(nullptr, menu);
  ASSERT_EQ(3, GetMenuItemCount(menu));
  char caption[64] = {};
  GetMenuStringA(menu, 0, caption, sizeof caption, MF_BYPOSITION);
  EXPECT_STREQ("Open Fendrel", caption);
  EXPECT_EQ(static_cast<UINT>(MF_SEPARATOR), GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
  GetMenuStringA(menu, 2, caption, sizeof caption, MF_BYPOSITION);
  EXPECT_STREQ("Emergency!", caption);
  EXPECT_EQ(kTrayOpenItem, GetMenuItemID(menu, 0));
  EXPECT_EQ(kTrayEmergencyItem, GetMenuItemID(menu, 2));
  EXPECT_EQ("Fendrel", TextOf(form2->window()));
  EXPECT_FALSE(IsWindowVisible(form2->window()));
  // The hidden window goes with the form.
  HWND hidden = form2->window();
  form2.reset();
  EXPECT_FALSE(IsWindow(hidden));

  // "Emergency!" works while the window is hidden; here the list is empty.
  SendMessageA(form_->hwnd(), WM_CLOSE, 0, 0);
  SendMessageA(form_->hwnd(), WM_COMMAND, MAKEWPARAM(kTrayEmergencyItem, 0), 0);
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ(messages::kEmptyEmergencyList, boxes_.shown[0].text);
  EXPECT_EQ("Error", boxes_.shown[0].title);
  SendMessageA(form_->hwnd(), WM_COMMAND, MAKEWPARAM(kTrayOpenItem, 0), 0);
  EXPECT_TRUE(IsWindowVisible(form_->hwnd()));
}

}  // namespace
}  // namespace fendrel
