// The common file-open dialog: all files, one choice, a title.
#pragma once

#include <optional>
#include <string>

namespace fendrel {

class FilePicker {
 public:
  virtual ~FilePicker() = default;
  // The full path chosen, or nothing when the user cancels. The dialog
  // starts from `startFileName` (empty before the first choice).
  virtual std::optional<std::string> PickFile(const std::string& title, const std::string& startFileName) = 0;
};

}  // namespace fendrel
