// Faults under real Windows behaviour: "prot.dat" held by another program,
// and the saving process killed at random moments.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "platform/atomic_save.h"
#include "platform/file_layer.h"
#include "platform/file_system_win.h"
#include "protection/list_editing.h"
#include "screen/messages.h"
#include "tests/core/fakes.h"
#include "tests/core/test_support.h"
#include "tests/win32/e2e_driver_win.h"
#include "tests/win32/process_support_win.h"
#include "tests/win32/save_churn_lists_win.h"

namespace fendrel {
namespace {

using testing::ChildProcess;
using testing::Exists;
using testing::NoPicker;
using testing::ReadBytes;
using testing::RecordingMessageBoxes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(FaultTest, AListFileHeldByAnotherProgramRefusesTheSaveWhichIsReportedAndTheOldBytesStay) {
  TempFolder folder;
  Win32FileSystem system;
  FileLayer layer(system);
  Protection protection(layer, folder.path());
  RecordingMessageBoxes boxes;
  NoPicker picker;
  ListEditing editing(protection, boxes, picker);
  const std::string a = folder.File("a.txt"), b = folder.File("b.txt");
  WriteBytes(a, "a");
  WriteBytes(b, "b");
  WriteBytes(protection.SafeListFile(), a + "\r\n");
  protection.LoadLists();

  ChildProcess holder("sharing_probe", {"hold", protection.SafeListFile()});  // shares nothing
  ASSERT_TRUE(holder.started());
  ASSERT_TRUE(holder.WaitForLine("held"));
  editing.Add(ListKind::Safe, b);
  ASSERT_EQ(1u, boxes.shown.size());
  const std::string& text = boxes.shown[0].text;
  // The edit's read of the file is refused first: a file that cannot be
  // read whole is never written, and the message names it and the reason.
  EXPECT_EQ(messages::CouldNotSave(protection.SafeListFile(), ListReason::NotLoaded), text);
  EXPECT_EQ(2, protection.EntryCount(ListKind::Safe));
  holder.CloseInput();
  ASSERT_TRUE(holder.WaitForExit(10000));

  EXPECT_EQ(a + "\r\n", ReadBytes(protection.SafeListFile()));
  EXPECT_FALSE(Exists(protection.SafeListFile() + ".new"));
  editing.Remove(ListKind::Safe, 0);  // the next edit saves the list on the screen
  EXPECT_EQ(b + "\r\n", ReadBytes(protection.SafeListFile()));
}

// How many times the saving process is killed: 20 in every test run, and
// what FENDREL_KILLS says for the long run (scripts/bench.sh --kills).
int KillsToMake() {
  const char* value = std::getenv("FENDREL_KILLS");
  const int kills = value != nullptr ? std::atoi(value) : 0;
  return kills > 0 ? kills : 20;
}

// The replace keeps the list file's own attributes (and its access list,
// which Wine does not keep as a program sets it, so only the attributes are
// seen here).
TEST(FaultTest, ASavedListFileKeepsItsAttributes) {
  TempFolder folder;
  Win32FileSystem system;
  FileLayer layer(system);
  const std::string file = folder.File("prot.dat");
  WriteBytes(file, "old\r\n");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_EQ(FileError::None, SaveBytesAtomically(layer, 1, file, "new\r\n"));
  EXPECT_EQ("new\r\n", ReadBytes(file));
  EXPECT_NE(0u, GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// save_churn saves 300- and 301-entry lists in turn; killed anywhere, it
// leaves "emer.dat" as one of them, whole. About 1,000 saves in all in the
// 20 kills of a test run. (Both list files are saved the same way.)
TEST(FaultTest, AProcessKilledAtRandomMomentsWhileSavingLeavesTheOldOrTheNewListNeverACutOne) {
  TempFolder folder;
  const std::string list = folder.File("emer.dat");
  const std::string shorter = testing::ChurnFile(false), longer = testing::ChurnFile(true);
  const unsigned seed = std::random_device()();
  std::mt19937 random(seed);
  std::printf("random seed %u\n", seed);
  const int kills = KillsToMake();
  int saves = 0, shortSeen = 0, longSeen = 0, cut = 0, leftovers = 0;
  std::string firstCut;
  for (int kill = 0; kill < kills; ++kill) {
    const int after = std::uniform_int_distribution<int>(1, 99)(random);
    ChildProcess churn("save_churn", {folder.path(), "100000"});
    ASSERT_TRUE(churn.started());
    ASSERT_TRUE(churn.WaitForLine("saved " + std::to_string(after))) << "kill " << kill;
    Sleep(std::uniform_int_distribution<DWORD>(0, 3)(random));  // a moment somewhere in a later save
    churn.Kill();
    ASSERT_TRUE(churn.WaitForExit(10000));
    saves += after;

    // A cut list is counted and the kills go on, so a long run says how
    // many there were.
    const std::string bytes = ReadBytes(list);
    if (bytes == shorter || bytes == longer) {
      (bytes == shorter ? shortSeen : longSeen) += 1;
    } else if (++cut == 1) {
      firstCut = "kill " + std::to_string(kill) + " left " + std::to_string(bytes.size()) + " bytes, not " +
                 std::to_string(shorter.size()) + " or " + std::to_string(longer.size());
    }
    if (Exists(list + ".new")) ++leftovers;
  }
  std::printf(
      "%d kills after %d or more saves: %d left the 300-entry list, %d the 301-entry list, %d a cut list; "
      "%d left an emer.dat.new beside it\n",
      kills, saves, shortSeen, longSeen, cut, leftovers);
  EXPECT_EQ(0, cut) << firstCut << " (seed " << seed << ")";
}

}  // namespace
}  // namespace fendrel
