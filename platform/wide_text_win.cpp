#include "platform/wide_text_win.h"

#include "platform/utf.h"

namespace fendrel {

// wchar_t is a UTF-16 code unit on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::optional<std::wstring> ToWide(std::string_view utf8) {
  std::u16string converted;
  if (!Utf8ToUtf16(utf8, converted)) return std::nullopt;
  return std::wstring(converted.begin(), converted.end());
}

std::optional<std::string> FromWide(std::wstring_view wide) {
  std::string converted;
  if (!Utf16ToUtf8(std::u16string(wide.begin(), wide.end()), converted)) return std::nullopt;
  return converted;
}

std::wstring Wide(std::string_view utf8) {
  if (std::optional<std::wstring> exact = ToWide(utf8)) return *std::move(exact);
  std::wstring shown;
  shown.reserve(utf8.size());
  // Byte by byte, each byte outside ASCII shown as the replacement character.
  for (const char c : utf8)
    shown += static_cast<unsigned char>(c) < 0x80 ? static_cast<wchar_t>(c) : L'\xFFFD';
  return shown;
}

std::string Narrow(std::wstring_view wide) {
  if (std::optional<std::string> exact = FromWide(wide)) return *std::move(exact);
  std::wstring shown(wide);
  for (wchar_t& c : shown) {
    if (c >= 0xD800 && c <= 0xDFFF) c = L'\xFFFD';
  }
  return FromWide(shown).value_or(std::string());
}

}  // namespace fendrel
