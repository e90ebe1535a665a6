#include "platform/wide_text_win.h"

#include <windows.h>

#include "platform/exact_path.h"
#include "platform/utf.h"

namespace fendrel {

namespace {

// The drive ("C:") or share ("\\server\share") of the current folder, where a
// rooted path lies; empty when it cannot be told.
std::string CurrentRoot() {
  std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
  folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
  const std::optional<std::string> text = FromWide(folder);
  if (!text || text->empty()) return {};
  if (text->size() >= 2 && (*text)[1] == ':') return text->substr(0, 2);
  if (text->rfind("\\\\", 0) != 0 || text->rfind("\\\\?\\", 0) == 0 || text->rfind("\\\\.\\", 0) == 0)
    return {};
  const std::size_t server = text->find('\\', 2);
  return server == std::string::npos ? std::string() : text->substr(0, text->find('\\', server + 1));
}

}  // namespace

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

std::optional<std::wstring> ToWidePath(std::string_view path) {
  const bool rooted = !path.empty() && (path[0] == '\\' || path[0] == '/') &&
                      !(path.size() >= 2 && (path[1] == '\\' || path[1] == '/'));
  const std::string exact = ExactPath(path, rooted ? CurrentRoot() : std::string());
  return ToWide(exact.empty() ? path : std::string_view(exact));
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
