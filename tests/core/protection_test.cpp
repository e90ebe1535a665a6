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
using Numbers = std::vector<int>;

class ProtectionTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  void Load() { protection_.LoadLists(); }
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
  EXPECT_EQ((Rows{a, b}), protection_.Paths(ListKind::Safe));
  EXPECT_EQ((Numbers{99, 100}), protection_.HoldRows(ListKind::Safe));  // the blank line takes no number
  EXPECT_EQ((Rows{e}), protection_.Paths(ListKind::Emergency));
  EXPECT_TRUE(protection_.HoldRows(ListKind::Emergency).empty());
  EXPECT_EQ(-1, protection_.selected(ListKind::Safe));
  EXPECT_TRUE(Held(a));
  EXPECT_TRUE(Held(b));
  EXPECT_FALSE(Held(e));
  EXPECT_EQ(101, protection_.nextHoldNumber());
}

TEST_P(ProtectionTest, MissingListFilesGiveEmptyListsAndTheSafeListNeverLeaksIntoTheOther) {
  Load();
  EXPECT_TRUE(protection_.Paths(ListKind::Safe).empty());
  EXPECT_TRUE(protection_.Paths(ListKind::Emergency).empty());
  WriteBytes(protection_.SafeListFile(), "C:\\not\\there.txt");  // no line end on the last line
  Protection nextRun(layer_, folder_.path());
  nextRun.LoadLists();
  EXPECT_EQ((Rows{"C:\\not\\there.txt"}), nextRun.Paths(ListKind::Safe));
  EXPECT_TRUE(nextRun.Paths(ListKind::Emergency).empty());
}

TEST_P(ProtectionTest, AFailedHoldNeverTakesOrFreesANumber) {
  const std::string missing = folder_.File("missing.txt");
  const std::string b = Existing("b.txt"), c = Existing("c.txt");
  WriteBytes(protection_.SafeListFile(), missing + "\r\n" + b + "\r\n");
  Load();
  EXPECT_EQ((Numbers{Protection::kNoHold, 99}), protection_.HoldRows(ListKind::Safe));
  EXPECT_EQ(2, protection_.EntryCount(ListKind::Safe));
  // Failed emergency holds and a failed add leave the next number as it was.
  for (const std::string& path : {missing, c, missing}) protection_.Add(ListKind::Emergency, path);
  protection_.HoldEmergencyList();
  EXPECT_EQ((Numbers{Protection::kNoHold, 100, Protection::kNoHold}),
            protection_.HoldRows(ListKind::Emergency));
  EXPECT_EQ(FileError::NotFound, protection_.Add(ListKind::Safe, missing));
  EXPECT_EQ(101, protection_.nextHoldNumber());
  // Removing the entry that failed, and "No Emergency", close only real holds.
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 0));
  protection_.ReleaseEmergencyHolds();
  EXPECT_TRUE(Held(b));
  EXPECT_FALSE(Held(c));
  EXPECT_EQ((Rows{b}), protection_.Paths(ListKind::Safe));
  EXPECT_EQ((Numbers{99}), protection_.HoldRows(ListKind::Safe));
  EXPECT_EQ(100, protection_.nextHoldNumber());
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 0));
  EXPECT_FALSE(Held(b));
  EXPECT_FALSE(protection_.Remove(ListKind::Safe, 0));
}

TEST_P(ProtectionTest, FilesOpenForWritingCannotBeHeldAndTakeNoNumber) {
  const std::string busy = Existing("busy.txt");
  ASSERT_EQ(FileError::None, layer_.Open(1, busy, OpenMode::Append));
  ASSERT_EQ(FileError::None, protection_.Add(ListKind::Emergency, busy));
  const Protection::EmergencyHolding holding = protection_.HoldEmergencyList();
  layer_.Close(1);
  EXPECT_FALSE(holding.anyHeld);
  ASSERT_EQ(1u, holding.failures.size());
  EXPECT_EQ(busy, holding.failures[0].path);
  EXPECT_EQ(FileError::SharingViolation, holding.failures[0].why);
  EXPECT_TRUE(protection_.HoldRows(ListKind::Emergency).empty());  // nothing held, so no rows
  EXPECT_EQ(99, protection_.nextHoldNumber());
}

TEST_P(ProtectionTest, AThousandAddsAndRemovesAndAHundredEmergenciesKeepEveryListedFileHeld) {
  Rows safe, emergency;
  for (int i = 0; i < 3; ++i) safe.push_back(Existing("s" + std::to_string(i) + ".txt"));
  for (int i = 0; i < 9; ++i) emergency.push_back(Existing("e" + std::to_string(i) + ".txt"));
  const std::string both = Existing("both.txt"), passing = Existing("passing.txt");
  safe.push_back(both);
  emergency.push_back(both);
  std::string lines;
  for (const std::string& path : safe) lines += path + "\r\n";
  WriteBytes(protection_.SafeListFile(), lines);
  Load();
  for (const std::string& path : emergency)
    ASSERT_EQ(FileError::None, protection_.Add(ListKind::Emergency, path));

  // Every tenth add comes with an emergency and every hundredth add stays,
  // so the numbers freed by each release are taken again by other holds.
  for (int pair = 0; pair < 1000; ++pair) {
    const bool stays = pair % 100 == 99, cycle = pair % 10 == 0;
    const std::string added = stays ? Existing("kept" + std::to_string(pair) + ".txt") : passing;
    ASSERT_EQ(FileError::None, protection_.Add(ListKind::Safe, added)) << "add " << pair;
    if (cycle) {
      const Protection::EmergencyHolding holding = protection_.HoldEmergencyList();
      ASSERT_TRUE(holding.failures.empty()) << "emergency at add " << pair;
    }
    if (stays) {
      safe.push_back(added);
    } else {
      ASSERT_TRUE(protection_.Remove(ListKind::Safe, protection_.EntryCount(ListKind::Safe) - 1));
    }
    if (cycle) protection_.ReleaseEmergencyHolds();
  }

  EXPECT_FALSE(Held(passing));
  EXPECT_TRUE(protection_.HoldEmergencyList().failures.empty());
  for (const std::string& path : safe) EXPECT_TRUE(Held(path)) << path;
  for (const std::string& path : emergency) EXPECT_TRUE(Held(path)) << path;
  // The holds open now use the lowest numbers, one each: none was lost.
  EXPECT_EQ(Protection::kFirstHoldNumber + static_cast<int>(safe.size() + emergency.size()),
            protection_.nextHoldNumber());
  protection_.ReleaseEmergencyHolds();
  for (const std::string& path : safe) EXPECT_TRUE(Held(path)) << path;
  EXPECT_FALSE(Held(emergency[0]));
}

TEST_P(ProtectionTest, AFileOnBothListsKeepsItsSafeListHoldThroughEveryEmergencyCycle) {
  const std::string both = Existing("both.txt"), other = Existing("other.txt");
  ASSERT_EQ(FileError::None, protection_.Add(ListKind::Safe, both));
  protection_.Add(ListKind::Emergency, both);
  protection_.Add(ListKind::Emergency, other);
  Rows added;
  for (int cycle = 0; cycle < 50; ++cycle) {
    EXPECT_TRUE(protection_.HoldEmergencyList().failures.empty());
    if (cycle == 0) {  // each list holds the file under a number of its own
      EXPECT_EQ((Numbers{99}), protection_.HoldRows(ListKind::Safe));
      EXPECT_EQ((Numbers{100, 101}), protection_.HoldRows(ListKind::Emergency));
    }
    protection_.ReleaseEmergencyHolds();
    EXPECT_TRUE(protection_.HoldRows(ListKind::Emergency).empty());  // the rows go with their holds
    // The next add takes a number the emergency held a moment ago: no row
    // may be left that closes it at the next "No Emergency".
    added.push_back(Existing("added" + std::to_string(cycle) + ".txt"));
    ASSERT_EQ(FileError::None, protection_.Add(ListKind::Safe, added.back()));
    ASSERT_TRUE(Held(both)) << "cycle " << cycle;
    ASSERT_FALSE(Held(other)) << "cycle " << cycle;
  }
  for (const std::string& path : added) EXPECT_TRUE(Held(path)) << path;
  // Removing the safe entry lets the file go: no emergency hold was left.
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 0));
  EXPECT_FALSE(Held(both));
}

TEST_P(ProtectionTest, TheEmergencyHoldsInListOrderAndKeepsThePersonsSelection) {
  const std::string a = Existing("a.txt"), c = Existing("c.txt");
  for (const std::string& path : {a, folder_.File("missing.txt"), c})
    protection_.Add(ListKind::Emergency, path);
  protection_.Select(ListKind::Emergency, 1);
  const Protection::EmergencyHolding holding = protection_.HoldEmergencyList();
  EXPECT_TRUE(holding.anyHeld);
  EXPECT_EQ((Numbers{99, Protection::kNoHold, 100}), protection_.HoldRows(ListKind::Emergency));
  EXPECT_EQ(1, protection_.selected(ListKind::Emergency));
  protection_.ReleaseEmergencyHolds();
  EXPECT_FALSE(Held(a));
  EXPECT_FALSE(Held(c));
  EXPECT_TRUE(protection_.HoldRows(ListKind::Emergency).empty());
  protection_.HoldEmergencyList();  // a second emergency takes the freed numbers again
  EXPECT_EQ((Numbers{99, Protection::kNoHold, 100}), protection_.HoldRows(ListKind::Emergency));
  EXPECT_TRUE(Held(a));
  EXPECT_TRUE(Held(c));
}

TEST_P(ProtectionTest, SavesWriteExactlyOneCrLfLineAPerEntryAndSelectTheLast) {
  for (const char* path : {" leading space", "C:\\a, b \"c\".txt", "x"})
    protection_.Add(ListKind::Emergency, path);
  ASSERT_EQ(FileError::None, protection_.SaveList(ListKind::Emergency));
  EXPECT_EQ(" leading space\r\nC:\\a, b \"c\".txt\r\nx\r\n", ReadBytes(protection_.EmergencyListFile()));
  EXPECT_EQ(2, protection_.selected(ListKind::Emergency));
  EXPECT_FALSE(testing::Exists(protection_.EmergencyListFile() + ".new"));

  ASSERT_EQ(FileError::None, protection_.SaveList(ListKind::Safe));
  EXPECT_TRUE(testing::Exists(protection_.SafeListFile()));
  EXPECT_EQ("", ReadBytes(protection_.SafeListFile()));

  // What was saved reads back unchanged, in order, in the next run.
  Protection nextRun(layer_, folder_.path());
  nextRun.LoadLists();
  EXPECT_EQ((Rows{" leading space", "C:\\a, b \"c\".txt", "x"}), nextRun.Paths(ListKind::Emergency));
}

TEST_P(ProtectionTest, ASaveThatCannotReplaceAHeldListFileKeepsTheOldBytesAndSaysWhy) {
  // "prot.dat" itself on the safe list is never held, since its hold would
  // refuse every save; another program's hold refuses the rewrite.
  WriteBytes(protection_.SafeListFile(), protection_.SafeListFile() + "\r\n");
  Load();
  ASSERT_EQ((Numbers{0}), protection_.HoldRows(ListKind::Safe));
  EXPECT_EQ(ListOutcome(ListReason::OwnListFile), protection_.OutcomeOf(ListKind::Safe, 0).value());
  ASSERT_EQ(FileError::None, protection_.Add(ListKind::Safe, Existing("another.txt")));
  EXPECT_EQ(FileError::None, protection_.SaveList(ListKind::Safe));
  const std::string saved = ReadBytes(protection_.SafeListFile());
  ASSERT_EQ(FileError::None, layer_.Open(5, protection_.SafeListFile(), OpenMode::Input));
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 1));
  EXPECT_NE(FileError::None, protection_.SaveList(ListKind::Safe));
  layer_.Close(5);
  EXPECT_EQ(saved, ReadBytes(protection_.SafeListFile()));
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
  EXPECT_TRUE(protection_.Paths(ListKind::Safe).empty());
  ASSERT_EQ(FileError::None, protection_.Add(ListKind::Safe, Existing("new.txt")));
  EXPECT_EQ(ListReason::NotLoaded, protection_.SaveList(ListKind::Safe));
  EXPECT_EQ(a + "\r\n", ReadBytes(protection_.SafeListFile()));
  // The other list was read and saves as usual.
  EXPECT_EQ(FileError::None, protection_.SaveList(ListKind::Emergency));
}

TEST_P(ProtectionTest, ASaveIntoAMissingFolderFailsWithoutTouchingAnything) {
  Protection elsewhere(layer_, folder_.File("gone"));
  elsewhere.Add(ListKind::Emergency, "x");
  EXPECT_EQ(FileError::NotFound, elsewhere.SaveList(ListKind::Emergency));
  EXPECT_EQ(1, layer_.LowestFree());
}

INSTANTIATE_TEST_SUITE_P(AllFileSystems, ProtectionTest, ::testing::ValuesIn(FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace fendrel
