// Holds seen from another process under real Windows file sharing: a held
// file can be read but not written, deleted or renamed, until its number is
// closed or the holding process ends.
#include <gtest/gtest.h>

#include "platform/file_layer.h"
#include "platform/file_system_win.h"
#include "protection/protection.h"
#include "tests/core/test_support.h"
#include "tests/win32/process_support_win.h"

namespace fendrel {
namespace {

using testing::Probe;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

class HoldTest : public ::testing::Test {
 protected:
  std::string Existing(const std::string& name) {
    WriteBytes(folder_.File(name), "original");
    return folder_.File(name);
  }
  // Every way another process could change the file is refused, reading is not.
  void ExpectHeld(const std::string& path) {
    EXPECT_EQ(ERROR_SHARING_VIOLATION, Probe("write", path)) << path;
    EXPECT_EQ(ERROR_SHARING_VIOLATION, Probe("delete", path)) << path;
    EXPECT_EQ(ERROR_SHARING_VIOLATION, Probe("rename", path)) << path;
    EXPECT_EQ(ERROR_SUCCESS, Probe("read", path)) << path;
    EXPECT_EQ("original", ReadBytes(path));
  }

  Win32FileSystem system_;
  FileLayer layer_{system_};
  TempFolder folder_;
  Protection protection_{layer_, folder_.path()};
};

TEST_F(HoldTest, AHeldFileIsReadableButRefusesWriteDeleteAndRenameUntilReleased) {
  const std::string file = Existing("held.txt");
  ASSERT_EQ(FileError::None, protection_.Add(ListKind::Safe, file));
  ExpectHeld(file);
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 0));
  EXPECT_EQ(ERROR_SUCCESS, Probe("write", file));
  EXPECT_EQ(ERROR_SUCCESS, Probe("delete", file));
  EXPECT_FALSE(testing::Exists(file));
}

TEST_F(HoldTest, AFileHeldTwiceStaysHeldUntilBothHoldsAreReleased) {
  const std::string file = Existing("twice.txt");
  ASSERT_EQ(FileError::None, protection_.Add(ListKind::Safe, file));
  ASSERT_EQ(FileError::None, protection_.Add(ListKind::Safe, file));
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 0));
  ExpectHeld(file);
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 0));
  EXPECT_EQ(ERROR_SUCCESS, Probe("write", file));
}

TEST_F(HoldTest, TheLoadStepOfAnotherProcessHoldsItsSafeListUntilThatProcessEnds) {
  const std::string a = Existing("a.txt"), b = Existing("b.txt");
  WriteBytes(protection_.SafeListFile(), a + "\r\n" + folder_.File("missing.txt") + "\r\n" + b + "\r\n");
  testing::ChildProcess holder("hold_holder", {folder_.path()});
  ASSERT_TRUE(holder.started());
  ASSERT_TRUE(holder.WaitForLine("held"));
  ExpectHeld(a);
  ExpectHeld(b);
  holder.Kill();
  ASSERT_TRUE(holder.WaitForExit(10000));
  EXPECT_EQ(ERROR_SUCCESS, Probe("write", a));
  EXPECT_EQ(ERROR_SUCCESS, Probe("delete", b));
}

}  // namespace
}  // namespace fendrel
