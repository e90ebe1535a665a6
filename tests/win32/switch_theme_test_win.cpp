// The ON/OFF switch is drawn without a theme however the process came to
// load uxtheme: checked in a process of its own (tools/switch_theme_probe),
// where uxtheme.dll is not loaded when the program's code makes the switch
// and a visual style is on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win32/process_support_win.h"

namespace fendrel {
namespace {

TEST(SwitchThemeTest, TheSwitchHasNoThemeAlsoWhenUxthemeWasNotLoadedBeforeIt) {
  testing::ChildProcess probe("switch_theme_probe", {});
  ASSERT_TRUE(probe.started());
  std::vector<std::string> seen;
  EXPECT_TRUE(probe.WaitForLine("done", &seen)) << "the probe ended without saying done";
  // The first line shows the test means something: the program's code, not
  // Wine or Common Controls, had to load uxtheme. The last shows a visual
  // style is on, so a switch with a theme would get one.
  EXPECT_EQ((std::vector<std::string>{"uxtheme loaded before the main window: no", "switch: no theme",
                                      "login button: themed"}),
            seen);
  EXPECT_TRUE(probe.WaitForExit(10000));
}

}  // namespace
}  // namespace fendrel
