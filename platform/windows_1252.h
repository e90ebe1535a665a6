// Windows' code page 1252 (Western European), as MultiByteToWideChar and
// WideCharToMultiByte convert with it, without Windows: the ANSI code page
// of the native build and of the tests' file systems.
#pragma once

#include "platform/code_page.h"

namespace fendrel {

class Windows1252CodePage : public CodePage {
 public:
  std::string ToUtf8(std::string_view ansi) const override;
  std::optional<std::string> FromUtf8Exactly(std::string_view utf8) const override;
  // Every character outside the code page becomes "?", one for each UTF-16
  // code unit. Windows' best fit would turn some of them into look-alikes
  // instead ("Ł" into "L"); its table is not copied here.
  std::u16string ThroughAnsi(std::u16string_view text) const override;
};

}  // namespace fendrel
