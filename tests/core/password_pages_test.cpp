// The four password buttons against a real password file in a folder of the
// test's own, with the window and its message boxes recorded.
#include "password/password_pages.h"

#include <gtest/gtest.h>

#include "password/cmd5.h"
#include "platform/portable_file_system.h"
#include "screen/messages.h"
#include "tests/core/fakes.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::EventLog;
using testing::Exists;
using testing::FakeSystemFolder;
using testing::RecordingForm1Actions;
using testing::RecordingMessageBoxes;
using testing::TempFolder;

class PasswordPagesTest : public ::testing::Test {
 protected:
  void SetUp() override { level_.AddAccessLevel(2); }  // a normal start

  // Stores a password as the New User page would, then forgets the events.
  void SetPassword(const std::u16string& password) {
    ASSERT_TRUE(store_.SavePassword(password));
    log_.clear();
  }
  std::int16_t Level() { return level_.Level(); }

  TempFolder folder_;
  FakeSystemFolder systemFolder_{folder_.path()};
  PortableFileSystem system_;
  FileLayer layer_{system_};
  EventLog log_;
  RecordingMessageBoxes boxes_{&log_};
  RecordingForm1Actions form_{&log_};
  PasswordStore store_{layer_, systemFolder_, boxes_};
  AccessLevel level_;
  PasswordPages pages_{store_, level_, boxes_, form_};
};

TEST_F(PasswordPagesTest, LoginWithAWrongOrEmptyPasswordDoesNothing) {
  SetPassword(u"s3cret");
  pages_.OnLogin(u"S3CRET");
  pages_.OnLogin(u"");
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(2, Level());
}

TEST_F(PasswordPagesTest, EachLoginRaisesTheLevelSaysDoneAndShowsWelcome) {
  SetPassword(u"s3cret");
  pages_.OnLogin(u"s3cret");
  pages_.OnLogin(u"s3cret");
  EXPECT_EQ((EventLog{"box Fendrel: Done!", "selectframe(0, 0)", "box Fendrel: Done!", "selectframe(0, 0)"}),
            log_);
  EXPECT_EQ(4, Level());
}

TEST_F(PasswordPagesTest, AcceptStoresTheFirstPasswordThenRaisesTheLevelAndShowsWelcome) {
  pages_.OnAcceptNewPassword(u"s3cret", u"s3cret");
  EXPECT_EQ((EventLog{"box Done.: Password Saved", "selectframe(0, 0)"}), log_);
  EXPECT_EQ(3, Level());
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));
}

TEST_F(PasswordPagesTest, AcceptWithDifferingOrEmptyTextsDoesNothing) {
  pages_.OnAcceptNewPassword(u"s3cret", u"S3cret");  // differ only in letter case
  pages_.OnAcceptNewPassword(u"s3cret", u"");
  pages_.OnAcceptNewPassword(u"", u"");
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(2, Level());
  EXPECT_FALSE(Exists(store_.PasswordFile()));
  EXPECT_EQ(kNewUser, store_.DeterminePassword());
}

TEST_F(PasswordPagesTest, AcceptThatCannotStoreShowsWhyAndStaysOnNewUser) {
  systemFolder_.path = folder_.File("missing");
  pages_.OnAcceptNewPassword(u"s3cret", u"s3cret");
  ASSERT_EQ(1u, log_.size());
  EXPECT_EQ(0u, log_[0].rfind("box Fendrel: Fendrel could not save the password", 0)) << log_[0];
  EXPECT_EQ(2, Level());
  EXPECT_TRUE(form_.framesSelected.empty());
}

TEST_F(PasswordPagesTest, ChangeWithAWrongCurrentPasswordSaysOnlyThat) {
  SetPassword(u"s3cret");
  pages_.OnChangePassword(u"wrong", u"one", u"two");
  pages_.OnChangePassword(u"", u"one", u"one");
  EXPECT_EQ((EventLog{"box Fendrel: Your current password does not match the one given!",
                      "box Fendrel: Your current password does not match the one given!"}),
            log_);
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));
}

TEST_F(PasswordPagesTest, ChangeWithDifferingNewTextsKeepsTheOldPassword) {
  SetPassword(u"s3cret");
  pages_.OnChangePassword(u"s3cret", u"one", u"One");
  EXPECT_EQ((EventLog{"box Fendrel: The new passwords do not match!"}), log_);
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));
}

TEST_F(PasswordPagesTest, ChangeWithBothNewBoxesEmptyShowsNothingAndKeepsTheOldPassword) {
  SetPassword(u"s3cret");
  pages_.OnChangePassword(u"s3cret", u"", u"");
  EXPECT_TRUE(log_.empty());
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));
}

TEST_F(PasswordPagesTest, AChangedPasswordIsTheOneThatClosesTheProgram) {
  SetPassword(u"s3cret");
  pages_.OnChangePassword(u"s3cret", u"new one", u"new one");
  EXPECT_EQ((EventLog{"box Done.: Password Saved"}), log_);
  EXPECT_EQ(2, Level());  // the page stays and the level does not change

  log_.clear();
  pages_.OnCloseProgram(u"s3cret");
  pages_.OnCloseProgram(u"");
  EXPECT_EQ((EventLog{"box Fendrel: Incorrect Password", "box Fendrel: Incorrect Password"}), log_);
  EXPECT_EQ(0, form_.closeCalls);

  log_.clear();
  pages_.OnCloseProgram(u"new one");
  EXPECT_EQ((EventLog{"CloseProgram"}), log_);
}

TEST_F(PasswordPagesTest, AFileWithoutADigestIsNamedAndANewPasswordThenClosesTheProgram) {
  testing::WriteBytes(store_.PasswordFile(), "not a digest\r\n");
  pages_.OnCloseProgram(u"anything");
  EXPECT_EQ((EventLog{"box Fendrel: Incorrect Password"}), log_);

  // The next start names the file and offers New User, as a first start does.
  log_.clear();
  EXPECT_EQ(kNewUser, store_.DeterminePassword());
  ASSERT_EQ(1u, log_.size());
  EXPECT_EQ(
      0u, log_[0].rfind(
              "box Fendrel: Fendrel found no password in this file:\r\n" + store_.PasswordFile() + "\r\n", 0))
      << log_[0];
  log_.clear();
  pages_.OnAcceptNewPassword(u"s3cret", u"s3cret");
  EXPECT_EQ((EventLog{"box Done.: Password Saved", "selectframe(0, 0)"}), log_);
  EXPECT_EQ(3, Level());

  log_.clear();
  EXPECT_EQ(kWelcome, store_.DeterminePassword());
  pages_.OnCloseProgram(u"s3cret");
  EXPECT_EQ((EventLog{"CloseProgram"}), log_);
}

TEST_F(PasswordPagesTest, WithoutAPasswordFileEveryCheckFails) {
  pages_.OnLogin(u"anything");
  pages_.OnCloseProgram(u"anything");
  pages_.OnChangePassword(u"anything", u"a", u"a");
  EXPECT_EQ((EventLog{"box Fendrel: Incorrect Password",
                      "box Fendrel: Your current password does not match the one given!"}),
            log_);
  EXPECT_EQ(2, Level());
}

TEST_F(PasswordPagesTest, APasswordTypedIntoTheOldAnsiBoxesStillOpensAndCodePageDigestsStayTheSame) {
  // The old boxes kept "пароль" as "??????", and the digest stored is of that.
  testing::WriteBytes(store_.PasswordFile(), CMD5().MD5(u"??????") + "\r\n");
  pages_.OnLogin(u"пароль");
  pages_.OnChangePassword(u"пароль", u"naïve €", u"naïve €");
  EXPECT_EQ((EventLog{"box Fendrel: Done!", "selectframe(0, 0)", "box Done.: Password Saved"}), log_);
  // Characters of the code page are digested as ever: the low byte of each.
  EXPECT_EQ(CMD5().MD5(u"na\u00EFve \u20AC") + "\r\n", testing::ReadBytes(store_.PasswordFile()));
  log_.clear();
  pages_.OnCloseProgram(u"naïve €");
  EXPECT_EQ((EventLog{"CloseProgram"}), log_);
}

TEST_F(PasswordPagesTest, ANewPasswordWithCharactersOutsideTheCodePageIsRefusedWithTheirNames) {
  pages_.OnAcceptNewPassword(u"пароль пароль", u"пароль пароль");
  ASSERT_EQ(1u, boxes_.shown.size());
  const std::string& text = boxes_.shown[0].text;
  EXPECT_EQ(messages::PasswordCharactersRefused({u"п", u"а", u"р", u"о", u"л", u"ь"}), text);
  EXPECT_NE(std::string::npos, text.find("\r\nп  (U+043F)\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("the letters A to Z and a to z")) << text;
  EXPECT_FALSE(Exists(store_.PasswordFile()));
  EXPECT_EQ(2, Level());
  EXPECT_TRUE(form_.framesSelected.empty());

  SetPassword(u"s3cret");
  boxes_.shown.clear();
  const std::u16string withEmoji = u"caf\u00E9 \U0001F600";
  pages_.OnChangePassword(u"s3cret", withEmoji, withEmoji);
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ(messages::PasswordCharactersRefused({u"\U0001F600"}), boxes_.shown[0].text);
  EXPECT_NE(std::string::npos, boxes_.shown[0].text.find("(U+1F600)"));
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));
}

}  // namespace
}  // namespace fendrel
