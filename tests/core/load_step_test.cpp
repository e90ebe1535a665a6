// The load step's order, and its rule that a failing step is skipped.
#include "screen/load_step.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace fendrel {
namespace {

using Steps = std::vector<std::string>;

// Records each step; the step named `failing` throws after it is recorded.
class RecordingSteps : public LoadSteps {
 public:
  explicit RecordingSteps(std::string failing = "") : failing_(std::move(failing)) {}
  void HideForm() override { Run("HideForm"); }
  void DeterminePassword() override { Run("DeterminePassword"); }
  void ShowOnOffState() override { Run("ShowOnOffState"); }
  void LoadLists() override { Run("LoadLists"); }
  void MirrorLists() override { Run("MirrorLists"); }

  Steps ran;

 private:
  void Run(const std::string& step) {
    ran.push_back(step);
    if (step != failing_) return;
    if (step == "LoadLists") throw 7;  // not every failure is a std::exception
    throw std::runtime_error(step);
  }
  std::string failing_;
};

const Steps kNormalStart{"DeterminePassword", "ShowOnOffState", "LoadLists", "MirrorLists"};

TEST(LoadStepTest, ASilentStartHidesTheWindowBeforeAnythingElse) {
  RecordingSteps normal, silent;
  RunLoadStep(normal, false);
  RunLoadStep(silent, true);
  EXPECT_EQ(kNormalStart, normal.ran);
  Steps hiddenFirst{"HideForm"};
  hiddenFirst.insert(hiddenFirst.end(), kNormalStart.begin(), kNormalStart.end());
  EXPECT_EQ(hiddenFirst, silent.ran);
}

TEST(LoadStepTest, AFailingStepIsSkippedAndEveryLaterStepStillRuns) {
  for (const char* failing :
       {"HideForm", "DeterminePassword", "ShowOnOffState", "LoadLists", "MirrorLists"}) {
    RecordingSteps steps(failing);
    EXPECT_NO_THROW(RunLoadStep(steps, true)) << failing;
    EXPECT_EQ(5u, steps.ran.size()) << failing;
    EXPECT_EQ("MirrorLists", steps.ran.back()) << failing;
  }
}

}  // namespace
}  // namespace fendrel
