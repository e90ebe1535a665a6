// One running Fendrel per session and program folder, however the folder is
// spelled: a second start must not hold the lists a second time. It shows
// the running window instead (a silent second start does nothing).
#pragma once

#include <optional>
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

// Asks the running program of this folder to show its window, waiting a
// moment for a copy that is starting still. False only when its window
// would not take the request: a copy with administrator rights on a Windows
// that cannot let the request through.
bool BringRunningInstanceForward(const std::string& programFolder);

}  // namespace fendrel
