// The command line at start-up: the argument text and the start mode it
// asks for, decided once for the whole start.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fendrel {

// The part of the process command line after the program's own path and
// the one blank or tab that separates them. A line that starts with the
// running program's full path `programPath`, quoted or not and in any
// letter case, loses exactly that path: Windows starts the Run value
// "C:\Program Files\Fendrel\Fendrel.exe /silent" unquoted, blanks and all.
// Any other line is read as Windows reads a program name: up to the
// closing quote when it starts with one, else up to the first blank or tab.
std::string ArgumentText(std::string_view commandLine, std::string_view programPath);

// Only exactly "/silent" starts hidden; any other text is a normal start.
bool IsSilent(std::string_view argumentText);

// How the program starts.
struct StartMode {
  // A silent start hides the window to the tray before anything else of
  // the load step and then shows it minimized; a normal start shows it in
  // its normal state.
  bool silent = false;
  // The access level granted before the window is made: 2 for a normal
  // start, none for a silent one, so a logon start opens no page until the
  // person logs in.
  std::int16_t level = 0;
};

StartMode StartModeOf(std::string_view argumentText);

}  // namespace fendrel
