// The system folder as the shell reports it, and the password file in it.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "password/password_store.h"
#include "platform/file_layer.h"
#include "platform/file_system_win.h"
#include "platform/system_folder_win.h"
#include "tests/core/fakes.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

TEST(SystemFolderTest, TheSystemFolderIsGetSystemDirectoryWithoutATrailingBackslash) {
  Win32SystemFolder folder;
  const std::string path = folder.GetDataFolder(kCsidlSystem);
  char expected[MAX_PATH] = {};
  ASSERT_NE(0u, GetSystemDirectoryA(expected, MAX_PATH));
  EXPECT_EQ(0, lstrcmpiA(expected, path.c_str())) << expected << " / " << path;
  ASSERT_FALSE(path.empty());
  EXPECT_NE('\\', path.back());
  const DWORD attributes = GetFileAttributesA(path.c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
  EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(SystemFolderTest, The32BitSystemFolderIsSysWow64) {
  const std::string path = Win32SystemFolder().GetDataFolder(kCsidlSystemX86);
  char expected[MAX_PATH] = {};
  ASSERT_NE(0u, GetSystemWow64DirectoryA(expected, MAX_PATH));
  EXPECT_EQ(0, lstrcmpiA(expected, path.c_str())) << expected << " / " << path;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << path;
  EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(SystemFolderTest, AnUnknownFolderOrOneWithoutAPathIsTheEmptyText) {
  Win32SystemFolder folder;
  EXPECT_EQ("", folder.GetDataFolder(0xFF));  // no such identifier
  EXPECT_EQ("", folder.GetDataFolder(0x11));  // CSIDL_DRIVES: a folder of the shell only
}

// The real password file, saved before the test and put back after it.
class SystemPasswordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = store_.PasswordFile();
    if (GetFileAttributesA(file_.c_str()) != INVALID_FILE_ATTRIBUTES) saved_ = ReadBytes(file_);
  }
  void TearDown() override {
    if (saved_) {
      WriteBytes(file_, *saved_);
      EXPECT_EQ(*saved_, ReadBytes(file_));
    } else {
      DeleteFileA(file_.c_str());
    }
  }

  Win32SystemFolder folder_;
  Win32FileSystem system_;
  FileLayer layer_{system_};
  testing::RecordingMessageBoxes boxes_;
  PasswordStore store_{layer_, folder_, boxes_};
  std::string file_;
  std::optional<std::string> saved_;
};

TEST_F(SystemPasswordTest, ASavedPasswordIsOneLineInSatinfoDllAndChecksOut) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(0, lstrcmpiA((std::string(system) + "\\satinfo.dll").c_str(), file_.c_str())) << file_;

  DeleteFileA(file_.c_str());
  EXPECT_EQ(kNewUser, store_.DeterminePassword());

  ASSERT_TRUE(store_.SavePassword(u"s3cret"));
  EXPECT_EQ((std::vector<testing::RecordingMessageBoxes::Box>{{"Password Saved", "Done."}}), boxes_.shown);
  EXPECT_EQ("33e1b232a4e6fa0028a6670753749a17\r\n", ReadBytes(file_));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((file_ + ".new").c_str()));
  EXPECT_TRUE(store_.CheckPassword(u"s3cret"));
  EXPECT_FALSE(store_.CheckPassword(u"S3cret"));
  EXPECT_EQ(kWelcome, store_.DeterminePassword());

  ASSERT_TRUE(store_.SavePassword(u"new one"));
  EXPECT_EQ(34u, ReadBytes(file_).size());
  EXPECT_FALSE(store_.CheckPassword(u"s3cret"));
  EXPECT_TRUE(store_.CheckPassword(u"new one"));
}

}  // namespace
}  // namespace fendrel
