// Holding a listed file as soon as it can be held: what Fendrel waits for
// while a file is not held, the retries, list files read late, copies that
// save the same list, and opens that may wait on a network.
#include "protection/healing.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <unordered_set>

#include "platform/portable_file_system.h"
#include "protection/emergency.h"
#include "protection/entry_state.h"
#include "protection/list_editing.h"
#include "protection/protection.h"
#include "screen/messages.h"
#include "tests/core/fakes.h"
#include "tests/core/forwarding_file_system.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::MakeFolder;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Rows = std::vector<std::string>;

class HealingTest : public ::testing::TestWithParam<testing::FileSystemKind> {
 protected:
  std::string Existing(const std::string& name) { return testing::MakeFile(folder_, name); }
  bool Held(const std::string& path) { return testing::RefusedToOwnWriter(layer_, path); }
  std::vector<std::string> Waiting() {
    std::vector<std::string> paths;
    for (const NotHeld& entry : protection_.NotHeldNow()) paths.push_back(entry.path);
    return paths;
  }

  std::unique_ptr<FileSystem> system_ = GetParam().make();
  FileLayer layer_{*system_};
  TempFolder folder_;
  Protection protection_{layer_, folder_.path()};
};

TEST_P(HealingTest, AMissingFileIsWatchedForInTheNearestFolderAndHeldOnceItComes) {
  const std::string later = folder_.File("later.txt");
  const std::string deep = folder_.File("new\\deeper\\deep.txt");
  WriteBytes(protection_.SafeListFile(), later + "\r\n" + deep + "\r\n");
  protection_.LoadLists();
  Wakeups wakeups = WakeupsFor(protection_.NotHeldNow(), *system_);
  EXPECT_EQ((Rows{folder_.path()}), wakeups.folders);  // both wait on the folder that exists
  EXPECT_FALSE(wakeups.timer);

  EXPECT_FALSE(protection_.RetryNotHeld());  // nothing came: nothing changed
  testing::MakeFile(folder_, "later.txt");
  MakeFolder(folder_.File("new"));
  EXPECT_TRUE(protection_.RetryNotHeld());
  EXPECT_TRUE(Held(later));
  EXPECT_EQ((Rows{folder_.File("new")}), WakeupsFor(protection_.NotHeldNow(), *system_).folders);

  MakeFolder(folder_.File("new\\deeper"));
  WriteBytes(deep, "data");
  EXPECT_TRUE(protection_.RetryNotHeld());
  EXPECT_TRUE(Held(deep));
  EXPECT_FALSE(WakeupsFor(protection_.NotHeldNow(), *system_).any()) << "every file is held: nothing runs";
}

TEST_P(HealingTest, AFileInUseIsRetriedOnTheTimerAndHeldOnceLetGo) {
  const std::string used = Existing("used.txt");
  ASSERT_EQ(FileError::None, layer_.Open(5, used, OpenMode::Append));  // a writer has it open
  WriteBytes(protection_.SafeListFile(), used + "\r\n");
  protection_.LoadLists();
  const Wakeups wakeups = WakeupsFor(protection_.NotHeldNow(), *system_);
  EXPECT_TRUE(wakeups.localTimer);
  EXPECT_TRUE(wakeups.folders.empty());
  layer_.Close(5);
  EXPECT_TRUE(protection_.RetryNotHeld());
  EXPECT_EQ(99, protection_.HoldRows(ListKind::Safe)[0]);
  EXPECT_TRUE(Waiting().empty());
}

TEST_P(HealingTest, ALockedListFileIsReadAndItsFilesHeldOnceItCanBeRead) {
  const std::string a = Existing("a.txt");
  WriteBytes(protection_.SafeListFile(), a + "\r\n");
  WriteBytes(protection_.EmergencyListFile(), a + "\r\n");
  ASSERT_EQ(FileError::None, layer_.Open(5, protection_.SafeListFile(), OpenMode::Append));
  ASSERT_EQ(FileError::None, layer_.Open(6, protection_.EmergencyListFile(), OpenMode::Append));
  protection_.LoadLists();
  testing::RecordingMessageBoxes boxes;
  EmergencyMode(protection_, boxes).Emergency();
  ASSERT_EQ(1u, boxes.shown.size());
  EXPECT_EQ(messages::EmergencyListUnread(protection_.EmergencyListFile(), FileError::SharingViolation),
            boxes.shown[0].text)
      << "a list that cannot be read is no empty list";
  layer_.Close(6);
  EXPECT_EQ(ListReason::NotLoaded, protection_.unread(ListKind::Safe));
  EXPECT_EQ(FileError::SharingViolation, protection_.unreadBecause(ListKind::Safe));
  EXPECT_EQ((Rows{protection_.SafeListFile(), protection_.EmergencyListFile()}), Waiting());
  EXPECT_EQ(ListReason::NotLoaded, protection_.SaveList(ListKind::Safe)) << "never written over meanwhile";

  const std::string added = Existing("added.txt");
  protection_.Add(ListKind::Safe, added);
  protection_.Select(ListKind::Safe, 0);
  layer_.Close(5);
  EXPECT_TRUE(protection_.RetryNotHeld());
  EXPECT_EQ((Rows{a, added}), protection_.Paths(ListKind::Safe));  // the file's entries first
  EXPECT_EQ(1, protection_.selected(ListKind::Safe)) << "the selection stays on its entry";
  EXPECT_TRUE(Held(a));
  EXPECT_EQ(FileError::None, protection_.unread(ListKind::Safe));
  EXPECT_EQ(FileError::None, protection_.SaveList(ListKind::Safe));
}

TEST_P(HealingTest, OnlyWhatStillWantsAHoldIsRetried) {
  const std::string gone = folder_.File("gone.txt"), late = folder_.File("late.txt");
  WriteBytes(protection_.SafeListFile(), gone + "\r\n");
  WriteBytes(protection_.EmergencyListFile(), late + "\r\n" + Existing("e.txt") + "\r\n");
  protection_.LoadLists();
  EXPECT_EQ((Rows{gone}), Waiting()) << "emergency entries wait only during an emergency";
  protection_.Remove(ListKind::Safe, 0);
  EXPECT_TRUE(Waiting().empty()) << "a removed entry is not tried again";

  testing::RecordingMessageBoxes boxes;
  EmergencyMode emergency(protection_, boxes);
  emergency.Emergency();
  EXPECT_EQ((Rows{late}), Waiting());
  // Added here, or taken in from the file another copy saved: both wait for the next action.
  const std::string added = Existing("added.txt"), taken = Existing("taken.txt");
  protection_.Add(ListKind::Emergency, added);
  WriteBytes(protection_.EmergencyListFile(), ReadBytes(protection_.EmergencyListFile()) + taken + "\r\n");
  ASSERT_TRUE(protection_.TakeInListFile(ListKind::Emergency));
  EXPECT_EQ((Rows{late}), Waiting()) << "an entry added during the emergency waits for the next action";
  protection_.RetryNotHeld();
  EXPECT_FALSE(Held(added));
  EXPECT_FALSE(Held(taken));
  const std::vector<EntryState> states = protection_.states().emergency;
  ASSERT_EQ(4u, states.size());
  EXPECT_TRUE(states[2].awaitsEmergency && states[3].awaitsEmergency) << "Protected only after Emergency";
  emergency.NoEmergency();
  EXPECT_TRUE(Waiting().empty());
  WriteBytes(late, "data");
  EXPECT_FALSE(protection_.RetryNotHeld());
  EXPECT_FALSE(Held(late)) << "after No Emergency a file that appears is not held";
}

TEST_P(HealingTest, EachPathWaitsOnTheNameThatCanBringIt) {
  MakeFolder(folder_.File("dir"));
  const std::string tooLong = folder_.File(std::string(300, 'x'));
  const Wakeups wakeups = WakeupsFor({{tooLong, FileError::NameTooLong},
                                      {folder_.File("dir"), FileError::IsFolder},
                                      {folder_.File("new\\deeper\\deep.txt"), FileError::NotFound},
                                      {folder_.File("Later.txt"), FileError::NotFound}},
                                     *system_);
  EXPECT_EQ((Rows{folder_.path()}), wakeups.folders) << "a folder where a file should be is watched for";
  ASSERT_EQ(1u, wakeups.awaited.size());
  EXPECT_EQ((std::unordered_set<std::string>{"DIR", "NEW", "LATER.TXT"}), wakeups.awaited[0]);
  EXPECT_FALSE(wakeups.timer) << "a path too long never heals, so no timer waits for it";
  EXPECT_FALSE(WakeupsFor({{tooLong, FileError::NameTooLong}}, *system_).any());
}

// A change tries only the entries it can bring: three listed files, all
// missing at the start, then all made; one change of names is told.
TEST_P(HealingTest, AChangeTriesOnlyTheEntriesItNames) {
  const struct {
    Rows changed;  // names in the folder; "" is the folder itself (its changes were lost)
    Rows held;
  } kCases[] = {
      {{"a.txt"}, {"a.txt"}},
      {{"A.TXT"}, {"a.txt"}},
      {{"sub"}, {"sub\\c.txt"}},
      {{"unrelated.tmp", "su", "a.txt.tmp"}, {}},
      {{"a.txt", "b.txt"}, {"a.txt", "b.txt"}},
      {{""}, {"a.txt", "b.txt", "sub\\c.txt"}},
  };
  int row = 0;
  for (const auto& change : kCases) {
    const std::string folder = folder_.File("row" + std::to_string(++row));
    MakeFolder(folder);
    FileLayer layer(*system_);
    Protection protection(layer, folder);
    const Rows names{"a.txt", "b.txt", "sub\\c.txt"};
    std::string list;
    for (const std::string& name : names) list += folder + "\\" + name + "\r\n";
    WriteBytes(protection.SafeListFile(), list);
    protection.LoadLists();
    MakeFolder(folder + "\\sub");
    for (const std::string& name : names) WriteBytes(folder + "\\" + name, "data");
    Rows changed;
    for (const std::string& name : change.changed)
      changed.push_back(name.empty() ? folder : folder + "\\" + name);
    EXPECT_EQ(!change.held.empty(), protection.RetryNotHeld(changed)) << "row " << row;
    Rows held;
    for (const std::string& name : names) {
      if (testing::RefusedToOwnWriter(layer, folder + "\\" + name)) held.push_back(name);
    }
    EXPECT_EQ(change.held, held) << "row " << row;
  }
}

TEST(RetryBackoffTest, WaitsDoubleFromOneSecondToFourHereOrThirtyOnANetworkAndStartAgainOnReset) {
  RetryBackoff backoff;
  std::vector<int> waits;
  for (int i = 0; i < 7; ++i) waits.push_back(backoff.Next(false));
  EXPECT_EQ((std::vector<int>{1000, 2000, 4000, 8000, 16000, 30000, 30000}), waits);
  EXPECT_EQ(4000, backoff.Next(true)) << "a file here is tried again within five seconds";
  backoff.Reset();
  EXPECT_EQ(1000, backoff.Next(true));
  EXPECT_EQ(2000, backoff.Next(true));
}

// Two copies of Fendrel on one program folder, as two spellings of it,
// two sessions or two users would run them: each loads, then each edits.
TEST_P(HealingTest, TwoCopiesKeepEachOthersEditsAndAnEditFindsItsEntryByPath) {
  FileLayer otherLayer(*system_);
  Protection other(otherLayer, folder_.path());
  testing::RecordingMessageBoxes boxes;
  testing::NoPicker picker;
  ListEditing mine(protection_, boxes, picker), theirs(other, boxes, picker);
  protection_.LoadLists();
  other.LoadLists();

  const std::string x = Existing("x.txt"), y = Existing("y.txt");
  theirs.Add(ListKind::Safe, x);
  mine.Add(ListKind::Safe, y);
  EXPECT_EQ((Rows{x, y}), protection_.Paths(ListKind::Safe));
  EXPECT_EQ(x + "\r\n" + y + "\r\n", ReadBytes(protection_.SafeListFile()));
  EXPECT_TRUE(Held(x)) << "an entry another copy added is held here too";

  theirs.Remove(ListKind::Safe, 0);  // x, found by its path
  mine.Remove(ListKind::Safe, 0);    // x again, which the other copy removed meanwhile
  ASSERT_EQ(1u, boxes.shown.size());
  EXPECT_EQ(messages::EntryGone(x), boxes.shown[0].text);
  EXPECT_EQ((Rows{y}), protection_.Paths(ListKind::Safe)) << "the person sees the list as it is saved";
  EXPECT_EQ(y + "\r\n", ReadBytes(protection_.SafeListFile()));
  EXPECT_FALSE(Held(x)) << "an entry another copy removed is released here too";
  EXPECT_TRUE(Held(y));
}

// The take-in merges three lists: the file as this copy last read it, the
// list here, and the file now. Repeated paths are repeated entries.
TEST_P(HealingTest, ATakeInKeepsTheEditsOfBothSidesCountingRepeatedPaths) {
  const struct {
    Rows base, removedHere, addedHere, theirs, merged;
  } kCases[] = {
      {{"a", "a"}, {"a"}, {}, {"a", "a", "b"}, {"a", "b"}},
      {{"a"}, {}, {"a"}, {}, {"a"}},
      {{"a", "b"}, {}, {"c"}, {"b", "a"}, {"b", "a", "c"}},
      {{"a", "b"}, {"a"}, {}, {"b"}, {"b"}},
      {{"a", "b", "a"}, {"b"}, {"b"}, {"a", "a", "c", "b"}, {"a", "a", "c", "b"}},
  };
  for (const auto& merge : kCases) {
    Protection protection(layer_, folder_.path());
    const auto file = [](const Rows& rows) {
      std::string bytes;
      for (const std::string& row : rows) bytes += row + "\r\n";
      return bytes;
    };
    WriteBytes(protection.EmergencyListFile(), file(merge.base));
    protection.LoadLists();
    for (const std::string& path : merge.removedHere) {
      const Rows& now = protection.Paths(ListKind::Emergency);
      protection.Remove(ListKind::Emergency,
                        static_cast<int>(std::find(now.begin(), now.end(), path) - now.begin()));
    }
    for (const std::string& path : merge.addedHere) protection.Add(ListKind::Emergency, path);
    WriteBytes(protection.EmergencyListFile(), file(merge.theirs));
    EXPECT_TRUE(protection.TakeInListFile(ListKind::Emergency));
    EXPECT_EQ(merge.merged, protection.Paths(ListKind::Emergency));
    EXPECT_EQ(!(merge.merged == merge.theirs), protection.HasUnsavedChanges(ListKind::Emergency));
  }
}

INSTANTIATE_TEST_SUITE_P(AllFileSystems, HealingTest, ::testing::ValuesIn(testing::FileSystemKinds()),
                         [](const auto& info) { return info.param.name; });

// Opens of paths under "net" stand for a share whose server does not
// answer: each waits until the test lets it go.
class DeadShare : public testing::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override {
    if (MayWaitOnNetwork(path)) {
      std::unique_lock<std::mutex> lock(mutex_);
      ++waiting_;
      ++asked_;
      changed_.notify_all();
      changed_.wait(lock, [this] { return answering_; });
    }
    const std::lock_guard<std::mutex> lock(inner_mutex_);
    return inner_.Open(path, mode, file);
  }
  bool MayWaitOnNetwork(const std::string& path) override { return path.find("net") != std::string::npos; }
  int asked() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return asked_;
  }
  void WaitUntilAsked() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_ > 0; });
  }
  void Answer() {
    const std::lock_guard<std::mutex> lock(mutex_);
    answering_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_, inner_mutex_;
  std::condition_variable changed_;
  int waiting_ = 0;
  int asked_ = 0;
  bool answering_ = false;
};

// Opens on a share that answers only when the test lets it, run on the
// worker as the program runs them.
class BackgroundOpenTest : public ::testing::Test {
 protected:
  BackgroundOpenTest() { MakeFolder(folder_.File("net")); }
  // Waits until the worker told of `count` finished opens in all.
  bool WaitForResults(int count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return finished_.wait_for(lock, std::chrono::seconds(10), [&] { return results_ >= count; });
  }

  TempFolder folder_;
  PortableFileSystem portable_;
  DeadShare share_{portable_};
  FileLayer layer_{share_};
  std::mutex mutex_;
  std::condition_variable finished_;
  int results_ = 0;
  BackgroundOpens background_{share_, [this] {
                                const std::lock_guard<std::mutex> lock(mutex_);
                                ++results_;
                                finished_.notify_all();
                              }};
  Protection protection_{layer_, folder_.path(), &background_};
};

TEST_F(BackgroundOpenTest, AnOpenThatWaitsOnANetworkHoldsNothingUpAndIsHeldWhenItAnswers) {
  const std::string remote = testing::MakeFile(folder_, "net\\remote.txt");
  const std::string local = testing::MakeFile(folder_, "local.txt");
  // A folder on the share: its open comes back "is a folder", and it is
  // held as a folder entry then.
  const std::string remoteFolder = folder_.File("net\\docs");
  MakeFolder(remoteFolder);
  const std::string underIt = testing::MakeFile(folder_, "net\\docs\\a.txt");
  WriteBytes(protection_.SafeListFile(), remote + "\r\n" + local + "\r\n" + remoteFolder + "\r\n");

  protection_.LoadLists();  // returns while the share does not answer
  share_.WaitUntilAsked();
  EXPECT_TRUE(testing::RefusedToOwnWriter(layer_, local)) << "the local file is held without waiting";
  EXPECT_EQ(ListReason::Waiting, protection_.OutcomeOf(ListKind::Safe, 0).value());
  EXPECT_TRUE(protection_.NotHeldNow().empty()) << "an open on its way is not tried again";

  share_.Answer();
  ASSERT_TRUE(WaitForResults(2));
  EXPECT_TRUE(protection_.FinishBackgroundOpens(background_.TakeFinished()));
  EXPECT_EQ((std::vector<int>{100, 99, 101}), protection_.HoldRows(ListKind::Safe));
  EXPECT_TRUE(testing::RefusedToOwnWriter(layer_, remote));
  while (protection_.ContinueFolderWalks(64)) {
  }
  EXPECT_TRUE(testing::RefusedToOwnWriter(layer_, underIt)) << "held by the folder entry's walk";
}

// The worker runs one open after another: an open on its way is never
// started twice, and one that failed is tried again like any other.
TEST_F(BackgroundOpenTest, AnOpenOnItsWayStartsOnceAndAFailedOneIsTriedAgain) {
  const std::string remote = testing::MakeFile(folder_, "net\\remote.txt");
  const std::string gone = folder_.File("net\\gone.txt");
  WriteBytes(protection_.EmergencyListFile(), remote + "\r\n" + gone + "\r\n");
  protection_.LoadLists();

  EXPECT_TRUE(protection_.HoldEmergencyList().anyHeld) << "an open on its way counts as held";
  share_.WaitUntilAsked();
  EXPECT_FALSE(protection_.RetryNotHeld());
  protection_.HoldEmergencyList();  // a second press
  share_.Answer();
  ASSERT_TRUE(WaitForResults(2));
  EXPECT_TRUE(protection_.FinishBackgroundOpens(background_.TakeFinished()));
  EXPECT_EQ(2, share_.asked()) << "one open per file";
  EXPECT_TRUE(testing::RefusedToOwnWriter(layer_, remote));
  ASSERT_EQ(1u, protection_.NotHeldNow().size()) << "a failed open waits for its file again";

  WriteBytes(gone, "data");
  protection_.RetryNotHeld();
  ASSERT_TRUE(WaitForResults(3));
  EXPECT_TRUE(protection_.FinishBackgroundOpens(background_.TakeFinished()));
  EXPECT_TRUE(testing::RefusedToOwnWriter(layer_, gone));
}

// An open that comes back for an entry removed while it ran: the file is
// let go, nothing is held and no number is used.
TEST_F(BackgroundOpenTest, AnOpenThatComesBackForARemovedEntryLetsTheFileGo) {
  const std::string remote = testing::MakeFile(folder_, "net\\remote.txt");
  WriteBytes(protection_.SafeListFile(), remote + "\r\n");
  protection_.LoadLists();
  share_.WaitUntilAsked();
  ASSERT_TRUE(protection_.Remove(ListKind::Safe, 0));

  share_.Answer();
  ASSERT_TRUE(WaitForResults(1));
  EXPECT_FALSE(protection_.FinishBackgroundOpens(background_.TakeFinished()));
  EXPECT_FALSE(testing::RefusedToOwnWriter(layer_, remote));
  EXPECT_TRUE(protection_.HoldRows(ListKind::Safe).empty());
  EXPECT_EQ(Protection::kFirstHoldNumber, protection_.nextHoldNumber());
}

}  // namespace
}  // namespace fendrel
