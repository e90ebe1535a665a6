// The ON/OFF switch on the in-memory registry: what it writes, what it
// shows, and what it says when the machine-wide key may not be changed.
#include "startup/on_off_switch.h"

#include <gtest/gtest.h>

#include "screen/messages.h"
#include "tests/core/fakes.h"

namespace fendrel {

void PrintTo(const SwitchLook& look, std::ostream* out) {
  *out << (look.checked ? "[x] " : "[ ] ") << look.caption;
}

namespace {

using testing::FakeRegistry;
using testing::RecordingMessageBoxes;
using Value = FakeRegistry::Value;
using Boxes = std::vector<RecordingMessageBoxes::Box>;

constexpr long kAccessDenied = 5;
// Where a 32-bit program's Run value lands on 64-bit Windows.
constexpr const char* kRun32Path = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

const SwitchLook kOn{true, "Fendrel is currently ON", Rgb{0, 128, 0}};
const SwitchLook kOff{false, "Fendrel is currently OFF", Rgb{255, 0, 0}};

class OnOffSwitchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_.AddKey(kHkeyLocalMachine, kRunKeyPath);
    api_.AddKey(kHkeyLocalMachine, kRun32Path);
  }

  std::optional<Value> Entry() { return api_.Get(kHkeyLocalMachine, kRunKeyPath, "Fendrel"); }
  std::optional<Value> Entry32() { return api_.Get(kHkeyLocalMachine, kRun32Path, "Fendrel"); }
  void PutEntry(const std::string& bytes) {
    api_.Put(kHkeyLocalMachine, kRunKeyPath, "Fendrel", {kRegSz, bytes});
  }

  // The entry this program writes: its folder, no quotes, one NUL.
  const Value kOwnEntry{kRegSz, std::string("C:\\Program Files\\Fendrel\\Fendrel.exe /silent") + '\0'};

  FakeRegistry api_;
  RecordingMessageBoxes boxes_;
  OnOffSwitch switch_{api_, boxes_, "C:\\Program Files\\Fendrel"};
};

TEST_F(OnOffSwitchTest, TheStateIsWhetherTheValueExistsWhateverItHolds) {
  EXPECT_FALSE(AutoStartIsOn(api_));
  PutEntry("unrelated");  // values of other types and lengths: tests/win32/registry_test_win.cpp
  EXPECT_TRUE(AutoStartIsOn(api_));
  EXPECT_EQ(kKeyRead, api_.accessAsked.back());

  api_.failOpen = kAccessDenied;
  EXPECT_FALSE(AutoStartIsOn(api_));
  EXPECT_EQ(0u, api_.OpenHandles());
}

TEST_F(OnOffSwitchTest, WithoutTheRunKeyTheStateIsOff) {
  FakeRegistry empty;
  EXPECT_FALSE(AutoStartIsOn(empty));
}

TEST_F(OnOffSwitchTest, CheckingWritesTheProgramsOwnEntry) {
  EXPECT_EQ("C:\\Program Files\\Fendrel\\Fendrel.exe /silent", switch_.RunCommand());
  EXPECT_EQ(kOn, switch_.Click(true));
  EXPECT_EQ(kOwnEntry, Entry());
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(0u, api_.OpenHandles());
}

TEST_F(OnOffSwitchTest, UncheckingRemovesTheEntryAndAMissingEntryIsFine) {
  PutEntry("x");
  EXPECT_EQ(kOff, switch_.Click(false));
  EXPECT_FALSE(Entry());
  EXPECT_EQ(kOff, switch_.Click(false));
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_TRUE(api_.HasKey(kHkeyLocalMachine, kRunKeyPath));
}

TEST_F(OnOffSwitchTest, ACheckThatCannotWriteSaysWhyAndShowsOff) {
  api_.failOpenForChange = kAccessDenied;
  EXPECT_EQ(kOff, switch_.Click(true));
  EXPECT_FALSE(Entry());
  const std::string entry = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Fendrel";
  EXPECT_EQ((Boxes{{messages::AutoStartNotChanged(true, entry, kAccessDenied, "fake error 5"), "Fendrel"}}),
            boxes_.shown);
  EXPECT_NE(std::string::npos, boxes_.shown[0].text.find("administrator"));
  EXPECT_NE(std::string::npos, boxes_.shown[0].text.find("Windows error 5"));
}

TEST_F(OnOffSwitchTest, AnUncheckThatCannotRemoveSaysWhyAndShowsOn) {
  PutEntry("x");
  api_.failDelete = kAccessDenied;
  EXPECT_EQ(kOn, switch_.Click(false));
  ASSERT_EQ(1u, boxes_.shown.size());
  EXPECT_NE(std::string::npos, boxes_.shown[0].text.find("could not turn the auto-start OFF"));
  EXPECT_TRUE(Entry());
}

TEST_F(OnOffSwitchTest, EveryStartInTheOffStateWarnsAndWritesNothing) {
  // OFF: no value, or a Run key that cannot be read.
  for (const long failOpen : {0L, kAccessDenied}) {
    api_.failOpen = failOpen;
    boxes_.shown.clear();
    const Boxes warning{{"Fendrel is not On! Please turn it on via the welcome screen.", "Fendrel"}};
    EXPECT_EQ(kOff, switch_.ShowOnOffState()) << failOpen;
    EXPECT_EQ(warning, boxes_.shown) << failOpen;
    EXPECT_EQ(kOff, switch_.ShowOnOffState()) << failOpen;
    EXPECT_EQ(2u, boxes_.shown.size()) << failOpen;
    EXPECT_EQ(0u, api_.ValueCount(kHkeyLocalMachine, kRunKeyPath)) << failOpen;
  }
}

TEST_F(OnOffSwitchTest, AStartInTheOnStateRewritesAnyEntryWithThisProgram) {
  PutEntry("D:\\Old Place\\Fendrel.exe /silent");
  EXPECT_EQ(kOn, switch_.ShowOnOffState());
  EXPECT_EQ(kOwnEntry, Entry());
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(OnOffSwitchTest, A32BitCopysEntryReadsOnGivesWayToThisOneAndOffRemovesBoth) {
  for (const bool oneView : {false, true}) {  // true: Windows without a 32-bit side
    api_.oneView = oneView;
    const Value old{kRegSz, "C:\\Program Files (x86)\\Fendrel\\Fendrel.exe /silent"};
    const char* key32 = oneView ? kRunKeyPath : kRun32Path;  // where the 32-bit view finds it
    api_.Put(kHkeyLocalMachine, key32, "Fendrel", old);
    EXPECT_EQ(kOn, switch_.ShowOnOffState()) << oneView;
    EXPECT_EQ(kOwnEntry, Entry()) << oneView;  // only this program's entry is left
    EXPECT_FALSE(Entry32()) << oneView;
    api_.Put(kHkeyLocalMachine, key32, "Fendrel", old);
    EXPECT_EQ(kOff, switch_.Click(false)) << oneView;
    EXPECT_FALSE(Entry() || Entry32()) << oneView;
  }
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(OnOffSwitchTest, AFailedRewriteAtStartStaysSilentAndShowsOn) {
  PutEntry("unrelated");
  api_.failOpenForChange = kAccessDenied;
  EXPECT_EQ(kOn, switch_.ShowOnOffState());
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ((Value{kRegSz, "unrelated"}), Entry());
}

}  // namespace
}  // namespace fendrel
