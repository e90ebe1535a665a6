#include "app/emergency_buttons_win.h"

#include "screen/control_ids.h"

namespace fendrel {

void EmergencyButtons::Emergency() {
  emergency_.Emergency();
  ShowState();
}

void EmergencyButtons::NoEmergency() {
  emergency_.NoEmergency();
  ShowState();
}

void EmergencyButtons::ShowState() {
  controls_.Button(ctl::kEmergencyButton).Enable(!emergency_.on());
  controls_.Button(ctl::kNoEmergencyButton).Enable(emergency_.on());
}

}  // namespace fendrel
