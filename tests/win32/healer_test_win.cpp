// The healer and the commands: a wake-up that comes while a command runs
// (it may be showing a box in the middle of changing a list) waits until
// the command is over.
#include "app/healer_win.h"

#include <gtest/gtest.h>

#include "platform/file_system_win.h"
#include "tests/core/test_support.h"

namespace fendrel {
namespace {

using testing::TempFolder;

TEST(HealerTest, AWakeUpDuringACommandWaitsUntilTheCommandIsOver) {
  TempFolder folder;
  Win32FileSystem system;
  FileLayer layer(system);
  BackgroundOpens background(system, [] {});
  Protection protection(layer, folder.path(), &background);
  Healer healer(protection, background, system, [] {});
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, window);
  healer.SetWindow(window);

  const std::string late = folder.File("late.txt");
  testing::WriteBytes(protection.SafeListFile(), late + "\r\n");
  protection.LoadLists();
  int shown = 0;  // the core's changes told to the window
  protection.SetChangedNotice([&shown] { ++shown; });
  testing::MakeFile(folder, "late.txt");
  MSG message;
  {
    const Healer::Busy command(healer);
    healer.Heal();
    EXPECT_EQ(0, shown);
    EXPECT_EQ((std::vector<int>{Protection::kNoHold}), protection.HoldRows(ListKind::Safe))
        << "held during the command";
    EXPECT_FALSE(PeekMessageA(&message, window, Healer::kHealMessage, Healer::kHealMessage, PM_REMOVE));
  }
  // The command is over: the wake-up comes again, and what it finds is held and shown.
  ASSERT_TRUE(PeekMessageA(&message, window, Healer::kHealMessage, Healer::kHealMessage, PM_REMOVE));
  healer.Heal();
  EXPECT_EQ(1, shown);
  EXPECT_EQ((std::vector<int>{Protection::kFirstHoldNumber}), protection.HoldRows(ListKind::Safe));
  healer.SetWindow(nullptr);
  DestroyWindow(window);
}

}  // namespace
}  // namespace fendrel
