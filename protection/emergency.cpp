#include "protection/emergency.h"

#include "screen/messages.h"

namespace fendrel {

void EmergencyMode::Emergency() {
  if (protection_.emergencyList().items.empty()) {
    messages_.Show(messages::kEmptyEmergencyList, messages::kTitleError);
    return;
  }
  const Protection::EmergencyHolding holding = protection_.HoldEmergencyList();
  if (!holding.failures.empty()) {
    messages_.Show(messages::EmergencyHoldsFailed(holding.failures, holding.anyHeld), messages::kTitle);
  }
}

void EmergencyMode::NoEmergency() {
  protection_.ReleaseEmergencyHolds();
}

}  // namespace fendrel
