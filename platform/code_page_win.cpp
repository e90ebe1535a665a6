#include "platform/code_page_win.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

#include "platform/utf.h"

namespace fendrel {

namespace {

const Win32CodePage kSystemAnsi;

int Length(std::size_t size) {
  // Windows counts in int; no path or password comes near.
  if (size > INT_MAX) throw std::length_error("a text too long for Windows' code page conversion");
  return static_cast<int>(size);
}

std::u16string ToWide(unsigned codePage, std::string_view ansi) {
  if (ansi.empty()) return {};
  const int length = Length(ansi.size());
  std::u16string wide(
      static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, ansi.data(), length, nullptr, 0)), u'\0');
  const int got = MultiByteToWideChar(codePage, 0, ansi.data(), length,
                                      reinterpret_cast<wchar_t*>(wide.data()), static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(got));
  return wide;
}

// `usedDefault` is left false when the code page cannot tell (UTF-8).
std::string ToAnsi(unsigned codePage, std::u16string_view wide, DWORD flags, BOOL* usedDefault) {
  if (wide.empty()) return {};
  const int length = Length(wide.size());
  const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
  std::string ansi(static_cast<std::size_t>(
                       WideCharToMultiByte(codePage, flags, units, length, nullptr, 0, nullptr, usedDefault)),
                   '\0');
  const int got = WideCharToMultiByte(codePage, flags, units, length, ansi.data(),
                                      static_cast<int>(ansi.size()), nullptr, usedDefault);
  ansi.resize(static_cast<std::size_t>(got));
  return ansi;
}

// Windows refuses the default-character flags for UTF-8 (a system may use it
// as its ANSI code page since Windows 10 1903).
bool IsUtf8CodePage(unsigned codePage) {
  return codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
}

}  // namespace

std::string Win32CodePage::ToUtf8(std::string_view ansi) const {
  std::u16string wide = ToWide(codePage_, ansi);
  // An ANSI code page never gives a lone surrogate; should one appear, it
  // stands as U+FFFD rather than losing the text.
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char16_t unit = wide[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      wide[i] = 0xFFFD;
    }
  }
  std::string utf8;
  Utf16ToUtf8(wide, utf8);
  return utf8;
}

std::optional<std::string> Win32CodePage::FromUtf8Exactly(std::string_view utf8) const {
  std::u16string wide;
  if (!Utf8ToUtf16(utf8, wide)) return std::nullopt;
  const bool utf8CodePage = IsUtf8CodePage(codePage_);
  // No best fit and no default character: a character the code page lacks
  // fails instead of becoming "?" or a look-alike.
  BOOL usedDefault = FALSE;
  std::string ansi =
      ToAnsi(codePage_, wide, utf8CodePage ? 0 : WC_NO_BEST_FIT_CHARS, utf8CodePage ? nullptr : &usedDefault);
  if (usedDefault || ToWide(codePage_, ansi) != wide) return std::nullopt;
  return ansi;
}

std::u16string Win32CodePage::ThroughAnsi(std::u16string_view text) const {
  // With best fit, as an ANSI edit box kept what was typed into it.
  return ToWide(codePage_, ToAnsi(codePage_, text, 0, nullptr));
}

const CodePage& SystemAnsiCodePage() {
  return kSystemAnsi;
}

}  // namespace fendrel
