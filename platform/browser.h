// Opens a web address in a new browser window.
#pragma once

#include <string>

namespace fendrel {

class Browser {
 public:
  virtual ~Browser() = default;
  virtual bool Open(const std::string& address) = 0;
};

}  // namespace fendrel
