// One running Fendrel per program folder: a second start must not hold the
// lists a second time. It shows the running window instead (a silent
// second start does nothing).
#pragma once

#include <string>

#include "platform/handles_win.h"

namespace fendrel {

class SingleInstance {
 public:
  // Claims the program folder for this process.
  explicit SingleInstance(const std::string& programFolder);
  // True when no other process of this program folder runs.
  bool first() const { return first_; }

 private:
  UniqueHandle mutex_;
  bool first_ = true;
};

// Asks the running program of this folder to show its window. False when
// its window could not be found.
bool BringRunningInstanceForward(const std::string& programFolder);

}  // namespace fendrel
