// The arguments of a helper program as UTF-8, read from its UTF-16 command
// line: the argv of main() comes through the ANSI code page and would lose
// every character the code page lacks.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/wide_text_win.h"

namespace fendrel::testing {

// The arguments after the program's name.
inline std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return arguments;
}

}  // namespace fendrel::testing
