// Folder entries: a listed folder holds everything under it, now and later,
// on every file system of the build; some folders are never held; the files
// held under folders have a limit that is always said.
#include <gtest/gtest.h>

#include "protection/emergency.h"
#include "protection/entry_state.h"
#include "protection/folder_tree.h"
#include "protection/protection.h"
#include "tests/core/fakes.h"
#include "tests/core/forwarding_file_system.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::FileSystemKinds;
using testing::WriteBytes;

class FolderEntryTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  void WalkAll() {
    while (protection_.ContinueFolderWalks(64)) {
    }
  }
  bool Held(const std::string& path) { return testing::RefusedToOwnWriter(layer_, path); }
  std::string Made(const std::string& relative) {
    WriteBytes(docs_ + "\\" + relative, "data");
    return docs_ + "\\" + relative;
  }
  // The folder docs_ with a file, and two more in a subfolder.
  std::vector<std::string> MakeTree() {
    testing::MakeFolder(docs_);
    testing::MakeFolder(docs_ + "\\sub");
    return {Made("a.txt"), Made("sub\\b.txt"), Made("sub\\c.txt")};
  }

  std::unique_ptr<FileSystem> system_ = GetParam().make();
  FileLayer layer_{*system_};
  testing::TempFolder folder_;
  std::string docs_ = folder_.File("docs");
  Protection protection_{layer_, folder_.path()};
};

TEST_P(FolderEntryTest, AListedFolderHoldsEverythingUnderItNowAndLaterAndItsReleaseLetsAllGo) {
  for (const ListKind kind : {ListKind::Safe, ListKind::Emergency}) {
    SCOPED_TRACE(kind == ListKind::Safe ? "safe list" : "emergency list");
    docs_ = folder_.File(kind == ListKind::Safe ? "docs" : "more docs");
    const std::vector<std::string> files = MakeTree();
    WriteBytes(kind == ListKind::Safe ? protection_.SafeListFile() : protection_.EmergencyListFile(),
               docs_ + "\r\n");
    protection_.LoadLists();
    testing::RecordingMessageBoxes boxes;
    EmergencyMode emergency(protection_, boxes);
    if (kind == ListKind::Emergency) {
      for (const std::string& file : files) EXPECT_FALSE(Held(file)) << "before the emergency";
      emergency.Emergency();
    }
    WalkAll();
    emergency.FolderWalksDone();
    EXPECT_TRUE(boxes.shown.empty()) << "everything was held";
    for (const std::string& file : files) EXPECT_TRUE(Held(file)) << file;
    EXPECT_EQ(99, protection_.HoldRows(kind).at(0)) << "the folder's own hold takes its entry's number";
    EXPECT_EQ(100, protection_.nextHoldNumber()) << "the files under it take none";

    // A file made later is held once its name is reported, and so is a new
    // subfolder's file.
    const std::string late = Made("late.txt");
    testing::MakeFolder(docs_ + "\\new");
    const std::string deeper = Made("new\\d.txt");
    EXPECT_TRUE(protection_.RetryNotHeld({late, docs_ + "\\new"}));
    WalkAll();
    EXPECT_TRUE(Held(late));
    EXPECT_TRUE(Held(deeper));
    // One that its writer still has waits and says why, and is held once let go.
    const std::string busy = Made("busy.txt");
    ASSERT_EQ(FileError::None, layer_.Open(5, busy, OpenMode::Append));
    protection_.RetryNotHeld({busy});
    EXPECT_EQ((std::vector<std::pair<ListOutcome, int>>{{FileError::SharingViolation, 1}}),
              protection_.FolderCountsOf(kind, 0)->notHeldWhy);
    const ListStates during = protection_.states();
    EXPECT_FALSE((kind == ListKind::Safe ? during.safe : during.emergency)[0].held)
        << "a folder not held whole";
    layer_.Close(5);
    EXPECT_TRUE(protection_.RetryNotHeld());
    EXPECT_TRUE(Held(busy));
    const std::optional<FolderCounts> counts = protection_.FolderCountsOf(kind, 0);
    ASSERT_TRUE(counts);
    EXPECT_EQ(6, counts->filesHeld);
    EXPECT_TRUE(counts->whole());
    if (kind == ListKind::Safe) {
      const ListStates states = protection_.states();
      EXPECT_TRUE(states.safe[0].held);
      EXPECT_EQ(6, states.safeFiles);
      EXPECT_EQ(6, states.safeFilesHeld);
      ASSERT_TRUE(protection_.Remove(ListKind::Safe, 0));
    } else {
      emergency.NoEmergency();
    }
    for (const std::string& file : {files[0], files[1], files[2], late, deeper, busy})
      EXPECT_FALSE(Held(file)) << file;
    EXPECT_EQ(99, protection_.nextHoldNumber());
    WriteBytes(protection_.SafeListFile(), "");
    WriteBytes(protection_.EmergencyListFile(), "");
  }
}

TEST_P(FolderEntryTest, FoldersThatWouldStopWindowsOrFendrelAreNeverHeldNorIsAnyListFile) {
  protection_.SetWindowsFolder("C:\\Windows");
  const std::string program = folder_.path();
  const std::string above = program.substr(0, program.find_last_of("\\/"));
  struct Row {
    std::string path;
    bool folder;
    ListOutcome why;
  };
  const Row rows[] = {
      {"C:\\", true, ListReason::DriveRoot},
      {"d:", true, ListReason::DriveRoot},
      {"\\\\server\\share\\", true, ListReason::DriveRoot},
      {"\\\\?\\C:\\", true, ListReason::DriveRoot},
      {"\\\\server\\share\\docs", true, FileError::None},
      {"C:\\Windows", true, ListReason::WindowsFolder},
      {"c:\\windows\\System32\\", true, ListReason::WindowsFolder},
      {"C:\\Windows\\System32\\drivers\\etc\\hosts", false, FileError::None},  // a file entry as any other
      {"C:\\WindowsApps", true, FileError::None},
      {program, true, ListReason::ProgramFolder},
      {above, true, ListReason::ProgramFolder},
      {program + "\\docs", true, FileError::None},
      {protection_.SafeListFile(), false, ListReason::OwnListFile},
      {program + "\\EMER.DAT", false, ListReason::OwnListFile},
      {protection_.SafeListFile() + ".new", false, ListReason::OwnListFile},
  };
  for (const Row& row : rows) EXPECT_EQ(row.why, protection_.NeverHeld(row.path, row.folder)) << row.path;

  // Listed all the same, with the reason, and holding nothing.
  WriteBytes(protection_.SafeListFile(), program + "\r\n" + protection_.SafeListFile() + "\r\n");
  protection_.LoadLists();
  EXPECT_EQ((std::vector<int>{Protection::kNoHold, Protection::kNoHold}),
            protection_.HoldRows(ListKind::Safe));
  EXPECT_EQ(ListOutcome(ListReason::ProgramFolder), protection_.OutcomeOf(ListKind::Safe, 0));
  EXPECT_EQ(ListOutcome(ListReason::OwnListFile), protection_.OutcomeOf(ListKind::Safe, 1));
  EXPECT_FALSE(protection_.FolderWalksPending());
}

// Opens fail for want of resources once `left` more have gone through.
class RunsOutOfFiles : public testing::ForwardingFileSystem {
 public:
  RunsOutOfFiles(FileSystem& inner, int left) : ForwardingFileSystem(inner), left_(left) {}
  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override {
    if (left_-- <= 0) return FileError::NoResources;
    return inner_.Open(path, mode, file);
  }

 private:
  int left_;
};

TEST_P(FolderEntryTest, PastTheLimitOrOnceTheSystemRunsOutTheRestWaitForRoomAndAreCounted) {
  const std::vector<std::string> files = MakeTree();
  const auto walk = [](FolderTree& tree, FileSystem& system) {
    std::size_t names = 100;
    tree.Walk(system, names);
  };
  FolderRoom room;
  room.filesHeld = FolderRoom::kMostFiles - 2;
  {
    FolderTree tree(docs_, room);
    walk(tree, *system_);
    FolderCounts counts = tree.counts();
    EXPECT_EQ(2, counts.filesHeld);
    EXPECT_EQ(1, counts.filesNotHeld);
    EXPECT_EQ((std::vector<std::pair<ListOutcome, int>>{{ListReason::FolderLimit, 1}}), counts.notHeldWhy);
    room.filesHeld -= 10;  // another folder let go
    tree.RoomFreed();
    walk(tree, *system_);
    EXPECT_EQ(3, tree.counts().filesHeld);
    EXPECT_TRUE(tree.counts().whole());
  }
  EXPECT_EQ(FolderRoom::kMostFiles - 12, room.filesHeld) << "a tree gives its room back as it goes";

  // The system runs out at the second file: what was taken is given back,
  // so that saves and other programs can open files again.
  RunsOutOfFiles scarce(*system_, 1);
  room.filesHeld = 0;
  FolderTree tree(docs_, room);
  walk(tree, scarce);
  EXPECT_TRUE(room.systemFull);
  EXPECT_EQ(0u, room.filesHeld);
  EXPECT_EQ(3, tree.counts().filesNotHeld);
  // The three files and the subfolder's hold.
  EXPECT_EQ((std::vector<std::pair<ListOutcome, int>>{{FileError::NoResources, 4}}),
            tree.counts().notHeldWhy);
  for (const std::string& file : files) EXPECT_FALSE(Held(file)) << file;
}

INSTANTIATE_TEST_SUITE_P(AllFileSystems, FolderEntryTest, ::testing::ValuesIn(FileSystemKinds()),
                         [](const ::testing::TestParamInfo<testing::FileSystemKind>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace fendrel
