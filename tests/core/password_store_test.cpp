// The password file in a folder of the test's own, on every file system of
// the build.
#include "password/password_store.h"

#include <gtest/gtest.h>

#include "password/cmd5.h"
#include "screen/messages.h"
#include "tests/core/fakes.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::Exists;
using testing::FakeSystemFolder;
using testing::MakeFolder;
using testing::ReadBytes;
using testing::RecordingMessageBoxes;
using testing::TempFolder;
using testing::WriteBytes;

using Boxes = std::vector<RecordingMessageBoxes::Box>;

// md5sum of the same bytes.
constexpr const char* kSecretDigest = "33e1b232a4e6fa0028a6670753749a17";  // "s3cret"

class PasswordStoreTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  std::string PasswordFile() const { return folder_.File("satinfo.dll"); }

  TempFolder folder_;
  FakeSystemFolder systemFolder_{folder_.path()};
  std::unique_ptr<FileSystem> system_ = GetParam().make();
  FileLayer layer_{*system_};
  RecordingMessageBoxes boxes_;
  PasswordStore store_{layer_, systemFolder_, boxes_};
};

TEST_P(PasswordStoreTest, TheFileIsTheSystemFolderFollowedBySatinfoDll) {
  EXPECT_EQ(PasswordFile(), store_.PasswordFile());
  EXPECT_EQ(std::vector<int>{0x25}, systemFolder_.asked);
}

TEST_P(PasswordStoreTest, SaveWritesTheDigestAsOneLineOf34Bytes) {
  WriteBytes(PasswordFile(), std::string(5000, 'o') + "\r\nold\r\n");  // replaced whole, not appended to
  ASSERT_EQ(FileError::None, layer_.Open(1, folder_.File("busy.txt"), OpenMode::Output));

  EXPECT_TRUE(store_.SavePassword(u"s3cret"));

  EXPECT_EQ(std::string(kSecretDigest) + "\r\n", ReadBytes(PasswordFile()));
  EXPECT_EQ((Boxes{{"Password Saved", "Done."}}), boxes_.shown);
  EXPECT_FALSE(Exists(PasswordFile() + ".new"));
  EXPECT_EQ(2, layer_.LowestFree());  // it took the lowest free number and gave it back
}

TEST_P(PasswordStoreTest, AnEmptyPasswordIsRefusedSilentlyButABlankIsStored) {
  EXPECT_FALSE(store_.SavePassword(u""));
  EXPECT_FALSE(Exists(PasswordFile()));
  EXPECT_TRUE(boxes_.shown.empty());

  EXPECT_TRUE(store_.SavePassword(u" "));
  EXPECT_EQ("7215ee9c7d9dc229d2921a40e899ec5f\r\n", ReadBytes(PasswordFile()));
  EXPECT_TRUE(store_.CheckPassword(u" "));
}

TEST_P(PasswordStoreTest, CheckMatchesTheSavedTextExactly) {
  ASSERT_TRUE(store_.SavePassword(u"s3cret"));
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));  // every check reads the file anew
  EXPECT_FALSE(store_.CheckPassword(u"S3CRET"));
  EXPECT_FALSE(store_.CheckPassword(u"s3cret "));
  EXPECT_FALSE(store_.CheckPassword(u""));
  EXPECT_FALSE(layer_.IsOpen(1));

  // Only the low byte of each character counts: U+0141 stands for "A".
  WriteBytes(PasswordFile(), CMD5().MD5(u"x\u0141"));
  EXPECT_TRUE(store_.CheckPassword(u"xA"));
}

TEST_P(PasswordStoreTest, CheckComparesTheFirst32CharactersOfTheFirstField) {
  const struct {
    std::string content;
    bool matches;
  } cases[] = {
      {std::string(kSecretDigest) + "\r\n", true},
      {std::string(kSecretDigest), true},  // no line end
      {std::string(kSecretDigest) + ",anything\r\n", true},
      {std::string(kSecretDigest) + "extra characters\r\n", true},
      {std::string(kSecretDigest) + std::string(3000000, 'x'), true},  // a huge line costs 32 characters
      {"33E1B232A4E6FA0028A6670753749A17\r\n", false},                 // uppercase never matches
      {std::string(kSecretDigest).substr(0, 31) + "\r\n", false},
      {std::string("\r\n") + kSecretDigest + "\r\n", false},  // only the first line counts
      {std::string(",") + kSecretDigest, false},
      {"", false},
  };
  for (const auto& c : cases) {
    WriteBytes(PasswordFile(), c.content);
    EXPECT_EQ(c.matches, store_.CheckPassword(u"s3cret")) << c.content.substr(0, 60);
    EXPECT_FALSE(layer_.IsOpen(1));
  }
}

TEST_P(PasswordStoreTest, TheDigestOfTheEmptyTextNeverMatches) {
  WriteBytes(PasswordFile(), "d41d8cd98f00b204e9800998ecf8427e\r\n");
  EXPECT_FALSE(store_.CheckPassword(u""));
}

TEST_P(PasswordStoreTest, AFileThatCannotBeReadMatchesNothing) {
  EXPECT_FALSE(store_.CheckPassword(u"s3cret"));  // missing

  MakeFolder(PasswordFile());  // a folder in the file's place
  EXPECT_FALSE(store_.CheckPassword(u"s3cret"));
  EXPECT_EQ(kNewUser, store_.DeterminePassword());
  EXPECT_FALSE(layer_.IsOpen(1));
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_P(PasswordStoreTest, AFileOpenForWritingMatchesNothingAndMeansNewUser) {
  WriteBytes(PasswordFile(), std::string(kSecretDigest) + "\r\n");
  ASSERT_EQ(FileError::None, layer_.Open(7, PasswordFile(), OpenMode::Append));
  EXPECT_FALSE(store_.CheckPassword(u"s3cret"));
  EXPECT_EQ((std::vector<RecordingMessageBoxes::Box>{
                {messages::PasswordNotRead(PasswordFile(), FileError::SharingViolation), "Fendrel"}}),
            boxes_.shown)
      << "a password that was never compared is no wrong one";
  EXPECT_EQ(kNewUser, store_.DeterminePassword());
  layer_.Close(7);
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));
  EXPECT_EQ(kWelcome, store_.DeterminePassword());
}

TEST_P(PasswordStoreTest, DetermineChoosesWelcomeOnlyWhenTheFileHoldsADigest) {
  EXPECT_EQ(kNewUser, store_.DeterminePassword());  // no file: a first start, silently
  EXPECT_TRUE(boxes_.shown.empty());

  // Every file a check can match: Welcome, and nothing said.
  for (const std::string& content :
       {std::string(kSecretDigest) + "\r\n", std::string(kSecretDigest),
        std::string(kSecretDigest) + ",anything\r\n", std::string(kSecretDigest) + "extra characters\r\n",
        std::string("0123456789abcdef0123456789abcdef\r\n")}) {
    WriteBytes(PasswordFile(), content);
    EXPECT_EQ(kWelcome, store_.DeterminePassword()) << content;
    EXPECT_FALSE(layer_.IsOpen(1));
  }
  EXPECT_TRUE(boxes_.shown.empty());

  // A file no password can match would lock everyone out: it is named, and
  // New User offered.
  const struct {
    std::string content;
    FileError read;  // what the message tells
  } noDigest[] = {
      {"", FileError::ReadPastEnd},
      {"\r\n", FileError::None},
      {"3", FileError::None},
      {std::string(kSecretDigest).substr(0, 31) + "\r\n", FileError::None},
      {"33E1B232A4E6FA0028A6670753749A17\r\n", FileError::None},  // uppercase never matches
      {"33e1b232a4e6fa0028a6670753749a1g\r\n", FileError::None},
      {std::string(",") + kSecretDigest, FileError::None},
      {std::string("\r\n") + kSecretDigest + "\r\n", FileError::None},  // only the first line counts
      {"\xEF\xBB\xBF" + std::string(kSecretDigest) + "\r\n", FileError::None},
  };
  for (const auto& c : noDigest) {
    boxes_.shown.clear();
    WriteBytes(PasswordFile(), c.content);
    EXPECT_EQ(kNewUser, store_.DeterminePassword()) << c.content;
    EXPECT_EQ((Boxes{{messages::NoPasswordInFile(PasswordFile(), c.read), "Fendrel"}}), boxes_.shown)
        << c.content;
    EXPECT_FALSE(layer_.IsOpen(1));
    EXPECT_EQ(c.content, ReadBytes(PasswordFile())) << "the start changes nothing in the file";
  }
  EXPECT_NE(std::string::npos, boxes_.shown[0].text.find(PasswordFile()));
}

TEST_P(PasswordStoreTest, ASaveIntoAMissingFolderSaysWhyAndStoresNothing) {
  systemFolder_.path = folder_.File("missing");
  const std::string file = systemFolder_.path + "\\satinfo.dll";

  EXPECT_FALSE(store_.SavePassword(u"s3cret"));

  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ(messages::PasswordNotSaved(file, FileError::NotFound), boxes_.shown[0].text);
  EXPECT_EQ("Fendrel", boxes_.shown[0].title);
  EXPECT_NE(std::string::npos, boxes_.shown[0].text.find(file));
  EXPECT_NE(std::string::npos, boxes_.shown[0].text.find("administrator"));
  EXPECT_FALSE(Exists(file));
  EXPECT_FALSE(Exists(file + ".new"));
  EXPECT_EQ(1, layer_.LowestFree());
}

TEST_P(PasswordStoreTest, ASaveThatCannotReplaceTheFileKeepsTheOldPassword) {
  ASSERT_TRUE(store_.SavePassword(u"s3cret"));
  boxes_.shown.clear();
  ASSERT_EQ(FileError::None,
            layer_.Open(99, PasswordFile(), OpenMode::Input));  // held: no writer may replace it

  EXPECT_FALSE(store_.SavePassword(u"new one"));

  ASSERT_EQ(1u, boxes_.shown.size());
  // Windows calls a replace of an open file access denied, the portable file
  // system a sharing violation; either way the message names it.
  const std::string& text = boxes_.shown[0].text;
  EXPECT_TRUE(text == messages::PasswordNotSaved(PasswordFile(), FileError::SharingViolation) ||
              text == messages::PasswordNotSaved(PasswordFile(), FileError::AccessDenied))
      << text;
  layer_.Close(99);
  EXPECT_EQ(std::string(kSecretDigest) + "\r\n", ReadBytes(PasswordFile()));
  EXPECT_FALSE(Exists(PasswordFile() + ".new"));
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));
  EXPECT_FALSE(store_.CheckPassword(u"new one"));
}

TEST_P(PasswordStoreTest, ASaveOverAFolderInTheFilesPlaceFailsWithAMessage) {
  MakeFolder(PasswordFile());
  EXPECT_FALSE(store_.SavePassword(u"s3cret"));
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_EQ("Fendrel", boxes_.shown[0].title);
  EXPECT_FALSE(Exists(PasswordFile() + ".new"));
}

TEST_P(PasswordStoreTest, WithoutAFileInTheSystemFolderThe32BitFoldersFileIsThePassword) {
  systemFolder_.others[kCsidlSystemX86] = folder_.File("SysWOW64");
  MakeFolder(folder_.File("SysWOW64"));
  const std::string x86File = folder_.File("SysWOW64") + "\\satinfo.dll";
  WriteBytes(x86File, std::string(kSecretDigest) + "\r\n");
  EXPECT_EQ(kWelcome, store_.DeterminePassword());
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));
  EXPECT_FALSE(store_.CheckPassword(u"other"));

  // A saved password goes to the system folder, and from then on it counts.
  ASSERT_TRUE(store_.SavePassword(u"new one"));
  EXPECT_EQ(std::string(kSecretDigest) + "\r\n", ReadBytes(x86File));
  EXPECT_TRUE(store_.CheckPassword(u"new one"));
  EXPECT_FALSE(store_.CheckPassword(u"s3cret"));
}

INSTANTIATE_TEST_SUITE_P(AllFileSystems, PasswordStoreTest, ::testing::ValuesIn(testing::FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace fendrel
