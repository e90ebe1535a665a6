// The real Fendrel.exe driven from another process as a person would use it,
// with its holds checked from a third process and by Wine's own cmd.exe.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "password/cmd5.h"
#include "platform/function_lookup_win.h"
#include "platform/wide_text_win.h"
#include "screen/control_ids.h"
#include "screen/messages.h"
#include "tests/win32/e2e_driver_win.h"
#include "tests/win32/e2e_fixture_win.h"
#include "tests/win32/process_support_win.h"

namespace fendrel {
namespace {

using testing::ExpectHeld;
using testing::FendrelApp;
using testing::MachineStateGuard;
using testing::ReadBytes;
using testing::RunCmd;
using testing::SeenBox;
using testing::WaitFor;
using testing::WriteBytes;

// The items of the tray menu that can be chosen, in order: "Open Fendrel",
// then (after the separator) "Emergency!".
constexpr int kTrayOpen = 0, kTrayEmergency = 1;

TEST_F(E2eTest, AStartHoldsTheSafeListAndPagesAboveTheLevelAskForALogin) {
  ReturningUser();
  const std::string kept = app_.MakeFile("kept.txt");
  const std::string missing = app_.File("missing.txt");
  const std::string also = app_.MakeFile("also.txt");
  WriteBytes(app_.SafeListFile(), Lines({kept, "", missing, also}));
  app_.Start();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  ASSERT_TRUE(app_.WaitForPage(kWelcome));
  EXPECT_TRUE(app_.NoBoxOpen()) << "a start in the ON state shows no box";
  EXPECT_EQ((std::vector<std::string>{kept, missing, also}), app_.ListItems(ctl::kSafeListBox));
  EXPECT_TRUE(app_.ListItems(ctl::kEmergencyListBox).empty());
  ExpectHeld(kept);
  ExpectHeld(also);

  // Programs no one here wrote are refused too, while they can change a
  // file that is not protected.
  const std::string unprotected = app_.MakeFile("unprotected.txt");
  RunCmd("\"echo x>>" + kept + "\"");
  RunCmd("del \"" + kept + "\"");
  EXPECT_EQ("original", ReadBytes(kept)) << "cmd.exe changed a protected file";
  RunCmd("\"echo x>>" + unprotected + "\"");
  EXPECT_EQ("originalx\r\n", ReadBytes(unprotected))
      << "cmd.exe could not append to a file that is not protected";
  RunCmd("del \"" + unprotected + "\"");
  EXPECT_FALSE(testing::Exists(unprotected)) << "cmd.exe could not delete a file that is not protected";

  EXPECT_TRUE(app_.Enabled(ctl::kEmergencyButton));
  EXPECT_FALSE(app_.Enabled(ctl::kNoEmergencyButton));

  // A normal start gives level 2: the lists need a login, "Password" does not.
  app_.PostClickMenu(kSafeListPage);
  ExpectBox(app_.AnswerBox(), messages::kTitle, messages::kPleaseLogin);
  EXPECT_EQ(kWelcome, app_.ShownPage());
  app_.ClickMenu(4);
  EXPECT_TRUE(app_.WaitForPage(4));

  // Closing the window only hides it; every hold stays.
  app_.CloseWindow();
  ASSERT_TRUE(app_.WaitMainWindowVisible(false));
  EXPECT_TRUE(app_.Running());
  ExpectHeld(kept);
  ExpectHeld(also);
}

TEST_F(E2eTest, AMissingFilesEntryIsDrawnInRedAndTheWelcomePageCountsIt) {
  ReturningUser();
  const std::string kept = app_.MakeFile("kept.txt"), missing = app_.File("missing.txt"),
                    also = app_.MakeFile("also.txt");
  WriteBytes(app_.SafeListFile(), Lines({kept, missing, also}));
  StartAndLogIn();
  EXPECT_EQ("2 of 3 files on the safe list are protected.", app_.Caption(ctl::kSafeListSummary));
  app_.ClickMenu(kSafeListPage);
  ASSERT_TRUE(app_.WaitForPage(kSafeListPage));
  EXPECT_EQ((std::vector<std::string>{kept, missing, also}), app_.ListItems(ctl::kSafeListBox));

  // The rows as the screen shows them: only the missing file's is red, and
  // the others' text is dark.
  HWND list = app_.Control(ctl::kSafeListBox);
  const int rowHeight = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  RECT outer{};
  GetWindowRect(list, &outer);
  POINT client{0, 0};
  ClientToScreen(list, &client);
  const int top = client.y - outer.top;
  const auto red = [](COLORREF c) { return GetRValue(c) > 160 && GetGValue(c) < 100 && GetBValue(c) < 100; };
  const auto dark = [](COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90; };
  const auto inRow = [&](const testing::ScreenPixels& pixels, const auto& matches, int row) {
    return pixels.Count(matches, 0, INT_MAX, top + row * rowHeight, top + (row + 1) * rowHeight);
  };
  ASSERT_TRUE(
      WaitFor([&] { return inRow(testing::PixelsOf(list), red, 1) > 20; }, "the missing file drawn in red"));
  const testing::ScreenPixels pixels = testing::PixelsOf(list);
  for (const int held : {0, 2}) {
    EXPECT_EQ(0, inRow(pixels, red, held)) << "row " << held;
    EXPECT_GT(inRow(pixels, dark, held), 20) << "row " << held;
  }
  EXPECT_EQ(0, inRow(pixels, dark, 1));
}

TEST_F(E2eTest, FirstRunWarnsThenSetsThePasswordLogsInAndClosesOnlyWithIt) {
  MachineStateGuard::ClearForFirstRun();
  app_.Start();
  const SeenBox warning = app_.AnswerBox();
  ExpectBox(warning, messages::kTitle, messages::kNotOn);
  EXPECT_FALSE(warning.windowShown) << "the OFF warning comes before the window";
  ASSERT_FALSE(HasFailure()) << "no OFF warning at the first start";
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  ASSERT_TRUE(app_.WaitForPage(kNewUser));
  EXPECT_FALSE(app_.Visible(ctl::MenuItem(kNewUser)));
  EXPECT_EQ(messages::kSwitchOff, app_.Caption(ctl::kOnOffSwitch));

  // Two different texts: nothing happens.
  app_.Type(ctl::kCreatePasswordBox, kPassword);
  app_.Type(ctl::kCreateConfirmBox, "S3cret");
  app_.Click(ctl::kAcceptButton);
  EXPECT_EQ(kNewUser, app_.ShownPage());
  EXPECT_FALSE(testing::Exists(MachineStateGuard::PasswordFile()));

  app_.Type(ctl::kCreateConfirmBox, kPassword);
  ExpectBox(app_.ClickExpectingBox(ctl::kAcceptButton), messages::kTitleDone, messages::kPasswordSaved);
  ASSERT_TRUE(app_.WaitForPage(kWelcome));
  EXPECT_EQ(CMD5().MD5(u"s3cret") + "\r\n", ReadBytes(MachineStateGuard::PasswordFile()));

  // A wrong password is ignored without a message; the right one logs in.
  app_.Type(ctl::kLoginPasswordBox, "wrong");
  app_.Click(ctl::kLoginButton);
  app_.Type(ctl::kLoginPasswordBox, kPassword);
  ExpectBox(app_.ClickExpectingBox(ctl::kLoginButton), messages::kTitle, messages::kLoginDone);
  ASSERT_TRUE(app_.WaitForPage(kWelcome));
  app_.ClickMenu(kSafeListPage);
  EXPECT_TRUE(app_.WaitForPage(kSafeListPage));

  // The password page: a wrong current password wins over differing new
  // texts; then the password is changed.
  app_.ClickMenu(kPasswordPage);
  ASSERT_TRUE(app_.WaitForPage(kPasswordPage));
  app_.Type(ctl::kCurrentPasswordBox, "wrong");
  app_.Type(ctl::kNewPasswordBox, "n3w");
  app_.Type(ctl::kConfirmPasswordBox, "other");
  ExpectBox(app_.ClickExpectingBox(ctl::kChangePasswordButton), messages::kTitle,
            messages::kCurrentPasswordWrong);
  app_.Type(ctl::kCurrentPasswordBox, kPassword);
  ExpectBox(app_.ClickExpectingBox(ctl::kChangePasswordButton), messages::kTitle,
            messages::kNewPasswordsDiffer);
  app_.Type(ctl::kConfirmPasswordBox, "n3w");
  ExpectBox(app_.ClickExpectingBox(ctl::kChangePasswordButton), messages::kTitleDone,
            messages::kPasswordSaved);
  EXPECT_EQ(kPasswordPage, app_.ShownPage());

  // The old password no longer closes the program; the new one does.
  app_.ClickMenu(kClosePage);
  ASSERT_TRUE(app_.WaitForPage(kClosePage));
  app_.Type(ctl::kClosePasswordBox, kPassword);
  ExpectBox(app_.ClickExpectingBox(ctl::kCloseProgramButton), messages::kTitle, messages::kIncorrectPassword);
  EXPECT_TRUE(app_.Running());
  EXPECT_EQ(kClosePage, app_.ShownPage());
  app_.Type(ctl::kClosePasswordBox, "n3w");
  app_.PostClick(ctl::kCloseProgramButton);
  EXPECT_TRUE(app_.WaitForExit()) << "\"Close Program\" with the new password should end Fendrel";
}

TEST_F(E2eTest, AnEmptyPasswordFileIsNamedAtTheStartAndANewPasswordClosesTheProgram) {
  // Left empty by some other program: no password could ever match it.
  WriteBytes(MachineStateGuard::PasswordFile(), "");
  MachineStateGuard::SetRunValue(app_.folder() + "\\Fendrel.exe /silent");
  app_.Start();
  const SeenBox named = app_.AnswerBox();
  ExpectBox(named, messages::kTitle,
            messages::NoPasswordInFile(MachineStateGuard::PasswordFile(), FileError::ReadPastEnd));
  EXPECT_FALSE(named.windowShown) << "the message comes before the window";
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  ASSERT_TRUE(app_.WaitForPage(kNewUser));

  app_.Type(ctl::kCreatePasswordBox, kPassword);
  app_.Type(ctl::kCreateConfirmBox, kPassword);
  ExpectBox(app_.ClickExpectingBox(ctl::kAcceptButton), messages::kTitleDone, messages::kPasswordSaved);
  ASSERT_TRUE(app_.WaitForPage(kWelcome));
  EXPECT_EQ(CMD5().MD5(u"s3cret") + "\r\n", ReadBytes(MachineStateGuard::PasswordFile()));
  CloseWithPassword();
}

TEST_F(E2eTest, SafeListAddHoldsAtOnceRemoveReleasesAndTheTrayKeepsEveryHold) {
  ReturningUser();
  const std::string file = app_.MakeFile("report.txt");
  const std::string other = app_.MakeFile("other.txt");
  WriteBytes(app_.SafeListFile(), Lines({other}));
  ASSERT_NO_FATAL_FAILURE(StartAndLogIn());
  ExpectHeld(other);

  app_.ClickMenu(kSafeListPage);
  ASSERT_TRUE(app_.WaitForPage(kSafeListPage));
  AddThroughDialog(ctl::kSafeBrowseButton, ctl::kSafePathBox, ctl::kSafeAddButton, file);
  EXPECT_EQ((std::vector<std::string>{other, file}), app_.ListItems(ctl::kSafeListBox));
  EXPECT_EQ(Lines({other, file}), ReadBytes(app_.SafeListFile()));
  ExpectHeld(file);

  // Programs no one here wrote are refused too.
  RunCmd("\"echo x>>" + file + "\"");
  RunCmd("del \"" + file + "\"");
  EXPECT_EQ("original", ReadBytes(file)) << "cmd.exe changed a protected file";

  // The same path twice: two entries, two holds.
  app_.Click(ctl::kSafeAddButton);
  EXPECT_EQ((std::vector<std::string>{other, file, file}), app_.ListItems(ctl::kSafeListBox));
  EXPECT_EQ(Lines({other, file, file}), ReadBytes(app_.SafeListFile()));

  // Closing the window hides it to the tray; nothing is released.
  app_.CloseWindow();
  ASSERT_TRUE(app_.WaitMainWindowVisible(false));
  EXPECT_TRUE(app_.Running());
  ExpectHeld(file);
  ExpectHeld(other);
  app_.TrayDoubleClick();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  EXPECT_EQ(kSafeListPage, app_.ShownPage());

  app_.SelectListItem(ctl::kSafeListBox, 1);
  app_.Click(ctl::kSafeRemoveButton);
  EXPECT_EQ((std::vector<std::string>{other, file}), app_.ListItems(ctl::kSafeListBox));
  EXPECT_EQ(Lines({other, file}), ReadBytes(app_.SafeListFile()));
  ExpectHeld(file);  // through the other entry

  app_.SelectListItem(ctl::kSafeListBox, 1);
  app_.Click(ctl::kSafeRemoveButton);
  app_.SelectListItem(ctl::kSafeListBox, 0);
  app_.Click(ctl::kSafeRemoveButton);
  EXPECT_TRUE(app_.ListItems(ctl::kSafeListBox).empty());
  EXPECT_TRUE(testing::Exists(app_.SafeListFile()));
  EXPECT_EQ("", ReadBytes(app_.SafeListFile()));
  ExpectFree(file);
  ExpectFree(other);
  EXPECT_EQ(0, RunCmd("del \"" + file + "\""));
  EXPECT_FALSE(testing::Exists(file)) << "cmd.exe could not delete a released file";
}

TEST_F(E2eTest, ThePersonsSelectionSurvivesTheEmergencyButtonsAndEditsOfTheOtherList) {
  ReturningUser();
  const std::string a = app_.MakeFile("a.txt"), b = app_.MakeFile("b.txt"), c = app_.MakeFile("c.txt");
  const std::string first = app_.MakeFile("first.txt"), added = app_.MakeFile("added.txt");
  WriteBytes(app_.SafeListFile(), Lines({a, b, c}));
  WriteBytes(app_.EmergencyListFile(), Lines({first}));
  ASSERT_NO_FATAL_FAILURE(StartAndLogIn());

  app_.ClickMenu(kSafeListPage);
  ASSERT_TRUE(app_.WaitForPage(kSafeListPage));
  app_.SelectListItem(ctl::kSafeListBox, 0);
  app_.Click(ctl::kEmergencyButton);
  app_.ClickMenu(kEmergencyPage);
  ASSERT_TRUE(app_.WaitForPage(kEmergencyPage));
  AddThroughDialog(ctl::kEmergencyBrowseButton, ctl::kEmergencyPathBox, ctl::kEmergencyAddButton, added);
  app_.SelectListItem(ctl::kEmergencyListBox, 0);
  app_.Click(ctl::kNoEmergencyButton);
  app_.Click(ctl::kEmergencyButton);

  // "<<< Remove" removes the entry the person chose, and releases only it.
  app_.ClickMenu(kSafeListPage);
  ASSERT_TRUE(app_.WaitForPage(kSafeListPage));
  EXPECT_EQ(0, app_.ListSelection(ctl::kSafeListBox));
  app_.Click(ctl::kSafeRemoveButton);
  EXPECT_EQ((std::vector<std::string>{b, c}), app_.ListItems(ctl::kSafeListBox));
  ExpectFree(a);
  ExpectHeld(b);
  ExpectHeld(c);
  app_.ClickMenu(kEmergencyPage);
  ASSERT_TRUE(app_.WaitForPage(kEmergencyPage));
  EXPECT_EQ(0, app_.ListSelection(ctl::kEmergencyListBox));
  app_.Click(ctl::kEmergencyRemoveButton);
  EXPECT_EQ(Lines({added}), ReadBytes(app_.EmergencyListFile()));
}

TEST_F(E2eTest, EmergencyHoldsTheListUntilNoEmergencyAndTheSafeListKeepsItsOwn) {
  ReturningUser();
  const std::string first = app_.MakeFile("first.txt");
  const std::string second = app_.MakeFile("second.txt");
  const std::string both = app_.MakeFile("both.txt");
  WriteBytes(app_.SafeListFile(), Lines({both}));
  ASSERT_NO_FATAL_FAILURE(StartAndLogIn());

  // The empty list: the "Error" box, and the buttons stay as they are.
  EXPECT_TRUE(app_.Enabled(ctl::kEmergencyButton));
  EXPECT_FALSE(app_.Enabled(ctl::kNoEmergencyButton));
  ExpectBox(app_.ClickExpectingBox(ctl::kEmergencyButton), messages::kTitleError,
            messages::kEmptyEmergencyList);
  EXPECT_TRUE(app_.Enabled(ctl::kEmergencyButton));
  EXPECT_FALSE(app_.Enabled(ctl::kNoEmergencyButton));

  app_.ClickMenu(kEmergencyPage);
  ASSERT_TRUE(app_.WaitForPage(kEmergencyPage));
  AddThroughDialog(ctl::kEmergencyBrowseButton, ctl::kEmergencyPathBox, ctl::kEmergencyAddButton, first);
  AddThroughDialog(ctl::kEmergencyBrowseButton, ctl::kEmergencyPathBox, ctl::kEmergencyAddButton, second);
  AddThroughDialog(ctl::kEmergencyBrowseButton, ctl::kEmergencyPathBox, ctl::kEmergencyAddButton, both);
  EXPECT_EQ((std::vector<std::string>{first, second, both}), app_.ListItems(ctl::kEmergencyListBox));
  EXPECT_EQ(Lines({first, second, both}), ReadBytes(app_.EmergencyListFile()));
  ExpectFree(first);  // adding holds nothing

  app_.Click(ctl::kEmergencyButton);
  EXPECT_FALSE(app_.Enabled(ctl::kEmergencyButton));
  EXPECT_TRUE(app_.Enabled(ctl::kNoEmergencyButton));
  ExpectHeld(first);
  ExpectHeld(second);
  ExpectHeld(both);

  app_.Click(ctl::kNoEmergencyButton);
  EXPECT_TRUE(app_.Enabled(ctl::kEmergencyButton));
  EXPECT_FALSE(app_.Enabled(ctl::kNoEmergencyButton));
  ExpectFree(first);
  ExpectFree(second);
  ExpectHeld(both);  // through the safe list

  // From the tray while the window is hidden.
  app_.CloseWindow();
  ASSERT_TRUE(app_.WaitMainWindowVisible(false));
  ASSERT_TRUE(app_.OpenTrayMenu());
  app_.ChooseTrayMenuItem(kTrayEmergency);
  EXPECT_TRUE(
      testing::WaitFor([&] { return app_.Enabled(ctl::kNoEmergencyButton); }, "\"No Emergency\" enabled"));
  ExpectHeld(first);
  ExpectHeld(second);
  ASSERT_TRUE(app_.OpenTrayMenu());
  app_.ChooseTrayMenuItem(kTrayOpen);
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  EXPECT_EQ(kEmergencyPage, app_.ShownPage());

  // Ending the program releases everything.
  CloseWithPassword();
  ExpectFree(first);
  ExpectFree(second);
  ExpectFree(both);
}

TEST_F(E2eTest, FortyFiveEmergencyCyclesOverTenFilesLeaveEveryFileHeld) {
  // Enough holds in all for a run that never used a number twice to run
  // out (10 x 45 > 413); released numbers are used again.
  ReturningUser();
  std::vector<std::string> files;
  for (int i = 0; i < 9; ++i) files.push_back(app_.MakeFile("e" + std::to_string(i) + ".txt"));
  const std::string both = app_.MakeFile("both.txt"), kept = app_.MakeFile("kept.txt");
  files.push_back(both);
  WriteBytes(app_.SafeListFile(), Lines({kept, both}));
  WriteBytes(app_.EmergencyListFile(), Lines(files));
  app_.Start();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  ASSERT_TRUE(app_.NoBoxOpen()) << "a start in the ON state shows no box";

  for (int cycle = 0; cycle < 45; ++cycle) {
    app_.Click(ctl::kEmergencyButton);
    ASSERT_FALSE(HasFailure()) << "the emergency of cycle " << cycle << " did not go through";
    app_.Click(ctl::kNoEmergencyButton);
    ASSERT_FALSE(HasFailure()) << "\"No Emergency\" of cycle " << cycle << " did not go through";
  }
  app_.Click(ctl::kEmergencyButton);
  EXPECT_TRUE(app_.NoBoxOpen());
  for (const std::string& file : files) ExpectHeld(file);
  ExpectHeld(kept);
  // The hidden number list names the ten holds open now, not every hold of the run.
  EXPECT_EQ(10u, app_.ListItems(ctl::kEmergencyHoldNumbers).size());

  app_.Click(ctl::kNoEmergencyButton);
  EXPECT_TRUE(app_.ListItems(ctl::kEmergencyHoldNumbers).empty());
  ExpectFree(files[0]);
  ExpectHeld(both);  // through the safe list
  ExpectHeld(kept);
}

TEST_F(E2eTest, ASilentStartWhileOffWarnsFromTheTrayAndTheSwitchWritesTheRunValue) {
  WriteBytes(MachineStateGuard::PasswordFile(), CMD5().MD5(u"s3cret") + "\r\n");
  MachineStateGuard::DeleteRunValue();
  app_.Start("/silent");
  // The warning comes while the window is still hidden in the tray.
  const SeenBox warning = app_.AnswerBox();
  ExpectBox(warning, messages::kTitle, messages::kNotOn);
  EXPECT_FALSE(warning.windowShown);
  ASSERT_TRUE(WaitFor([&] { return IsIconic(app_.MainWindow()) != FALSE; }, "the window shown minimized"));
  EXPECT_EQ(kWelcome, app_.ShownPage());
  EXPECT_EQ(messages::kSwitchOff, app_.Caption(ctl::kOnOffSwitch));

  // A second start of the same program holds nothing twice: it shows the
  // running window and ends.
  std::string line = "\"" + app_.File("Fendrel.exe") + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION second{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, app_.folder().c_str(),
                             &startup, &second));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second.hProcess, 20000)) << "the second start should end";
  CloseHandle(second.hProcess);
  CloseHandle(second.hThread);
  EXPECT_TRUE(WaitFor([&] { return app_.MainWindowVisible() && !IsIconic(app_.MainWindow()); },
                      "the running window brought forward"));
  EXPECT_TRUE(app_.Running());

  // Level 0 after a silent start: Enter in the password box logs in, once
  // for each press; two logins open the "Password" page.
  for (int login = 0; login < 2; ++login) {
    app_.Type(ctl::kLoginPasswordBox, kPassword);
    PostMessageA(app_.Control(ctl::kLoginPasswordBox), WM_KEYDOWN, VK_RETURN, 0);
    ExpectBox(app_.AnswerBox(), messages::kTitle, messages::kLoginDone);
  }
  app_.ClickMenu(4);
  EXPECT_TRUE(app_.WaitForPage(4));
  app_.ClickMenu(kWelcome);
  ASSERT_TRUE(app_.WaitForPage(kWelcome));

  // The switch writes the Run value, exactly, and removes it again.
  app_.Click(ctl::kOnOffSwitch);
  EXPECT_EQ(app_.folder() + "\\Fendrel.exe /silent", MachineStateGuard::RunValue().value_or("(none)"));
  EXPECT_EQ(messages::kSwitchOn, app_.Caption(ctl::kOnOffSwitch));
  EXPECT_EQ(BST_CHECKED, SendMessageA(app_.Control(ctl::kOnOffSwitch), BM_GETCHECK, 0, 0));
  app_.Click(ctl::kOnOffSwitch);
  EXPECT_FALSE(MachineStateGuard::RunValue().has_value());
  EXPECT_EQ(messages::kSwitchOff, app_.Caption(ctl::kOnOffSwitch));
}

TEST_F(E2eTest, ALogonStartFromAFolderWithBlanksIsASilentStart) {
  FendrelApp installed("Program Files\\Fendrel");
  WriteBytes(MachineStateGuard::PasswordFile(), CMD5().MD5(u"s3cret") + "\r\n");
  const std::string runValue = installed.folder() + "\\Fendrel.exe /silent";
  MachineStateGuard::SetRunValue(runValue);
  const std::string kept = installed.MakeFile("kept.txt");
  WriteBytes(installed.SafeListFile(), Lines({kept}));

  // Windows starts the Run value exactly as written: unquoted, blanks and all.
  installed.StartWithCommandLine(runValue);
  ASSERT_TRUE(WaitFor([&] { return installed.MainWindow() && IsIconic(installed.MainWindow()); },
                      "the window shown minimized, as a silent start shows it"));
  EXPECT_TRUE(installed.NoBoxOpen()) << "a start in the ON state shows no box";
  ExpectHeld(kept);
  EXPECT_EQ(runValue, MachineStateGuard::RunValue().value_or("(none)"));
  // A silent start grants no level: even "About" asks for a login.
  installed.PostClickMenu(kAboutPage);
  ExpectBox(installed.AnswerBox(), messages::kTitle, messages::kPleaseLogin);
}

TEST_F(E2eTest, TheSwitchIsDrawnWithoutAThemeSoItKeepsItsRedAndGreen) {
  // On Windows a themed check box paints its caption in the theme's colour,
  // whatever colour the window asks for. Wine's themed box keeps the colour,
  // so what is checked here is that the switch is drawn without the theme
  // (its box without the style's blue) while a style is on, and its colours.
  testing::VisualStyles styles;
  WriteBytes(MachineStateGuard::PasswordFile(), CMD5().MD5(u"s3cret") + "\r\n");
  MachineStateGuard::DeleteRunValue();
  app_.Start();
  ExpectBox(app_.AnswerBox(), messages::kTitle, messages::kNotOn);
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  ASSERT_TRUE(app_.WaitForPage(kWelcome));
  const auto red = [](COLORREF c) { return GetRValue(c) > 160 && GetGValue(c) < 100 && GetBValue(c) < 100; };
  const auto green = [](COLORREF c) { return GetGValue(c) > 90 && GetRValue(c) < 80 && GetBValue(c) < 80; };
  const auto styleBlue = [](COLORREF c) { return GetBValue(c) > 150 && GetBValue(c) > GetRValue(c) + 60; };
  EXPECT_TRUE(WaitFor([&] { return testing::PixelsOf(app_.Control(ctl::kOnOffSwitch)).Count(red) > 20; },
                      "\"Fendrel is currently OFF\" drawn in red"));
  const testing::ScreenPixels off = testing::PixelsOf(app_.Control(ctl::kOnOffSwitch));
  EXPECT_EQ(0, off.Count(styleBlue, 0, off.height)) << "the box of the switch is drawn with the visual style";
  app_.Click(ctl::kOnOffSwitch);
  EXPECT_TRUE(WaitFor([&] { return testing::PixelsOf(app_.Control(ctl::kOnOffSwitch)).Count(green) > 20; },
                      "\"Fendrel is currently ON\" drawn in green"));
}

TEST_F(E2eTest, AStartWhileOnRewritesAForeignRunValueWithItsOwnCommand) {
  ReturningUser();
  MachineStateGuard::SetRunValue("C:\\somewhere\\else.exe");
  app_.Start();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  EXPECT_TRUE(app_.NoBoxOpen()) << "a start in the ON state shows no box";
  EXPECT_EQ(app_.folder() + "\\Fendrel.exe /silent", MachineStateGuard::RunValue().value_or("(none)"));
  EXPECT_EQ(messages::kSwitchOn, app_.Caption(ctl::kOnOffSwitch));
}

// Wine's drive Z: is the Unix root, so every folder of drive C: has a
// second spelling there; empty where that is not so.
std::string SpellingThroughDriveZ(const std::string& folder) {
  using UnixNameFn = char*(CDECL*)(LPCWSTR);
  const auto unixName =
      FindFunction<UnixNameFn>(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
  char* name = unixName ? unixName(Wide(folder).c_str()) : nullptr;
  if (!name) return {};
  std::string spelling = std::string("Z:") + name;
  HeapFree(GetProcessHeap(), 0, name);
  for (char& c : spelling) c = c == '/' ? '\\' : c;
  return spelling;
}

TEST_F(E2eTest, AStartThroughAnotherSpellingOfTheFolderBringsTheRunningCopyForwardAndEnds) {
  ReturningUser();
  const std::string kept = app_.MakeFile("kept.txt");
  WriteBytes(app_.SafeListFile(), Lines({kept}));
  app_.Start();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  app_.CloseWindow();
  ASSERT_TRUE(app_.WaitMainWindowVisible(false));
  const std::string other = SpellingThroughDriveZ(app_.folder());
  if (other.empty()) GTEST_SKIP() << "no second spelling of " << app_.folder() << " outside Wine";

  FendrelApp second(testing::ProgramIn{other});
  second.Start();
  EXPECT_TRUE(second.WaitForExit()) << "a second copy started as " << other << " kept running";
  EXPECT_TRUE(app_.WaitMainWindowVisible(true)) << "the running copy did not come forward";
  ExpectHeld(kept);
}

// --- Healing: what could not be held at start is held as soon as it can
// be, with no click and no restart.

// Waits until the Welcome page's summary says this, as it does at once
// after every hold the program takes.
bool WaitForSummary(FendrelApp& app, const std::string& text) {
  return WaitFor([&] { return app.Caption(ctl::kSafeListSummary) == text; }, "the summary \"" + text + "\"");
}

TEST_F(E2eTest, FilesMissingOrInUseAtStartAreHeldAsSoonAsTheyCanBe) {
  ReturningUser();
  const std::string later = app_.File("later.txt");
  const std::string inner = app_.File("made later\\inner.txt");
  const std::string used = app_.MakeFile("used.txt");
  // Longer than the 260 characters Windows takes without the exact form.
  const std::string longFolder = app_.File(std::string(200, 'f'));
  const std::string longer = longFolder + "\\" + std::string(100, 'n') + ".txt";
  ASSERT_GT(longer.size(), 300u);
  // Another program has it open for writing.
  UniqueHandle writer(CreateFileW(Wide(used).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer);
  WriteBytes(app_.SafeListFile(), Lines({later, inner, used, longer}));
  app_.Start();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  ASSERT_TRUE(WaitForSummary(app_, messages::SafeListSummary(0, 4)));

  WriteBytes(later, "made");
  EXPECT_TRUE(WaitForSummary(app_, messages::SafeListSummary(1, 4))) << "a file made later";
  ExpectHeld(later);
  testing::MakeFolder(app_.File("made later"));
  WriteBytes(inner, "made");
  EXPECT_TRUE(WaitForSummary(app_, messages::SafeListSummary(2, 4))) << "a file in a folder made later";
  ExpectHeld(inner);
  writer.reset();
  EXPECT_TRUE(WaitForSummary(app_, messages::SafeListSummary(3, 4))) << "a file its writer let go";
  ExpectHeld(used);
  ASSERT_TRUE(CreateDirectoryW(Wide("\\\\?\\" + longFolder).c_str(), nullptr));
  WriteBytes("\\\\?\\" + longer, "made");
  EXPECT_TRUE(WaitForSummary(app_, messages::SafeListSummary(4, 4))) << "a path of 300 characters made later";
  ExpectHeld("\\\\?\\" + longer);
  EXPECT_EQ((std::vector<std::string>{"99", "100", "101", "102"}), app_.ListItems(ctl::kSafeHoldNumbers));
}

// Kernel and user time of the process's threads so far (Wine's
// GetProcessTimes of another process answers with the caller's own times).
double ThreadCpuMs(DWORD processId) {
  double ms = 0;
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  if (!snapshot || !Thread32First(snapshot.get(), &entry)) return 0;
  do {
    if (entry.th32OwnerProcessID != processId) continue;
    UniqueHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID));
    FILETIME created, exited, kernel, user;
    if (!thread || !GetThreadTimes(thread.get(), &created, &exited, &kernel, &user)) continue;
    for (const FILETIME& time : {kernel, user}) {
      ms +=
          static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e4;
    }
  } while (Thread32Next(snapshot.get(), &entry));
  return ms;
}

// Another program makes a new file every 10 ms in the folder where a
// hundred listed files are missing: a listed file made meanwhile is held.
// The CPU Fendrel used and its window's slowest answer are printed.
TEST_F(E2eTest, AListedFileMadeInAFolderWhereAnotherProgramMakesFilesIsHeld) {
  ReturningUser();
  testing::MakeFolder(app_.File("busy"));
  std::vector<std::string> listed;
  for (int i = 0; i < 100; ++i) listed.push_back(app_.File("busy\\missing" + std::to_string(i) + ".txt"));
  WriteBytes(app_.SafeListFile(), Lines(listed));
  app_.Start();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  ASSERT_TRUE(WaitForSummary(app_, messages::SafeListSummary(0, 100)));

  const HWND window = app_.MainWindow();
  // Under Wine a themed button under a resting pointer polls every 10 ms.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  const double cpuBefore = ThreadCpuMs(app_.processId());
  const ULONGLONG start = GetTickCount64();
  ULONGLONG slowest = 0;
  int made = 0;
  while (GetTickCount64() - start < 3000) {
    WriteBytes(app_.File("busy\\churn" + std::to_string(made++) + ".tmp"), "x");
    if (made == 150) WriteBytes(listed[42], "made");
    const ULONGLONG asked = GetTickCount64();
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 15000, nullptr);
    slowest = std::max(slowest, GetTickCount64() - asked);
    Sleep(10);
  }
  const double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
  std::printf("churn: %d files in %.1f s; Fendrel's CPU %.1f%%, its window's slowest answer %llu ms\n", made,
              seconds, (ThreadCpuMs(app_.processId()) - cpuBefore) / (seconds * 10.0), slowest);
  EXPECT_TRUE(WaitForSummary(app_, messages::SafeListSummary(1, 100)));
  ExpectHeld(listed[42]);
}

// A folder dropped on the safe list page protects itself and everything
// under it, a file made in it later too, until its entry is removed.
TEST_F(E2eTest, AFolderDroppedOnTheSafeListProtectsEverythingUnderItUntilRemoved) {
  ReturningUser();
  const std::string docs = app_.File("docs");
  testing::MakeFolder(docs);
  testing::MakeFolder(docs + "\\sub");
  const std::string a = app_.MakeFile("docs\\a.txt"), b = app_.MakeFile("docs\\sub\\b.txt");
  ASSERT_NO_FATAL_FAILURE(StartAndLogIn());
  app_.ClickMenu(kSafeListPage);
  ASSERT_TRUE(app_.WaitForPage(kSafeListPage));
  app_.DragFilesOnto(ctl::kSafeListBox, {docs});
  const auto summaryIs = [&](const std::string& text) {
    return WaitFor([&] { return app_.Caption(ctl::kSafeListSummary) == text; }, text);
  };
  EXPECT_TRUE(summaryIs(messages::SafeListSummary(2, 2))) << app_.Caption(ctl::kSafeListSummary);
  EXPECT_EQ(std::vector<std::string>{docs}, app_.ListItems(ctl::kSafeListBox));
  ExpectHeld(a);
  ExpectHeld(b);
  RunCmd("ren \"" + docs + "\" moved");
  RunCmd("rd /s /q \"" + docs + "\\sub\"");
  EXPECT_TRUE(testing::Exists(b)) << "another program renamed or deleted a held folder";

  const std::string late = app_.MakeFile("docs\\sub\\late.txt");
  EXPECT_TRUE(summaryIs(messages::SafeListSummary(3, 3))) << app_.Caption(ctl::kSafeListSummary);
  ExpectHeld(late);

  app_.SelectListItem(ctl::kSafeListBox, 0);
  app_.Click(ctl::kSafeRemoveButton);
  for (const std::string& file : {a, b, late}) ExpectFree(file);
}

TEST_F(E2eTest, ASafeListLockedAtStartIsSaidOnTheWelcomePageAndReadOnceLetGo) {
  ReturningUser();
  const std::string kept = app_.MakeFile("kept.txt");
  WriteBytes(app_.SafeListFile(), Lines({kept}));
  UniqueHandle locker(CreateFileW(Wide(app_.SafeListFile()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(locker);
  app_.Start();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  EXPECT_TRUE(
      WaitForSummary(app_, messages::SafeListUnread(app_.SafeListFile(), FileError::SharingViolation)));
  locker.reset();
  EXPECT_TRUE(WaitForSummary(app_, messages::SafeListSummary(1, 1)));
  ExpectHeld(kept);
  EXPECT_EQ(Lines({kept}), ReadBytes(app_.SafeListFile())) << "reading it late writes nothing";
}

// Another copy (another session, another spelling of the folder) or another
// program saves the safe list while Fendrel runs: with no click, an added
// file is held and a removed one let go; a file it cannot read whole is said
// on the Welcome page and never called protected.
TEST_F(E2eTest, AListFileSavedElsewhereIsTakenInWithNoClick) {
  ReturningUser();
  const std::string kept = app_.MakeFile("kept.txt"), added = app_.MakeFile("added.txt");
  WriteBytes(app_.SafeListFile(), Lines({kept}));
  app_.Start();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  ASSERT_TRUE(WaitForSummary(app_, messages::SafeListSummary(1, 1)));
  WriteBytes(app_.SafeListFile(), Lines({kept, added}));
  EXPECT_TRUE(WaitForSummary(app_, messages::SafeListSummary(2, 2))) << "an entry added elsewhere";
  ExpectHeld(added);
  WriteBytes(app_.SafeListFile(), Lines({added}));
  EXPECT_TRUE(WaitForSummary(app_, messages::SafeListSummary(1, 1))) << "an entry removed elsewhere";
  ExpectFree(kept);
  const std::string notText = "\xEF\xBB\xBF" + Lines({added}) + "\xFF\r\n" + Lines({kept});
  WriteBytes(app_.SafeListFile(), notText);
  EXPECT_TRUE(WaitForSummary(
      app_, messages::SafeListState(app_.SafeListFile(), ListReason::NotText, FileError::None, 1, 1)));
  EXPECT_EQ(notText, ReadBytes(app_.SafeListFile())) << "a file that is not whole text is never written";
}

TEST_F(E2eTest, TheTraysEmergencyTwiceKeepsOneHoldPerFileAndOnlyAnEmergencyHeals) {
  ReturningUser();
  const std::string there = app_.MakeFile("there.txt");
  const std::string during = app_.File("during.txt"), after = app_.File("after.txt");
  WriteBytes(app_.EmergencyListFile(), Lines({there, during, after}));
  app_.Start();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  app_.CloseWindow();
  ASSERT_TRUE(app_.WaitMainWindowVisible(false));
  for (int press = 0; press < 2; ++press) {
    ASSERT_TRUE(app_.OpenTrayMenu());
    app_.ChooseTrayMenuItem(kTrayEmergency);
    // The missing files are named in a box each time; the rows stay one per entry.
    app_.AnswerBox();
  }
  EXPECT_EQ((std::vector<std::string>{"99", "0", "0"}), app_.ListItems(ctl::kEmergencyHoldNumbers));
  ExpectHeld(there);

  WriteBytes(during, "made");
  EXPECT_TRUE(WaitFor([&] { return app_.ListItems(ctl::kEmergencyHoldNumbers).at(1) == "100"; },
                      "the hold of a file made during the emergency"));
  ExpectHeld(during);

  app_.TrayDoubleClick();
  ASSERT_TRUE(app_.WaitMainWindowVisible(true));
  app_.Click(ctl::kNoEmergencyButton);
  WriteBytes(after, "made");
  Sleep(3000);  // longer than a missing file waits to be held during an emergency
  ExpectFree(after);
  EXPECT_TRUE(app_.ListItems(ctl::kEmergencyHoldNumbers).empty());
}

}  // namespace
}  // namespace fendrel
