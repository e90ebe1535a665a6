// The start's steps, as the benchmark reads them from the real program.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/win32/e2e_fixture_win.h"

namespace fendrel {
namespace {

using testing::ReadBytes;
using testing::WaitFor;
using testing::WriteBytes;

TEST_F(E2eTest, AStartAskedForItsStepsWritesThemBalancedAndBuildsTheOtherPagesOnlyOnceItWaits) {
  ReturningUser();
  WriteBytes(app_.SafeListFile(), Lines({app_.MakeFile("kept.txt")}));
  const std::string stepsFile = app_.File("steps.txt");
  SetEnvironmentVariableA("FENDREL_START_STEPS", stepsFile.c_str());
  app_.Start();
  SetEnvironmentVariableA("FENDREL_START_STEPS", nullptr);
  std::string text;
  ASSERT_TRUE(WaitFor([&] { return !(text = ReadBytes(stepsFile)).empty(); }, "the steps written"));

  // Every step that begins ends, the inner ones first; the outermost
  // steps, in order.
  std::vector<std::string> outer;
  int depth = 0;
  std::istringstream lines(text);
  std::string line;
  ASSERT_TRUE(std::getline(lines, line) && line.rfind("F ", 0) == 0) << text.substr(0, 200);
  while (std::getline(lines, line)) {
    ASSERT_TRUE(line.rfind("B ", 0) == 0 || line.rfind("E ", 0) == 0) << line;
    if (line[0] == 'E') {
      ASSERT_GT(depth--, 0) << "an end with no step begun";
      continue;
    }
    if (depth++ == 0) outer.push_back(line.substr(2, line.find('\t') - 2));
  }
  EXPECT_EQ(0, depth) << "a step that never ended";
  const auto at = [&](const std::string& name) {
    return std::find(outer.begin(), outer.end(), name) - outer.begin();
  };
  ASSERT_FALSE(outer.empty());
  EXPECT_EQ("static initialisation", outer.front());
  EXPECT_LT(at("the load step"), at("showing the window"));
  EXPECT_LT(at("showing the window"), at("waiting for input"));
  EXPECT_LT(at("waiting for input"), at("a page built while idle"));
  EXPECT_LT(at("a page built while idle"), static_cast<std::ptrdiff_t>(outer.size()));
  // The last page is built with no one choosing it.
  EXPECT_NE(nullptr, app_.Control(ctl::kCloseProgramButton));
}

}  // namespace
}  // namespace fendrel
