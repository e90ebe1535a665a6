// The system's ANSI code page, as Windows converts text with it. Old list
// files are text in this code page, and the password digest has always
// been taken of what an ANSI edit box keeps.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fendrel {

class CodePage {
 public:
  virtual ~CodePage() = default;
  // The UTF-8 text of ANSI bytes, read as Windows reads them (as an A
  // function would pass them on to its W twin).
  virtual std::string ToUtf8(std::string_view ansi) const = 0;
  // The ANSI bytes of UTF-8 text when every character has bytes of its own
  // in the code page and reads back as itself; nothing when any character
  // would be lost, replaced by the default character or by a look-alike.
  virtual std::optional<std::string> FromUtf8Exactly(std::string_view utf8) const = 0;
  // UTF-16 text as an ANSI window keeps it: each character through the code
  // page, with Windows' best fit, and back.
  virtual std::u16string ThroughAnsi(std::u16string_view text) const = 0;
};

}  // namespace fendrel
