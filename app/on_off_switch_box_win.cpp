#include "app/on_off_switch_box_win.h"

#include "screen/control_ids.h"
#include "screen/layout.h"

namespace fendrel {

void OnOffSwitchBox::OnClick() {
  Show(switch_.Click(controls_.CheckBox(ctl::kOnOffSwitch).IsChecked()));
}

void OnOffSwitchBox::OnPageBuilt(int page) {
  const ControlSpec* row = FindControl(ctl::kOnOffSwitch);
  if (look_ && row && row->container == page) {
    const SwitchLook look = *look_;
    Show(look);
  }
}

void OnOffSwitchBox::Show(const SwitchLook& look) {
  look_ = look;
  const CheckBox box(controls_.Existing(ctl::kOnOffSwitch));
  if (!box) return;  // its page shows the look when it is built
  // The switch's handling has run already; setting the box must not run it again.
  box.ShowChecked(look.checked);
  box.SetText(look.caption);
  controls_.SetTextColour(ctl::kOnOffSwitch, look.colour);
}

}  // namespace fendrel
