// The system's ANSI code page through Windows' own conversions, for the
// Win32 file system.
#pragma once

#include "platform/code_page.h"

namespace fendrel {

class Win32CodePage : public CodePage {
 public:
  // 0 is CP_ACP, the system's ANSI code page; the tests name others.
  explicit Win32CodePage(unsigned codePage = 0) : codePage_(codePage) {}

  std::string ToUtf8(std::string_view ansi) const override;
  std::optional<std::string> FromUtf8Exactly(std::string_view utf8) const override;
  std::u16string ThroughAnsi(std::u16string_view text) const override;

 private:
  unsigned codePage_;
};

// The system's ANSI code page, for every user in the process.
const CodePage& SystemAnsiCodePage();

}  // namespace fendrel
