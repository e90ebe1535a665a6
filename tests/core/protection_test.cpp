// The list files and the holds, against every file system of the build.
#include "protection/protection.h"

#include <gtest/gtest.h>

#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::FileSystemKinds;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Rows = std::vector<std::string>;

class ProtectionTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  // A fresh run: the load step sets the counter and reads both lists.
  void Load() {
    protection_.NextFileNumber = Protection::kFirstHoldNumber;
    protection_.LoadLists();
  }
  std::string Existing(const std::string& name, const std::string& bytes = "data") {
    return testing::MakeFile(folder_, name, bytes);
  }
  bool Held(const std::string& path) { return testing::RefusedToOwnWriter(layer_, path); }

  std::unique_ptr<FileSystem> system_ = GetParam().make();
  FileLayer layer_{*system_};
  TempFolder folder_;
  Protection protection_{layer_, folder_.path()};
};

TEST_P(ProtectionTest, LoadHoldsSafeListFilesInFileOrderAndListsEmergencyFilesOnly) {
  const std::string a = Existing("a.txt"), b = Existing("b.txt"), e = Existing("e.txt");
  WriteBytes(protection_.SafeListFile(), a + "\r\n\r\n" + b + "\r\n");
  WriteBytes(protection_.EmergencyListFile(), e + "\r\n");
  Load();
  EXPECT_EQ((Rows{a, b}), protection_.SafeList.items);
  EXPECT_EQ((Rows{"99", "100"}), protection_.SafeHolds.items);  // the blank line takes no number
  EXPECT_EQ((Rows{e}), protection_.EmergencyList.items);
  EXPECT_TRUE(protection_.EmergencyHolds.items.empty());
  EXPECT_EQ(-1, protection_.SafeList.selected);
  EXPECT_TRUE(Held(a));
  EXPECT_TRUE(Held(b));
  EXPECT_FALSE(Held(e));
  EXPECT_EQ(101, protection_.NextFileNumber);
}

TEST_P(ProtectionTest, MissingListFilesGiveEmptyListsAndTheSafeListNeverLeaksIntoTheOther) {
  Load();
  EXPECT_TRUE(protection_.SafeList.items.empty());
  EXPECT_TRUE(protection_.EmergencyList.items.empty());
  WriteBytes(protection_.SafeListFile(), "C:\\not\\there.txt");  // no line end on the last line
  Load();
  EXPECT_EQ((Rows{"C:\\not\\there.txt"}), protection_.SafeList.items);
  EXPECT_TRUE(protection_.EmergencyList.items.empty());
}

TEST_P(ProtectionTest, AFailedHoldRecordsNoNumberSoReleasingItReleasesNothing) {
  const std::string b = Existing("b.txt");
  WriteBytes(protection_.SafeListFile(), folder_.File("missing.txt") + "\r\n" + b + "\r\n");
  Load();
  EXPECT_EQ((Rows{"0", "99"}), protection_.SafeHolds.items);
  EXPECT_EQ(2, protection_.SafeList.count());
  protection_.Release(protection_.SafeHolds.items[0]);
  EXPECT_TRUE(Held(b));
  protection_.Release(protection_.SafeHolds.items[1]);
  EXPECT_FALSE(Held(b));
}

TEST_P(ProtectionTest, FoldersAndFilesOpenForWritingCannotBeHeld) {
  testing::MakeFolder(folder_.File("dir"));
  EXPECT_EQ(FileError::IsFolder, protection_.ProtectFile(folder_.File("dir")));
  const std::string busy = Existing("busy.txt");
  ASSERT_EQ(FileError::None, layer_.Open(1, busy, OpenMode::Append));
  EXPECT_EQ(FileError::SharingViolation, protection_.HoldEmergencyFile(busy));
  layer_.Close(1);
  EXPECT_EQ((Rows{"0"}), protection_.SafeHolds.items);
  EXPECT_EQ((Rows{"0"}), protection_.EmergencyHolds.items);
  EXPECT_EQ(99, protection_.NextFileNumber);
}

TEST_P(ProtectionTest, TheSameFileHeldTwiceStaysHeldUntilBothNumbersAreClosed) {
  const std::string a = Existing("a.txt");
  ASSERT_EQ(FileError::None, protection_.ProtectFile(a));
  ASSERT_EQ(FileError::None, protection_.HoldEmergencyFile(a));
  EXPECT_EQ((Rows{"99"}), protection_.SafeHolds.items);
  EXPECT_EQ((Rows{"100"}), protection_.EmergencyHolds.items);
  protection_.Release("100");
  EXPECT_TRUE(Held(a));
  protection_.Release("99");
  EXPECT_FALSE(Held(a));
}

TEST_P(ProtectionTest, ARunTakes413HoldsAtMostAndTheNextOneSaysSo) {
  const std::string a = Existing("a.txt");
  for (int i = 0; i < 413; ++i) ASSERT_EQ(FileError::None, protection_.ProtectFile(a)) << i;
  EXPECT_EQ("511", protection_.SafeHolds.items.back());
  EXPECT_EQ(FileError::NoFreeNumber, protection_.HoldEmergencyFile(a));
  EXPECT_EQ("0", protection_.EmergencyHolds.items.back());
  protection_.Release("300");  // released numbers are never used again
  EXPECT_EQ(FileError::NoFreeNumber, protection_.ProtectFile(a));
  EXPECT_EQ(512, protection_.NextFileNumber);
  EXPECT_EQ(1, layer_.LowestFree());  // short-lived work still has number 1
}

TEST_P(ProtectionTest, SavesWriteExactlyOneCrLfLineAPerEntryAndSelectTheLast) {
  protection_.SafeList.items = {" leading space", "C:\\a, b \"c\".txt", "x"};
  ASSERT_EQ(FileError::None, protection_.SaveSafeList());
  EXPECT_EQ(" leading space\r\nC:\\a, b \"c\".txt\r\nx\r\n", ReadBytes(protection_.SafeListFile()));
  EXPECT_EQ(2, protection_.SafeList.selected);
  EXPECT_FALSE(testing::Exists(protection_.SafeListFile() + ".new"));

  protection_.EmergencyList.items = {};
  ASSERT_EQ(FileError::None, protection_.SaveEmergencyList());
  EXPECT_TRUE(testing::Exists(protection_.EmergencyListFile()));
  EXPECT_EQ("", ReadBytes(protection_.EmergencyListFile()));

  // What was saved reads back unchanged, in order, in the next run.
  Protection nextRun(layer_, folder_.path());
  nextRun.LoadLists();
  EXPECT_EQ((Rows{" leading space", "C:\\a, b \"c\".txt", "x"}), nextRun.SafeList.items);
}

TEST_P(ProtectionTest, ASaveThatCannotReplaceAHeldListFileKeepsTheOldBytesAndSaysWhy) {
  // "prot.dat" itself on the safe list: the program's own hold refuses the rewrite.
  WriteBytes(protection_.SafeListFile(), protection_.SafeListFile() + "\r\n");
  Load();
  ASSERT_EQ((Rows{"99"}), protection_.SafeHolds.items);
  protection_.SafeList.items.push_back("C:\\another.txt");
  EXPECT_NE(FileError::None, protection_.SaveSafeList());
  EXPECT_EQ(protection_.SafeListFile() + "\r\n", ReadBytes(protection_.SafeListFile()));
  EXPECT_FALSE(testing::Exists(protection_.SafeListFile() + ".new"));
}

TEST_P(ProtectionTest, AListFileThatCouldNotBeReadAtLoadIsNeverWrittenOver) {
  const std::string a = Existing("a.txt");
  WriteBytes(protection_.SafeListFile(), a + "\r\n");
  WriteBytes(protection_.EmergencyListFile(), a + "\r\n");
  // Another writer has "prot.dat" open while the program starts.
  ASSERT_EQ(FileError::None, layer_.Open(5, protection_.SafeListFile(), OpenMode::Append));
  Load();
  layer_.Close(5);
  EXPECT_TRUE(protection_.SafeList.items.empty());
  protection_.SafeList.items.push_back("C:\\new.txt");
  EXPECT_EQ(FileError::NotLoaded, protection_.SaveSafeList());
  EXPECT_EQ(a + "\r\n", ReadBytes(protection_.SafeListFile()));
  // The other list was read and saves as usual.
  EXPECT_EQ(FileError::None, protection_.SaveEmergencyList());
}

TEST_P(ProtectionTest, ASaveIntoAMissingFolderFailsWithoutTouchingAnything) {
  Protection elsewhere(layer_, folder_.File("gone"));
  elsewhere.SafeList.items = {"x"};
  EXPECT_EQ(FileError::NotFound, elsewhere.SaveSafeList());
  EXPECT_EQ(1, layer_.LowestFree());
}

INSTANTIATE_TEST_SUITE_P(AllFileSystems, ProtectionTest, ::testing::ValuesIn(FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace fendrel
