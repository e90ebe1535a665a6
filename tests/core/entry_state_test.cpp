// Which listed files are protected now and why not, after each thing that
// changes a hold: the load, adds, removes, the emergency and its release.
#include "protection/entry_state.h"
#include "protection/protection.h"

#include <gtest/gtest.h>

#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::FileSystemKinds;
using testing::WriteBytes;

const EntryState kHeld{true, false, FileError::None, std::nullopt};
const EntryState kAwaitsEmergency{false, true, FileError::None, std::nullopt};
EntryState NotHeld(ListOutcome why) {
  return {false, false, why, std::nullopt};
}

class EntryStateTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  std::string Existing(const std::string& name) { return testing::MakeFile(folder_, name); }
  ListStates States() const { return protection_.states(); }

  std::unique_ptr<FileSystem> system_ = GetParam().make();
  FileLayer layer_{*system_};
  testing::TempFolder folder_;
  Protection protection_{layer_, folder_.path()};
};

TEST_P(EntryStateTest, AfterTheLoadEachSafeEntrySaysWhyItIsNotHeldAndEmergencyEntriesWait) {
  const std::string a = Existing("a.txt"), e = Existing("e.txt");
  const std::string missing = folder_.File("missing.txt"), dir = folder_.File("dir");
  testing::MakeFolder(dir);
  WriteBytes(protection_.SafeListFile(), a + "\r\n" + missing + "\r\n" + dir + "\r\n" + a + "\r\n");
  WriteBytes(protection_.EmergencyListFile(), e + "\r\n" + a + "\r\n" + missing + "\r\n");
  protection_.LoadLists();
  while (protection_.ContinueFolderWalks(100)) {
  }
  const ListStates states = States();
  const EntryState emptyFolder{true, false, FileError::None, FolderCounts{0, 0, 0, {}, true}};
  EXPECT_EQ((std::vector<EntryState>{kHeld, NotHeld(FileError::NotFound), emptyFolder, kHeld}), states.safe);
  // The file on both lists is held through the safe list before any emergency.
  EXPECT_EQ((std::vector<EntryState>{kAwaitsEmergency, kHeld, kAwaitsEmergency}), states.emergency);
  EXPECT_EQ(2, states.safeFiles);  // "a" is listed twice and counted once, the empty folder holds none
  EXPECT_EQ(1, states.safeFilesHeld);
}

TEST_P(EntryStateTest, AFileListedTwiceIsHeldWhileEitherEntryHoldsIt) {
  const std::string late = folder_.File("late.txt");
  WriteBytes(protection_.SafeListFile(), late + "\r\n");
  protection_.LoadLists();
  EXPECT_EQ(NotHeld(FileError::NotFound), States().safe[0]);
  // The file appears and is added again: the first entry's file is held now too.
  Existing("late.txt");
  ASSERT_EQ(FileError::None, protection_.Add(ListKind::Safe, late));
  EXPECT_EQ((std::vector<EntryState>{kHeld, kHeld}), States().safe);
  EXPECT_EQ(1, States().safeFilesHeld);
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 1));
  EXPECT_EQ(NotHeld(FileError::NotFound), States().safe[0]);
  EXPECT_EQ(0, States().safeFilesHeld);
  EXPECT_EQ(1, States().safeFiles);
}

TEST_P(EntryStateTest, RemovingAnEntryBeforeTheLastTakesItsStateWithIt) {
  const std::string a = Existing("a.txt"), missing = folder_.File("missing.txt"), b = Existing("b.txt");
  WriteBytes(protection_.SafeListFile(), a + "\r\n" + missing + "\r\n" + b + "\r\n");
  protection_.LoadLists();
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 0));
  // Each later row shows its own entry's state, not the one of the row before.
  EXPECT_EQ((std::vector<EntryState>{NotHeld(FileError::NotFound), kHeld}), States().safe);
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 0));
  EXPECT_EQ((std::vector<EntryState>{kHeld}), States().safe);
}

TEST_P(EntryStateTest, TheEmergencyHoldsItsEntriesUntilNoEmergencyAlsoOnesNoLongerListed) {
  const std::string a = Existing("a.txt"), b = Existing("b.txt"), s = Existing("s.txt");
  const std::string missing = folder_.File("missing.txt");
  ASSERT_EQ(FileError::None, protection_.Add(ListKind::Safe, s));
  for (const std::string& path : {a, missing, b, s}) protection_.Add(ListKind::Emergency, path);
  protection_.HoldEmergencyList();
  EXPECT_EQ((std::vector<EntryState>{kHeld, NotHeld(FileError::NotFound), kHeld, kHeld}), States().emergency);

  // "a" leaves the list but stays held until "No Emergency": listed again,
  // it shows as held though the new entry waits for the next emergency.
  ASSERT_TRUE(protection_.Remove(ListKind::Emergency, 0));
  protection_.Add(ListKind::Emergency, a);
  protection_.Add(ListKind::Emergency, Existing("new.txt"));
  EXPECT_EQ((std::vector<EntryState>{NotHeld(FileError::NotFound), kHeld, kHeld, kHeld, kAwaitsEmergency}),
            States().emergency);

  // "No Emergency": everything waits again but the file the safe list holds.
  protection_.ReleaseEmergencyHolds();
  EXPECT_EQ((std::vector<EntryState>{kAwaitsEmergency, kAwaitsEmergency, kHeld, kAwaitsEmergency,
                                     kAwaitsEmergency}),
            States().emergency);
  EXPECT_EQ((std::vector<EntryState>{kHeld}), States().safe);

  // Removing the safe-list entry leaves its emergency entry waiting too.
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 0));
  EXPECT_EQ(kAwaitsEmergency, States().emergency[2]);
  EXPECT_EQ(0, States().safeFiles);
}

TEST_P(EntryStateTest, AnEmergencyThatHoldsNothingStillSaysWhyForEachEntry) {
  const std::string busy = Existing("busy.txt");
  ASSERT_EQ(FileError::None, layer_.Open(1, busy, OpenMode::Append));
  protection_.Add(ListKind::Emergency, busy);
  protection_.HoldEmergencyList();
  layer_.Close(1);
  EXPECT_EQ(NotHeld(FileError::SharingViolation), States().emergency[0]);
}

TEST_P(EntryStateTest, ARelativePathOrADeviceIsListedNeverHeldNorCountedAndSaysWhy) {
  const std::string a = Existing("a.txt"), e = Existing("e.txt");
  WriteBytes(protection_.SafeListFile(), a + "\r\nNUL\r\na.txt\r\n");
  WriteBytes(protection_.EmergencyListFile(), "CON.txt\r\n" + e + "\r\n");
  protection_.LoadLists();
  const ListStates states = States();
  EXPECT_EQ(
      (std::vector<EntryState>{kHeld, NotHeld(ListReason::NamesDevice), NotHeld(ListReason::NotAbsolute)}),
      states.safe);
  EXPECT_EQ((std::vector<EntryState>{NotHeld(ListReason::NamesDevice), kAwaitsEmergency}), states.emergency);
  EXPECT_EQ(1, states.safeFilesHeld);
  EXPECT_EQ(3, states.safeFiles);
  EXPECT_FALSE(protection_.RetryNotHeld());
  EXPECT_FALSE(WakeupsFor(protection_.NotHeldNow(), *system_).any()) << "nothing can bring them";

  const Protection::EmergencyHolding holding = protection_.HoldEmergencyList();
  ASSERT_EQ(1u, holding.failures.size());
  EXPECT_EQ(ListReason::NamesDevice, holding.failures[0].why);
  EXPECT_EQ(ListReason::NotAbsolute, protection_.Add(ListKind::Safe, "..\\a.txt"));
  EXPECT_EQ(3, protection_.EntryCount(ListKind::Safe));
}

INSTANTIATE_TEST_SUITE_P(AllFileSystems, EntryStateTest, ::testing::ValuesIn(FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });

TEST(FileKeyTest, WindowsSpellingsOfOnePathGiveOneKey) {
  EXPECT_EQ(FileKey("c:\\dir\\a.txt"), FileKey("C:/Dir/A.TXT"));
  EXPECT_NE(FileKey("c:\\dir\\a.txt"), FileKey("c:\\dir\\a.txt2"));
  EXPECT_EQ(FileKey("C:\\\xc4.txt"), FileKey("c:\\\xc4.TXT"));  // bytes that are not UTF-8 stay as they are
  EXPECT_NE(FileKey("C:\\\xc4.txt"), FileKey("C:\\\xe4.txt"));
  // Letters past ASCII fold as Windows folds them, one UTF-16 unit to one.
  EXPECT_EQ(FileKey("C:\\Отчёт 2024.txt"), FileKey("c:/ОТЧЁТ 2024.TXT"));
  EXPECT_EQ(FileKey("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"), FileKey("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"));
  EXPECT_EQ(FileKey("Ăā"), FileKey("ăĀ"));  // every second unit of a range is a capital
  EXPECT_NE(FileKey("Ă"), FileKey("ā"));
  EXPECT_EQ(FileKey("C:\\ｒeport.txt"), FileKey("C:\\Ｒeport.txt"));  // full-width r and R
  EXPECT_NE(FileKey("C:\\ｒeport.txt"), FileKey("C:\\report.txt"));
  EXPECT_NE(FileKey("C:\\Straße.txt"), FileKey("C:\\STRASSE.txt"));
  EXPECT_EQ(FileKey("C:\\😀.txt"), FileKey("c:\\😀.TXT"));
}

TEST(FileKeyTest, AsciiFoldsFromAToZAndNotBeyond) {
  EXPECT_EQ(FileKey("A"), FileKey("a"));
  EXPECT_EQ(FileKey("Z"), FileKey("z"));
  // The characters beside the letters stay themselves in either case.
  EXPECT_NE(FileKey("@"), FileKey("`"));
  EXPECT_NE(FileKey("["), FileKey("{"));
  EXPECT_EQ(FileKey("@["), FileKey("@["));
  EXPECT_NE(FileKey("@["), FileKey("`{"));
}

}  // namespace
}  // namespace fendrel
