// Modal message boxes with an OK button only and no icon. The program shows
// them with MessageBoxW; tests answer them with a recording fake.
#pragma once

#include <string>

namespace fendrel {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Returns when the user has dismissed the box.
  virtual void Show(const std::string& text, const std::string& title) = 0;
};

}  // namespace fendrel
