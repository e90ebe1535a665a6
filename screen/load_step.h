// The main window's load step: what runs once, when the window has been
// made and before it is first shown. The window provides the steps; the
// order and the rule that a failing step is skipped live here.
#pragma once

namespace fendrel {

class LoadSteps {
 public:
  virtual ~LoadSteps() = default;
  // A silent start only: to the tray before anything else.
  virtual void HideForm() = 0;
  // Shows Welcome, or New User when no password is set.
  virtual void DeterminePassword() = 0;
  // Shows the ON/OFF switch, and warns when Fendrel is OFF.
  virtual void ShowOnOffState() = 0;
  // Reads both list files, holding every file of the safe list.
  virtual void LoadLists() = 0;
  // Shows the lists and their holds in the window.
  virtual void MirrorLists() = 0;
};

// Runs the steps in the order above. A step that fails (throws) is skipped
// and the next one runs; nothing is reported: a missing list is an empty
// list, and what the person must know each step says itself.
void RunLoadStep(LoadSteps& steps, bool silent);

}  // namespace fendrel
