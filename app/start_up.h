// The command line at start-up: the argument text and the start mode.
#pragma once

#include <string>
#include <string_view>

namespace fendrel {

// The part of the process command line after the program's own path and
// the one blank that separates them. The path is read as Windows reads it:
// up to the closing quote when it starts with one, else up to the first
// blank or tab.
std::string ArgumentText(std::string_view commandLine);

// Only exactly "/silent" starts hidden; any other text is a normal start.
bool IsSilent(std::string_view argumentText);

}  // namespace fendrel
