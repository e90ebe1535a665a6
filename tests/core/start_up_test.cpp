// The argument text and the start mode from the process command line.
#include "app/start_up.h"

#include <gtest/gtest.h>

namespace fendrel {
namespace {

TEST(StartUpTest, TheArgumentTextFollowsTheProgramPathAndOneBlank) {
  EXPECT_EQ("/silent", ArgumentText("C:\\Fendrel\\Fendrel.exe /silent"));
  EXPECT_EQ("/silent", ArgumentText("\"C:\\Program Files\\Fendrel\\Fendrel.exe\" /silent"));
  EXPECT_EQ("", ArgumentText("\"C:\\Program Files\\Fendrel\\Fendrel.exe\""));
  EXPECT_EQ("", ArgumentText("Fendrel.exe"));
  EXPECT_EQ("", ArgumentText("Fendrel.exe "));
  EXPECT_EQ(" /silent", ArgumentText("Fendrel.exe  /silent"));  // only one blank is the separator
  EXPECT_EQ("/silent ", ArgumentText("Fendrel.exe /silent "));
  EXPECT_EQ("/silent x", ArgumentText("Fendrel.exe /silent x"));
  EXPECT_EQ("", ArgumentText(""));
}

TEST(StartUpTest, OnlyExactlySilentIsASilentStart) {
  EXPECT_TRUE(IsSilent("/silent"));
  EXPECT_TRUE(IsSilent(ArgumentText("\"C:\\a b\\Fendrel.exe\" /silent")));
  EXPECT_FALSE(IsSilent("/SILENT"));
  EXPECT_FALSE(IsSilent("/Silent"));
  EXPECT_FALSE(IsSilent("/silent x"));
  EXPECT_FALSE(IsSilent("/silent "));
  EXPECT_FALSE(IsSilent(ArgumentText("Fendrel.exe /silent ")));
  EXPECT_FALSE(IsSilent(ArgumentText("Fendrel.exe  /silent")));
  EXPECT_FALSE(IsSilent(""));
}

}  // namespace
}  // namespace fendrel
