// The window's two emergency buttons: "Emergency" starts the emergency (as
// the tray menu's item does), "No Emergency" ends it, and each is enabled
// only while it can act.
#pragma once

#include <functional>

#include "app/page_controls_win.h"
#include "protection/emergency.h"

namespace fendrel {

class EmergencyButtons {
 public:
  EmergencyButtons(PageControls& controls, EmergencyMode& emergency)
      : controls_(controls), emergency_(emergency) {}

  void Emergency();
  void NoEmergency();
  // The folders' walks are over: the emergency's message, if one waits.
  void FolderWalksDone() { emergency_.FolderWalksDone(); }

 private:
  void ShowState();

  PageControls& controls_;
  EmergencyMode& emergency_;
};

}  // namespace fendrel
