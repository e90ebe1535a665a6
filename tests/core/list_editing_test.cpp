// The list pages' buttons and the emergency action, with the portable file
// system, a recording message box and a scripted file dialog.
#include <deque>

#include <gtest/gtest.h>

#include "platform/portable_file_system.h"
#include "protection/emergency.h"
#include "protection/list_editing.h"
#include "screen/messages.h"
#include "tests/core/fakes.h"
#include "tests/core/forwarding_file_system.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Rows = std::vector<std::string>;
using Numbers = std::vector<int>;

// Answers each dialog with the next scripted choice; nothing means cancel.
class ScriptedPicker : public FilePicker {
 public:
  std::optional<std::string> PickFile(const std::string& title, const std::string& start) override {
    titles.push_back(title);
    starts.push_back(start);
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::optional<std::string>> answers;
  Rows titles, starts;
};

class ListEditingTest : public ::testing::Test {
 protected:
  std::string Existing(const std::string& name) { return testing::MakeFile(folder_, name); }
  bool Held(const std::string& path) { return testing::RefusedToOwnWriter(layer_, path); }

  PortableFileSystem system_;
  FileLayer layer_{system_};
  TempFolder folder_;
  Protection protection_{layer_, folder_.path()};
  testing::RecordingMessageBoxes messages_;
  ScriptedPicker picker_;
  ListEditing editing_{protection_, messages_, picker_};
  EmergencyMode emergency_{protection_, messages_};
};

TEST_F(ListEditingTest, BrowseKeepsTheLastChoiceOfEitherPageWhenCancelled) {
  picker_.answers = {std::nullopt, "C:\\safe.txt", std::nullopt};
  EXPECT_EQ("", editing_.Browse());              // cancelled before any choice
  EXPECT_EQ("C:\\safe.txt", editing_.Browse());  // chosen on the safe-list page
  EXPECT_EQ("C:\\safe.txt", editing_.Browse());  // cancelled on the emergency page
  EXPECT_EQ((Rows{"Select File", "Select File", "Select File"}), picker_.titles);
  EXPECT_EQ((Rows{"", "", "C:\\safe.txt"}), picker_.starts);
}

TEST_F(ListEditingTest, SafeAddHoldsAtOnceAndSavesTwiceAddedPathsAreTwoHolds) {
  const std::string a = Existing("a.txt");
  editing_.Add(ListKind::Safe, "");  // nothing chosen yet: nothing happens
  EXPECT_FALSE(testing::Exists(protection_.SafeListFile()));
  editing_.Add(ListKind::Safe, a);
  editing_.Add(ListKind::Safe, a);
  EXPECT_EQ((Rows{a, a}), protection_.Paths(ListKind::Safe));
  EXPECT_EQ((Numbers{99, 100}), protection_.HoldRows(ListKind::Safe));
  EXPECT_EQ(a + "\r\n" + a + "\r\n", ReadBytes(protection_.SafeListFile()));
  EXPECT_EQ(1, protection_.selected(ListKind::Safe));

  editing_.Remove(ListKind::Safe, 0);
  EXPECT_TRUE(Held(a));  // the other entry still holds it
  EXPECT_EQ((Numbers{100}), protection_.HoldRows(ListKind::Safe));
  editing_.Remove(ListKind::Safe, 0);
  EXPECT_FALSE(Held(a));
  EXPECT_EQ("", ReadBytes(protection_.SafeListFile()));
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(ListEditingTest, AFailedSafeAddIsTakenBackAndNamedAndTheListFileIsUntouched) {
  const std::string a = Existing("a.txt");
  editing_.Add(ListKind::Safe, a);
  const std::string before = ReadBytes(protection_.SafeListFile());
  const std::string missing = folder_.File("missing.txt");
  editing_.Add(ListKind::Safe, missing);
  EXPECT_EQ((Rows{a}), protection_.Paths(ListKind::Safe));
  EXPECT_EQ((Numbers{99}), protection_.HoldRows(ListKind::Safe));
  EXPECT_EQ(before, ReadBytes(protection_.SafeListFile()));
  ASSERT_EQ(1u, messages_.shown.size());
  EXPECT_NE(std::string::npos, messages_.shown[0].text.find(missing));
  EXPECT_NE(std::string::npos, messages_.shown[0].text.find(messages::Describe(FileError::NotFound)));
  EXPECT_EQ("Fendrel", messages_.shown[0].title);
  // The failed add took no number: the next hold is 100.
  editing_.Add(ListKind::Safe, a);
  EXPECT_EQ((Numbers{99, 100}), protection_.HoldRows(ListKind::Safe));
}

TEST_F(ListEditingTest, DroppedFilesAndFoldersAreAddedOneByOneAndOneMessageNamesEveryOneNotAdded) {
  const std::string a = Existing("a.txt"), b = Existing("b.txt");
  const std::string missing = folder_.File("missing.txt"), dir = folder_.File("dir");
  testing::MakeFolder(dir);
  const std::string own = folder_.path();  // Fendrel's own folder is never held
  editing_.AddDropped(ListKind::Safe, {{a}, {dir}, {missing}, {own}, {b}});
  EXPECT_EQ((Rows{a, dir, b}), protection_.Paths(ListKind::Safe));
  EXPECT_EQ((Numbers{99, 100, 101}), protection_.HoldRows(ListKind::Safe));  // the failures took no number
  EXPECT_TRUE(Held(a));
  EXPECT_TRUE(Held(b));
  EXPECT_EQ(a + "\r\n" + dir + "\r\n" + b + "\r\n", ReadBytes(protection_.SafeListFile()));
  ASSERT_EQ(1u, messages_.shown.size());
  EXPECT_EQ(
      messages::DroppedFilesNotAdded(
          messages::kSafeListName, {{missing, FileError::NotFound}, {own, ListReason::ProgramFolder}}, true),
      messages_.shown[0].text);

  // The emergency list lists a folder without holding it, and refuses the same folder.
  editing_.AddDropped(ListKind::Emergency, {{own}, {dir}});
  EXPECT_EQ((Rows{dir}), protection_.Paths(ListKind::Emergency));
  EXPECT_EQ(dir + "\r\n", ReadBytes(protection_.EmergencyListFile()));
  ASSERT_EQ(2u, messages_.shown.size());
  EXPECT_NE(std::string::npos,
            messages_.shown[1].text.find(own + "  (" + messages::Describe(ListReason::ProgramFolder)));
}

TEST_F(ListEditingTest, ADropWhoseSavesFailSaysSoOnceAndKeepsTheFiles) {
  const std::string a = Existing("a.txt"), b = Existing("b.txt");
  testing::MakeFolder(protection_.SafeListFile());  // "prot.dat" cannot be replaced
  editing_.AddDropped(ListKind::Safe, {{a}, {b}});
  EXPECT_EQ((Rows{a, b}), protection_.Paths(ListKind::Safe));
  ASSERT_EQ(1u, messages_.shown.size());
  EXPECT_EQ(messages::CouldNotSave(protection_.SafeListFile(), protection_.SaveList(ListKind::Safe)),
            messages_.shown[0].text);
}

TEST_F(ListEditingTest, ADropIsSavedOnceAndAFailedSaveIsToldOnceAndSavedByTheNextEdit) {
  const std::string a = Existing("a.txt"), b = Existing("b.txt"), c = Existing("c.txt");
  testing::FailingWrites failing(system_, 1);  // the drop's one save
  FileLayer layer(failing);
  Protection protection(layer, folder_.path());
  ListEditing editing(protection, messages_, picker_);
  editing.AddDropped(ListKind::Safe, {{a}, {b}});
  EXPECT_EQ((std::vector<testing::RecordingMessageBoxes::Box>{
                {messages::CouldNotSave(protection.SafeListFile(), FileError::DiskFull), "Fendrel"}}),
            messages_.shown);
  EXPECT_FALSE(testing::Exists(protection.SafeListFile()));
  editing.Add(ListKind::Safe, c);
  EXPECT_EQ(a + "\r\n" + b + "\r\n" + c + "\r\n", ReadBytes(protection.SafeListFile()));
}

TEST_F(ListEditingTest, RemoveWithoutASelectionChangesNothingAndShowsNothing) {
  const std::string a = Existing("a.txt");
  editing_.Add(ListKind::Safe, a);
  editing_.Add(ListKind::Emergency, a);
  const std::string safeBytes = ReadBytes(protection_.SafeListFile());
  editing_.Remove(ListKind::Safe, -1);
  editing_.Remove(ListKind::Emergency, -1);
  editing_.Remove(ListKind::Safe, 5);
  EXPECT_EQ(1, protection_.EntryCount(ListKind::Safe));
  EXPECT_EQ(1, protection_.EntryCount(ListKind::Emergency));
  EXPECT_TRUE(Held(a));
  EXPECT_EQ(safeBytes, ReadBytes(protection_.SafeListFile()));
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(ListEditingTest, AFailedSaveIsReportedAndTheListKeepsTheEdit) {
  const std::string a = Existing("a.txt");
  // "emer.dat" taken by a folder of that name: the rewrite cannot replace it.
  testing::MakeFolder(protection_.EmergencyListFile());
  editing_.Add(ListKind::Emergency, a);
  EXPECT_EQ((Rows{a}), protection_.Paths(ListKind::Emergency));
  ASSERT_EQ(1u, messages_.shown.size());
  EXPECT_NE(std::string::npos, messages_.shown[0].text.find(protection_.EmergencyListFile()));
}

TEST_F(ListEditingTest, EmergencyListEditsHoldNothingAndARemovedEntryStaysHeldUntilNoEmergency) {
  const std::string a = Existing("a.txt"), b = Existing("b.txt");
  editing_.Add(ListKind::Emergency, a);
  editing_.Add(ListKind::Emergency, b);
  EXPECT_EQ(a + "\r\n" + b + "\r\n", ReadBytes(protection_.EmergencyListFile()));
  EXPECT_FALSE(Held(a));
  protection_.Select(ListKind::Emergency, 0);  // the person's choice survives the action
  emergency_.Emergency();
  EXPECT_TRUE(emergency_.on());
  EXPECT_EQ((Numbers{99, 100}), protection_.HoldRows(ListKind::Emergency));
  EXPECT_EQ(0, protection_.selected(ListKind::Emergency));
  editing_.Remove(ListKind::Emergency, protection_.selected(ListKind::Emergency));
  EXPECT_EQ(b + "\r\n", ReadBytes(protection_.EmergencyListFile()));
  EXPECT_TRUE(Held(a));
  emergency_.NoEmergency();
  EXPECT_FALSE(emergency_.on());
  EXPECT_FALSE(Held(a));
  EXPECT_FALSE(Held(b));
}

TEST_F(ListEditingTest, AnEmptyEmergencyListGivesTheErrorMessageAndKeepsTheState) {
  emergency_.Emergency();
  ASSERT_EQ(1u, messages_.shown.size());
  EXPECT_EQ(messages::kEmptyEmergencyList, messages_.shown[0].text);
  EXPECT_EQ("Error", messages_.shown[0].title);
  EXPECT_FALSE(emergency_.on());
}

TEST_F(ListEditingTest, AFailingMiddleEntryIsNamedWhileTheOthersAreHeld) {
  const std::string a = Existing("a.txt"), c = Existing("c.txt");
  const std::string missing = folder_.File("missing.txt");
  for (const std::string& path : {a, missing, c}) protection_.Add(ListKind::Emergency, path);
  emergency_.Emergency();
  EXPECT_TRUE(emergency_.on());
  EXPECT_EQ((Numbers{99, Protection::kNoHold, 100}), protection_.HoldRows(ListKind::Emergency));
  EXPECT_TRUE(Held(a));
  EXPECT_TRUE(Held(c));
  ASSERT_EQ(1u, messages_.shown.size());
  EXPECT_NE(std::string::npos, messages_.shown[0].text.find(missing));
  EXPECT_EQ(std::string::npos, messages_.shown[0].text.find(a));
  EXPECT_NE(std::string::npos,
            messages_.shown[0].text.find("Every other file of the emergency list is protected."));

  // When nothing could be held the state stays normal, and the message says so.
  Protection otherRun(layer_, folder_.path());
  otherRun.Add(ListKind::Emergency, missing);
  EmergencyMode other(otherRun, messages_);
  other.Emergency();
  EXPECT_FALSE(other.on());
  ASSERT_EQ(2u, messages_.shown.size());
  EXPECT_NE(std::string::npos, messages_.shown[1].text.find("No file of the emergency list is protected."));
  EXPECT_EQ(std::string::npos, messages_.shown[1].text.find("Every other file"));
}

TEST_F(ListEditingTest, AnEmergencyPressedAgainHoldsOnlyWhatIsNotHeldAndOneNoEmergencyReleasesAll) {
  const std::string a = Existing("a.txt");
  editing_.Add(ListKind::Safe, a);  // also on the safe list
  const std::string b = Existing("b.txt");
  protection_.Add(ListKind::Emergency, a);
  protection_.Add(ListKind::Emergency, b);
  emergency_.Emergency();
  emergency_.Emergency();  // the tray's "Emergency!" again: no second hold of any file
  EXPECT_EQ((Numbers{100, 101}), protection_.HoldRows(ListKind::Emergency));
  const std::string c = Existing("c.txt");
  editing_.Add(ListKind::Emergency, c);
  emergency_.Emergency();  // after an add: only the new entry is held
  EXPECT_EQ((Numbers{100, 101, 102}), protection_.HoldRows(ListKind::Emergency));
  EXPECT_TRUE(messages_.shown.empty()) << messages_.shown[0].text;
  emergency_.NoEmergency();
  EXPECT_FALSE(Held(c));
  EXPECT_FALSE(Held(b));
  EXPECT_TRUE(Held(a));  // its safe-list hold remains
  EXPECT_TRUE(protection_.HoldRows(ListKind::Emergency).empty());
  emergency_.Emergency();
  EXPECT_EQ((Numbers{100, 101, 102}),
            protection_.HoldRows(ListKind::Emergency));  // released numbers are used again
}

TEST_F(ListEditingTest, EveryEditIsToldToTheWindowOnceWhateverItChanged) {
  int told = 0;
  protection_.SetChangedNotice([&told] { ++told; });
  const std::string a = Existing("a.txt"), b = Existing("b.txt");
  const auto toldBy = [&](const std::function<void()>& edit) {
    told = 0;
    edit();
    return told;
  };
  EXPECT_EQ(1, toldBy([&] { editing_.Add(ListKind::Safe, a); })) << "a read, an add, a hold and a save";
  EXPECT_EQ(1, toldBy([&] { editing_.AddDropped(ListKind::Emergency, {{a}, {b}, {a}}); }));
  EXPECT_EQ(1, toldBy([&] { editing_.Remove(ListKind::Emergency, 1); }));
  EXPECT_EQ(1, toldBy([&] { emergency_.Emergency(); }));
  EXPECT_EQ(1, toldBy([&] { emergency_.NoEmergency(); }));
  EXPECT_EQ(0, toldBy([&] { editing_.Remove(ListKind::Safe, 5); })) << "no such entry: nothing changed";
  EXPECT_EQ((Rows{a, a}), protection_.Paths(ListKind::Emergency));
}

}  // namespace
}  // namespace fendrel
