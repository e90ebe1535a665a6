// What the main window offers to the click handlers of the core: the page
// switch and the end of the program. The window implements it; core tests
// record the calls.
#pragma once

#include <cstdint>

namespace fendrel {

class Form1Actions {
 public:
  virtual ~Form1Actions() = default;
  // Shows a page under the access rules (`override` exactly 1 skips them).
  virtual void SelectPage(int pageIndex, std::int16_t override) = 0;
  // Removes the tray icon and ends the process, releasing every hold.
  virtual void CloseProgram() = 0;
};

}  // namespace fendrel
