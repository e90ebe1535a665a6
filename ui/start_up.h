// The command line at start-up: the argument text and the start mode.
#pragma once

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

}  // namespace fendrel
