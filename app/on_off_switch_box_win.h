// The ON/OFF switch as the window shows it: a check box whose caption and
// colour say whether Fendrel starts with Windows. Its look is kept while its
// page is not built and put on the box when it is.
#pragma once

#include <optional>

#include "app/page_controls_win.h"
#include "startup/on_off_switch.h"

namespace fendrel {

class OnOffSwitchBox {
 public:
  OnOffSwitchBox(PageControls& controls, OnOffSwitch& onOffSwitch)
      : controls_(controls), switch_(onOffSwitch) {}

  // The load step's: shows the switch's state, and warns when Fendrel is OFF.
  void ShowOnOffState() { Show(switch_.ShowOnOffState()); }
  // The box was clicked (it has toggled itself already): the switch follows.
  void OnClick();
  // A page was built: if the box is on it, it takes the switch's look.
  void OnPageBuilt(int page);

 private:
  void Show(const SwitchLook& look);

  PageControls& controls_;
  OnOffSwitch& switch_;
  std::optional<SwitchLook> look_;  // also before its page is built
};

}  // namespace fendrel
