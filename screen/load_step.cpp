#include "screen/load_step.h"

namespace fendrel {

namespace {
template <typename Step>
void Skipping(Step step) {
  try {
    step();
  } catch (...) {
    // skipped, as every failing statement of the load step is
  }
}
}  // namespace

void RunLoadStep(LoadSteps& steps, bool silent) {
  if (silent) Skipping([&] { steps.HideForm(); });
  Skipping([&] { steps.DeterminePassword(); });
  Skipping([&] { steps.ShowOnOffState(); });
  Skipping([&] { steps.LoadLists(); });
  Skipping([&] { steps.MirrorLists(); });
}

}  // namespace fendrel
