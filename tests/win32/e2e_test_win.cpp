// The real Fendrel.exe driven from another process as a person would use it,
// with its holds checked from a third process and by Wine's own cmd.exe.
#include <gtest/gtest.h>

#include "app/control_ids.h"
#include "app/messages.h"
#include "password/cmd5.h"
#include "tests/win32/e2e_driver_win.h"
#include "tests/win32/process_support_win.h"

namespace fendrel {
namespace {

using testing::FendrelApp;
using testing::MachineStateGuard;
using testing::Probe;
using testing::ReadBytes;
using testing::RunCmd;
using testing::SeenBox;
using testing::WriteBytes;

constexpr int kWelcome = 0, kSafeListPage = 1, kEmergencyPage = 2, kNewUser = 7, kClosePage = 8;
// The items of the tray menu that can be chosen, in order: "Open Fendrel",
// then (after the separator) "Emergency!".
constexpr int kTrayOpen = 0, kTrayEmergency = 1;
constexpr const char* kPassword = "s3cret";

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

void ExpectBox(const SeenBox& seen, const std::string& title, const std::string& text) {
  EXPECT_EQ(title, seen.title) << "the box saying: " << seen.text;
  EXPECT_EQ(text, seen.text);
}

class E2eTest : public ::testing::Test {
 protected:
  // Another process may read the file but not write, delete or rename it.
  static void ExpectHeld(const std::string& path) {
    EXPECT_EQ(ERROR_SHARING_VIOLATION, Probe("write", path)) << path << " should be protected";
    EXPECT_EQ(ERROR_SHARING_VIOLATION, Probe("delete", path)) << path << " should be protected";
    EXPECT_EQ(ERROR_SHARING_VIOLATION, Probe("rename", path)) << path << " should be protected";
    EXPECT_EQ(ERROR_SUCCESS, Probe("read", path)) << path << " should stay readable";
  }
  // Another process may change it; the probes leave it in place.
  static void ExpectFree(const std::string& path) {
    EXPECT_EQ(ERROR_SUCCESS, Probe("append", path)) << path << " should not be protected";
    EXPECT_EQ(ERROR_SUCCESS, Probe("rename", path)) << path << " should not be protected";
  }

  // A returning user: the password is set and the switch is ON, so the
  // window comes up on "Welcome" with no warning.
  void ReturningUser() {
    WriteBytes(MachineStateGuard::PasswordFile(), CMD5().MD5(u"s3cret") + "\r\n");
    MachineStateGuard::SetRunValue(app_.folder() + "\\Fendrel.exe /silent");
  }

  // Starts the program for a returning user and logs in.
  void StartAndLogIn() {
    app_.Start();
    ASSERT_TRUE(app_.WaitMainWindowVisible(true));
    ASSERT_TRUE(app_.WaitForPage(kWelcome));
    EXPECT_TRUE(app_.NoBoxOpen()) << "a start in the ON state shows no box";
    app_.Type(ctl::txtCheckPass, kPassword);
    ExpectBox(app_.ClickExpectingBox(ctl::cmdCheckPass), messages::kTitle, messages::kLoginDone);
    ASSERT_TRUE(app_.WaitForPage(kWelcome));
    ASSERT_FALSE(HasFailure()) << "the login did not go through";
  }

  // The browse button, the dialog, and ">>> Add".
  void AddThroughDialog(int dotButton, int pathBox, int addButton, const std::string& path) {
    app_.PostClick(dotButton);
    app_.ChooseFile(path);
    EXPECT_EQ(path, app_.Caption(pathBox));
    app_.Click(addButton);
  }

  void CloseWithPassword() {
    app_.ClickMenu(kClosePage);
    ASSERT_TRUE(app_.WaitForPage(kClosePage));
    app_.Type(ctl::txtClose, kPassword);
    app_.PostClick(ctl::Command7);
    EXPECT_TRUE(app_.WaitForExit()) << "\"Close Program\" with the right password should end Fendrel";
  }

  MachineStateGuard machine_;
  FendrelApp app_;
};

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
  EXPECT_EQ((std::vector<std::string>{kept, missing, also}), app_.ListItems(ctl::SafeList));
  EXPECT_TRUE(app_.ListItems(ctl::EmerList).empty());
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

  EXPECT_TRUE(app_.Enabled(ctl::Command3));
  EXPECT_FALSE(app_.Enabled(ctl::Command4));

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

}  // namespace
}  // namespace fendrel
