#include "platform/start_steps.h"

namespace fendrel {

StartStepSink* startStepSink = nullptr;

StartStep::StartStep(const char* name) : on_(startStepSink != nullptr) {
  if (on_) startStepSink->Begin(name);
}

StartStep::~StartStep() {
  if (on_ && startStepSink) startStepSink->End();
}

}  // namespace fendrel
