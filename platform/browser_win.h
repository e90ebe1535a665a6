// Opens a web address in the user's browser (ShellExecute "open").
#pragma once

#include "platform/browser.h"

namespace fendrel {

class Win32Browser : public Browser {
 public:
  bool Open(const std::string& address) override;
};

}  // namespace fendrel
