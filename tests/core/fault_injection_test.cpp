// Every fault at every step: each action runs once to count its file-system
// calls, then once for every call and every way that call can fail, and
// once more with the process killed at that call, started again from what
// is on the disk. After each run the same rules must hold: a list file is
// the old list or the new one, byte for byte, never cut or mixed; the list
// in memory is the old list or the list with the action applied; every open
// hold belongs to exactly one row, and none is left once all is released;
// and the person is told of every failure that left the result short.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "lists/list_text.h"
#include "password/cmd5.h"
#include "password/password_pages.h"
#include "protection/emergency.h"
#include "protection/list_editing.h"
#include "tests/core/fakes.h"
#include "tests/core/faulty_file_system.h"
#include "tests/fuzz/memory_file_system.h"

namespace fendrel {
namespace {

using testing::Fault;
using Rows = std::vector<std::string>;

const std::string kFolder = "C:\\F";
const std::string kProt = kFolder + "\\prot.dat", kEmer = kFolder + "\\emer.dat";
std::string Path(const char* name) {
  return kFolder + "\\" + name + ".txt";
}
std::string FileOf(const Rows& rows) {
  std::string bytes;
  for (const std::string& row : rows) bytes += row + "\r\n";
  return bytes;
}

// One copy of Fendrel over the disk.
struct Copy {
  explicit Copy(FileSystem& disk) : faulty(disk) {}
  testing::FaultyFileSystem faulty;
  FileLayer layer{faulty};
  Protection protection{layer, kFolder};
  testing::RecordingMessageBoxes boxes;
  testing::NoPicker picker;
  ListEditing editing{protection, boxes, picker};
  EmergencyMode emergency{protection, boxes};
};

struct Action {
  const char* name;
  std::function<void(fuzzing::MemoryFileSystem&, Copy&)> setup;  // not counted, never fails
  std::function<void(Copy&)> act;
  Rows safe, emergency;  // the lists once the action is done
  bool silent;           // tells nothing by design: what fell short shows in the lists' state
  bool partial = false;  // may do part of what it was asked, and name the rest
};

void Load(fuzzing::MemoryFileSystem&, Copy& copy) {
  copy.protection.LoadLists();
}

// A folder with a file, and one in a subfolder.
const std::string kDocs = kFolder + "\\docs";
void WalkAll(Copy& copy) {
  while (copy.protection.ContinueFolderWalks(64)) {
  }
}

const std::vector<Action>& Actions() {
  const Rows ab{Path("a"), Path("b")}, c{Path("c")};
  static const std::vector<Action> kActions{
      {"start", [](auto&, Copy&) {}, [](Copy& copy) { copy.protection.LoadLists(); }, ab, c, true},
      {"retry after a lock",
       [](fuzzing::MemoryFileSystem& disk, Copy& copy) {
         std::unique_ptr<OpenFile> lock;  // another program writes the file during the start
         disk.Open(kProt, OpenMode::Append, lock);
         copy.protection.LoadLists();
       },
       [](Copy& copy) { copy.protection.RetryNotHeld(); }, ab, c, true},
      {"retry after a read cut short",
       [](fuzzing::MemoryFileSystem&, Copy& copy) {
         copy.faulty.Arm(4, Fault::ReadCut);  // prot.dat's second read: its first line only
         copy.protection.LoadLists();
       },
       [](Copy& copy) { copy.protection.RetryNotHeld(); }, ab, c, true},
      {"take-in of another copy's save",
       [](fuzzing::MemoryFileSystem& disk, Copy& copy) {
         copy.protection.LoadLists();
         disk.files[kProt] = FileOf({Path("b"), Path("d")});
       },
       [](Copy& copy) { copy.protection.SyncListFiles(); }, Rows{Path("b"), Path("d")}, c, true},
      {"add", Load, [](Copy& copy) { copy.editing.Add(ListKind::Safe, Path("e")); },
       Rows{Path("a"), Path("b"), Path("e")}, c, false},
      {"add to the emergency list", Load,
       [](Copy& copy) { copy.editing.Add(ListKind::Emergency, Path("d")); }, ab, Rows{Path("c"), Path("d")},
       false},
      {"remove", Load, [](Copy& copy) { copy.editing.Remove(ListKind::Safe, 0); }, Rows{Path("b")}, c, false},
      {"drop of three files", Load,
       [](Copy& copy) {
         copy.editing.AddDropped(ListKind::Safe, {{Path("d")}, {Path("e")}, {Path("f")}});
       },
       Rows{Path("a"), Path("b"), Path("d"), Path("e"), Path("f")}, c, false, true},
      {"Emergency", Load, [](Copy& copy) { copy.emergency.Emergency(); }, ab, c, false},
      {"drop of a folder", Load,
       [](Copy& copy) {
         copy.editing.AddDropped(ListKind::Safe, {{kDocs}});
         WalkAll(copy);
       },
       Rows{Path("a"), Path("b"), kDocs}, c, false},
      {"Emergency on a folder",
       [](fuzzing::MemoryFileSystem& disk, Copy& copy) {
         disk.files[kEmer] = FileOf({Path("c"), kDocs});
         copy.protection.LoadLists();
       },
       [](Copy& copy) {
         copy.emergency.Emergency();
         WalkAll(copy);
         copy.emergency.FolderWalksDone();
       },
       ab, Rows{Path("c"), kDocs}, false},
      {"No Emergency",
       [](fuzzing::MemoryFileSystem&, Copy& copy) {
         copy.protection.LoadLists();
         copy.emergency.Emergency();
       },
       [](Copy& copy) { copy.emergency.NoEmergency(); }, ab, c, false},
  };
  return kActions;
}

// A disk with both lists and the files they name.
void Prepare(fuzzing::MemoryFileSystem& disk) {
  for (const char* name : {"a", "b", "c", "d", "e", "f"}) disk.files[Path(name)] = "data";
  disk.files[kDocs + "\\x.txt"] = disk.files[kDocs + "\\sub\\y.txt"] = "data";
  disk.files[kProt] = FileOf({Path("a"), Path("b")});
  disk.files[kEmer] = FileOf({Path("c")});
}

bool IsPrefix(const Rows& part, const Rows& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}
bool IsSubsequence(const Rows& part, const Rows& whole) {
  auto at = whole.begin();
  for (const std::string& row : part) {
    at = std::find(at, whole.end(), row);
    if (at == whole.end()) return false;
    ++at;
  }
  return true;
}

// What must hold after a run; empty when it does, else what broke.
std::string Broken(const Action& action, Fault fault, fuzzing::MemoryFileSystem& disk, Copy& copy,
                   const Rows& oldSafe, const Rows& oldEmergency, const std::string& oldProt,
                   const std::string& oldEmer) {
  const Protection& protection = copy.protection;
  const Rows& safe = protection.Paths(ListKind::Safe);
  const Rows& emergency = protection.Paths(ListKind::Emergency);
  // The files: old or new, never cut or mixed.
  const std::string prot = disk.files[kProt], emer = disk.files[kEmer];
  if (prot != oldProt && prot != FileOf(safe)) return "prot.dat is neither old nor the list: " + prot;
  if (emer != oldEmer && emer != FileOf(emergency)) return "emer.dat is neither old nor the list: " + emer;
  // The lists: old or done; a list file read in part lists the lines before the fault.
  // A drop adds what it can and names the rest.
  const auto listOk = [&](const Rows& now, const Rows& old, const Rows& done, ListKind kind) {
    return now == old || now == done ||
           (action.silent && protection.unread(kind) != FileError::None && IsPrefix(now, done)) ||
           (action.partial && !copy.boxes.shown.empty() && IsPrefix(old, now) && IsSubsequence(now, done));
  };
  if (!listOk(safe, oldSafe, action.safe, ListKind::Safe)) return "the safe list is neither old nor new";
  if (!listOk(emergency, oldEmergency, action.emergency, ListKind::Emergency))
    return "the emergency list is neither old nor new";
  // The holds: each open number is one row's, each row's number is open.
  std::multiset<int> rows;
  for (const int hold : protection.HoldRows(ListKind::Safe)) rows.insert(hold);
  for (const int hold : protection.HoldRows(ListKind::Emergency)) rows.insert(hold);
  rows.erase(Protection::kNoHold);
  for (const int hold : rows) {
    if (rows.count(hold) != 1) return "hold " + std::to_string(hold) + " is on two rows";
    if (!copy.layer.IsOpen(hold)) return "hold " + std::to_string(hold) + " is recorded but not open";
  }
  for (int number = FileLayer::kFirstNumber; number <= FileLayer::kLastNumber; ++number) {
    if (copy.layer.IsOpen(number) && rows.count(number) == 0)
      return "number " + std::to_string(number) + " is open";
  }
  // Told: what fell short of the action shows in a box, or (for what tells
  // nothing by design) in the state the window shows.
  bool emergencyShort = false;
  if (std::string(action.name).starts_with("Emergency")) {
    for (std::size_t i = 0; i < emergency.size(); ++i) {
      const std::optional<FolderCounts> folder = protection.FolderCountsOf(ListKind::Emergency, i);
      emergencyShort = emergencyShort || i >= protection.HoldRows(ListKind::Emergency).size() ||
                       protection.HoldRows(ListKind::Emergency)[i] == Protection::kNoHold ||
                       (folder && !folder->whole());
    }
  }
  const bool fellShort =
      safe != action.safe || emergency != action.emergency ||
      (!action.silent && (prot != FileOf(action.safe) || emer != FileOf(action.emergency))) || emergencyShort;
  const bool shownInState = protection.unread(ListKind::Safe) != FileError::None ||
                            protection.unread(ListKind::Emergency) != FileError::None;
  // A list file that is not found is an empty list, silently.
  const bool listFileMissing = copy.faulty.failedPath() == kProt || copy.faulty.failedPath() == kEmer;
  const bool missingByDesign = action.silent && listFileMissing && fault == Fault::NotFound;
  if (fellShort && copy.boxes.shown.empty() && !(action.silent && shownInState) && !missingByDesign)
    return "a failure was not told";
  return "";
}

TEST(FaultInjectionTest, EveryFaultAtEveryCallKeepsTheListsTheFilesAndTheHoldsWhole) {
  int runs = 0;
  for (const Action& action : Actions()) {
    // Counted once without a fault.
    std::vector<testing::CallKind> calls;
    {
      fuzzing::MemoryFileSystem disk;
      Prepare(disk);
      Copy copy(disk);
      action.setup(disk, copy);
      copy.faulty.Arm(0, Fault::None);
      action.act(copy);
      calls = copy.faulty.calls();
    }
    for (std::size_t k = 1; k <= calls.size(); ++k) {
      std::vector<Fault> faults = testing::FaultsFor(calls[k - 1]);
      faults.push_back(Fault::Crash);
      for (const Fault fault : faults) {
        ++runs;
        SCOPED_TRACE(std::string(action.name) + ": call " + std::to_string(k) + " of " +
                     std::to_string(calls.size()) + " fails: " + testing::NameOf(fault));
        fuzzing::MemoryFileSystem disk;
        Prepare(disk);
        auto copy = std::make_unique<Copy>(disk);
        action.setup(disk, *copy);
        const Rows oldSafe = copy->protection.Paths(ListKind::Safe);
        const Rows oldEmergency = copy->protection.Paths(ListKind::Emergency);
        const std::string oldProt = disk.files[kProt], oldEmer = disk.files[kEmer];
        copy->boxes.shown.clear();
        copy->faulty.Arm(static_cast<int>(k), fault);
        action.act(*copy);
        if (fault == Fault::Crash) {
          // Killed at call k: a new start reads what is on the disk.
          copy.reset();
          copy = std::make_unique<Copy>(disk);
          copy->protection.LoadLists();
          const std::string prot = disk.files[kProt];
          ASSERT_TRUE(prot == oldProt || prot == FileOf(action.safe)) << "prot.dat: " << prot;
          ASSERT_TRUE(disk.files[kEmer] == oldEmer || disk.files[kEmer] == FileOf(action.emergency));
          ASSERT_EQ(FileError::None, copy->protection.unread(ListKind::Safe));
        } else {
          const std::string broken =
              Broken(action, fault, disk, *copy, oldSafe, oldEmergency, oldProt, oldEmer);
          ASSERT_EQ("", broken);
        }
        // After the last release nothing is left open.
        while (copy->protection.Remove(ListKind::Safe, 0)) {
        }
        copy->protection.ReleaseEmergencyHolds();
        ASSERT_EQ(FileLayer::kFirstNumber, copy->layer.LowestFree()) << "a file is left open";
        ASSERT_FALSE(disk.AnyOpen()) << "a file under a folder is left open";
      }
    }
  }
  std::cout << "fault injection: " << runs << " runs\n";
  EXPECT_GT(runs, 200);
}

// Two copies whose steps interleave at every call of one copy's add: the
// lock keeps the other's step out until this one saved, and its add is
// saved at its next wake-up. Neither add is lost.
TEST(FaultInjectionTest, TwoCopiesAddingAtOnceKeepBothAdds) {
  std::size_t calls = 0;
  {
    fuzzing::MemoryFileSystem disk;
    Prepare(disk);
    Copy first(disk);
    first.protection.LoadLists();
    first.faulty.Arm(0, Fault::None);
    first.editing.Add(ListKind::Safe, Path("d"));
    calls = first.faulty.calls().size();
  }
  for (std::size_t k = 1; k <= calls; ++k) {
    SCOPED_TRACE("the other copy adds before call " + std::to_string(k));
    fuzzing::MemoryFileSystem disk;
    Prepare(disk);
    Copy first(disk), second(disk);
    first.protection.LoadLists();
    second.protection.LoadLists();
    first.faulty.Arm(0, Fault::None);
    first.faulty.RunBefore(static_cast<int>(k), [&] { second.editing.Add(ListKind::Safe, Path("e")); });
    first.editing.Add(ListKind::Safe, Path("d"));
    // The wake-ups that the other's save brings.
    second.protection.SyncListFiles();
    first.protection.SyncListFiles();
    const Rows both{Path("a"), Path("b"), Path("d"), Path("e")},
        bothOtherOrder{Path("a"), Path("b"), Path("e"), Path("d")};
    const Rows saved = DecodeList(disk.files[kProt], disk.AnsiCodePage(), 100).entries;
    EXPECT_TRUE(saved == both || saved == bothOtherOrder) << disk.files[kProt];
    EXPECT_EQ(saved, first.protection.Paths(ListKind::Safe));
    EXPECT_EQ(saved, second.protection.Paths(ListKind::Safe));
  }
}

// The password pages under the same faults: "satinfo.dll" is the old digest
// or the new one, never cut; nothing is left open; and what fell short (no
// password stored, no login) is told in a box.
TEST(FaultInjectionTest, EveryFaultAtEveryCallKeepsThePasswordFileWholeAndTellsWhatFellShort) {
  const std::string file = "S\\satinfo.dll";
  const auto digest = [](const std::u16string& password) { return CMD5().MD5(password) + "\r\n"; };
  struct PasswordAction {
    const char* name;
    std::string before, after;  // the file's bytes ("" for none)
    std::function<void(PasswordPages&)> act;
    const char* success;  // the box that says it worked
    int level;            // the access level once it worked
  };
  const std::vector<PasswordAction> kActions{
      {"New User", "", digest(u"pw"), [](PasswordPages& pages) { pages.OnAcceptNewPassword(u"pw", u"pw"); },
       messages::kPasswordSaved, 1},
      {"Change Password", digest(u"old"), digest(u"new"),
       [](PasswordPages& pages) { pages.OnChangePassword(u"old", u"new", u"new"); }, messages::kPasswordSaved,
       0},
      {"login", digest(u"pw"), digest(u"pw"), [](PasswordPages& pages) { pages.OnLogin(u"pw"); },
       messages::kLoginDone, 1},
  };
  int runs = 0;
  for (const PasswordAction& action : kActions) {
    const auto run = [&](int failAt, Fault fault, std::vector<testing::CallKind>* calls) {
      fuzzing::MemoryFileSystem disk;
      if (!action.before.empty()) disk.files[file] = action.before;
      testing::FaultyFileSystem faulty(disk);
      FileLayer layer(faulty);
      testing::FakeSystemFolder folder("S");
      testing::RecordingMessageBoxes boxes;
      PasswordStore store(layer, folder, boxes);
      AccessLevel level;
      testing::RecordingForm1Actions form;
      PasswordPages pages(store, level, boxes, form);
      faulty.Arm(failAt, fault);
      action.act(pages);
      if (calls) *calls = faulty.calls();
      const std::string now = disk.files.count(file) ? disk.files[file] : "";
      EXPECT_TRUE(now == action.before || now == action.after) << "satinfo.dll: " << now;
      EXPECT_EQ(FileLayer::kFirstNumber, layer.LowestFree()) << "a file is left open";
      const bool done = now == action.after && level.Level() == action.level;
      const bool toldOtherwise = std::any_of(boxes.shown.begin(), boxes.shown.end(),
                                             [&](const auto& box) { return box.text != action.success; });
      // A password file that is not found is no password set, silently.
      const bool missingByDesign = fault == Fault::NotFound && faulty.failedPath() == file;
      EXPECT_TRUE(done || toldOtherwise || missingByDesign) << "a failure was not told";
    };
    std::vector<testing::CallKind> calls;
    run(0, Fault::None, &calls);
    for (std::size_t k = 1; k <= calls.size(); ++k) {
      std::vector<Fault> faults = testing::FaultsFor(calls[k - 1]);
      faults.push_back(Fault::Crash);
      for (const Fault fault : faults) {
        ++runs;
        SCOPED_TRACE(std::string(action.name) + ": call " + std::to_string(k) +
                     " fails: " + testing::NameOf(fault));
        run(static_cast<int>(k), fault, nullptr);
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
  std::cout << "fault injection, password pages: " << runs << " runs\n";
}

}  // namespace
}  // namespace fendrel
