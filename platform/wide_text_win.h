// The one pair of conversions at the W functions' edge: UTF-8 inside the
// program, UTF-16 in every call to Windows. Paths go through the exact
// forms, which refuse what cannot be converted; only texts for the screen
// (captions, messages) go through the forgiving ones.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fendrel {

// Exact: nothing when the text is not well-formed (a path can never become
// another path this way).
std::optional<std::wstring> ToWide(std::string_view utf8);
std::optional<std::string> FromWide(std::wstring_view wide);

// For what is shown: an ill-formed sequence shows as U+FFFD.
std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace fendrel
