// The argument text, the start mode and its access level from the process
// command line.
#include "startup/start_mode.h"

#include <gtest/gtest.h>

namespace fendrel {
namespace {

constexpr const char* kInstalled = "C:\\Program Files\\Fendrel\\Fendrel.exe";

TEST(StartModeTest, TheProgramsOwnPathIsCutOffQuotedOrNotInAnyCase) {
  // Windows runs the Run value exactly as written: unquoted, blanks and all.
  EXPECT_EQ("/silent", ArgumentText("C:\\Program Files\\Fendrel\\Fendrel.exe /silent", kInstalled));
  EXPECT_EQ("/silent", ArgumentText("\"C:\\Program Files\\Fendrel\\Fendrel.exe\" /silent", kInstalled));
  EXPECT_EQ("/silent", ArgumentText("c:\\PROGRAM FILES\\fendrel\\FENDREL.EXE /silent", kInstalled));
  EXPECT_EQ("/silent", ArgumentText("C:\\Program Files\\Fendrel\\Fendrel.exe\t/silent", kInstalled));
  EXPECT_EQ("/silent", ArgumentText("\"C:\\Program Files\\Fendrel\\Fendrel.exe\"\t/silent", kInstalled));
  EXPECT_EQ("", ArgumentText("C:\\Program Files\\Fendrel\\Fendrel.exe", kInstalled));
  EXPECT_EQ(" /silent", ArgumentText("C:\\Program Files\\Fendrel\\Fendrel.exe  /silent", kInstalled));
  EXPECT_EQ("/silent x", ArgumentText("C:\\Program Files\\Fendrel\\Fendrel.exe /silent x", kInstalled));
}

TEST(StartModeTest, AnyOtherLineEndsItsFirstWordAtABlankOrTabOrItsClosingQuote) {
  // Another program whose path begins like ours is not ours.
  EXPECT_EQ("Files\\Fendrel\\Fendrel.exe.bak /silent",
            ArgumentText("C:\\Program Files\\Fendrel\\Fendrel.exe.bak /silent", kInstalled));
  EXPECT_EQ("/silent", ArgumentText("\"C:\\Program Files\\Fendrel\\Fendrel.exe.bak\" /silent", kInstalled));
  EXPECT_EQ("Files\\Other\\Fendrel.exe /silent",
            ArgumentText("C:\\Program Files\\Other\\Fendrel.exe /silent", kInstalled));
  EXPECT_EQ("/silent", ArgumentText("Fendrel.exe /silent", kInstalled));
  EXPECT_EQ("/silent", ArgumentText("Fendrel.exe\t/silent", kInstalled));
  EXPECT_EQ("/silent", ArgumentText("\"C:\\a b\\Fendrel.exe\" /silent", kInstalled));
  EXPECT_EQ("", ArgumentText("\"C:\\a b\\Fendrel.exe\"", kInstalled));
  EXPECT_EQ("", ArgumentText("Fendrel.exe ", kInstalled));
  EXPECT_EQ(" /silent", ArgumentText("Fendrel.exe  /silent", kInstalled));  // only one blank separates
  EXPECT_EQ("/silent ", ArgumentText("Fendrel.exe /silent ", kInstalled));
  EXPECT_EQ("", ArgumentText("", kInstalled));
  EXPECT_EQ("/silent", ArgumentText("Fendrel.exe /silent", ""));  // no path known
}

TEST(StartModeTest, OnlyExactlySilentIsASilentStart) {
  EXPECT_TRUE(IsSilent("/silent"));
  EXPECT_FALSE(IsSilent("/SILENT"));
  EXPECT_FALSE(IsSilent("/Silent"));
  EXPECT_FALSE(IsSilent("/silent x"));
  EXPECT_FALSE(IsSilent("/silent "));
  EXPECT_FALSE(IsSilent(" /silent"));
  EXPECT_FALSE(IsSilent(""));
}

TEST(StartModeTest, ANormalStartGrantsLevelTwoAndASilentOneNone) {
  for (const char* normal : {"", "/SILENT", "/silent x", "anything"}) {
    EXPECT_FALSE(StartModeOf(normal).silent) << normal;
    EXPECT_EQ(2, StartModeOf(normal).level) << normal;
  }
  EXPECT_TRUE(StartModeOf("/silent").silent);
  EXPECT_EQ(0, StartModeOf("/silent").level);
}

}  // namespace
}  // namespace fendrel
