// Exact conversions between UTF-8, the program's text inside, and UTF-16,
// what Windows' W functions take. A conversion that cannot be exact (an
// invalid byte sequence, a lone surrogate) fails; it never guesses.
#pragma once

#include <string>
#include <string_view>

namespace fendrel {

// True when `text` is well-formed UTF-8: no overlong forms, no surrogates,
// nothing past U+10FFFF, no cut sequence.
bool IsUtf8(std::string_view text);

// False, and `out` unspecified, when the input is not well-formed.
bool Utf8ToUtf16(std::string_view utf8, std::u16string& out);
bool Utf16ToUtf8(std::u16string_view utf16, std::string& out);
// Appends the UTF-8 bytes of one code point (not a surrogate, at most
// U+10FFFF).
void AppendUtf8(char32_t code, std::string& out);

}  // namespace fendrel
