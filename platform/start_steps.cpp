#include "platform/start_steps.h"

namespace fendrel {

StartStepSink* startStepSink = nullptr;

}  // namespace fendrel
