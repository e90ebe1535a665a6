// What every end-to-end test of the real program starts from: a program of
// its own in a fresh folder, the machine's password file and Run value kept
// and put back, and the steps a returning user takes (log in, add through
// the file dialog, close with the password).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "password/cmd5.h"
#include "screen/control_ids.h"
#include "screen/messages.h"
#include "tests/win32/e2e_driver_win.h"
#include "tests/win32/process_support_win.h"

namespace fendrel {

inline constexpr int kWelcome = 0, kSafeListPage = 1, kEmergencyPage = 2, kAboutPage = 3, kPasswordPage = 4,
                     kNewUser = 7, kClosePage = 8;
inline constexpr const char* kPassword = "s3cret";

// A list file's text: each line ended by CR LF.
inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

inline void ExpectBox(const testing::SeenBox& seen, const std::string& title, const std::string& text) {
  EXPECT_EQ(title, seen.title) << "the box saying: " << seen.text;
  EXPECT_EQ(text, seen.text);
}

class E2eTest : public ::testing::Test {
 protected:
  // Another process may change it; the probes leave it in place.
  static void ExpectFree(const std::string& path) {
    EXPECT_EQ(ERROR_SUCCESS, testing::Probe("append", path)) << path << " should not be protected";
    EXPECT_EQ(ERROR_SUCCESS, testing::Probe("rename", path)) << path << " should not be protected";
  }

  // A returning user: the password is set and the switch is ON, so the
  // window comes up on "Welcome" with no warning.
  void ReturningUser() {
    testing::WriteBytes(testing::MachineStateGuard::PasswordFile(), CMD5().MD5(u"s3cret") + "\r\n");
    testing::MachineStateGuard::SetRunValue(app_.folder() + "\\Fendrel.exe /silent");
  }

  // Starts the program for a returning user and logs in.
  void StartAndLogIn() {
    app_.Start();
    ASSERT_TRUE(app_.WaitMainWindowVisible(true));
    ASSERT_TRUE(app_.WaitForPage(kWelcome));
    EXPECT_TRUE(app_.NoBoxOpen()) << "a start in the ON state shows no box";
    app_.Type(ctl::kLoginPasswordBox, kPassword);
    ExpectBox(app_.ClickExpectingBox(ctl::kLoginButton), messages::kTitle, messages::kLoginDone);
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
    app_.Type(ctl::kClosePasswordBox, kPassword);
    app_.PostClick(ctl::kCloseProgramButton);
    EXPECT_TRUE(app_.WaitForExit()) << "\"Close Program\" with the right password should end Fendrel";
  }

  testing::MachineStateGuard machine_;
  testing::FendrelApp app_;
};

}  // namespace fendrel
