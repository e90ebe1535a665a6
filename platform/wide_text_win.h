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
// A path for the W functions in its exact form (platform/exact_path.h), so
// that "real.txt." is that file and never "real.txt", and a path of more than
// 260 characters opens: every name goes to the file system as it is
// written. A rooted path ("\x") lies on the current folder's drive; a
// relative path or a device's goes as it is, under Windows' own rules.
std::optional<std::wstring> ToWidePath(std::string_view path);

// For what is shown: an ill-formed sequence shows as U+FFFD.
std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace fendrel
