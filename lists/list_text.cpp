#include "lists/list_text.h"

#include <algorithm>

#include "platform/utf.h"

namespace fendrel {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

enum class Encoding { Ansi, Utf8, Utf8WithMark, Utf16Le };

Encoding EncodingOf(std::string_view bytes, bool cut) {
  if (bytes.starts_with(kUtf8Mark)) return Encoding::Utf8WithMark;
  if (bytes.starts_with(kUtf16LeMark)) return Encoding::Utf16Le;
  // A character cut in two at the end of what was read must not make a
  // UTF-8 file look ANSI.
  if (cut) bytes = bytes.substr(0, bytes.find_last_of("\r\n") + 1);
  const bool pastAscii =
      std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return pastAscii && IsUtf8(bytes) ? Encoding::Utf8 : Encoding::Ansi;
}

// Splits `text` into lines and turns each non-blank one into an entry
// through `convert` (false: the line is not text).
template <typename Char, typename Convert>
ListText SplitLines(std::basic_string_view<Char> text, bool cut, std::size_t maxEntries, Convert convert) {
  ListText list;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = at;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    if (end == text.size() && cut) break;
    const std::basic_string_view<Char> line = text.substr(at, end - at);
    at = end;
    if (at < text.size()) at += text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
    if (line.empty()) continue;
    if (list.entries.size() >= maxEntries) {
      list.unread = ListReason::TooManyEntries;
      break;
    }
    std::string entry;
    if (!convert(line, entry)) {
      list.unread = ListReason::NotText;
      break;
    }
    list.entries.push_back(std::move(entry));
  }
  return list;
}

bool IsEntry(const std::string& entry) {
  return !entry.empty() && entry.find_first_of("\r\n") == std::string::npos && IsUtf8(entry);
}

}  // namespace

ListText DecodeList(std::string_view bytes, const CodePage& ansi, std::size_t maxEntries, bool cut) {
  const auto utf8 = [](std::string_view line, std::string& entry) {
    entry.assign(line);
    return IsUtf8(line);
  };
  switch (EncodingOf(bytes, cut)) {
    case Encoding::Ansi:
      return SplitLines(bytes, cut, maxEntries, [&ansi](std::string_view line, std::string& entry) {
        entry = ansi.ToUtf8(line);
        return true;
      });
    case Encoding::Utf8: return SplitLines(bytes, cut, maxEntries, utf8);
    case Encoding::Utf8WithMark: return SplitLines(bytes.substr(kUtf8Mark.size()), cut, maxEntries, utf8);
    case Encoding::Utf16Le: break;
  }
  const std::string_view body = bytes.substr(kUtf16LeMark.size());
  std::u16string text;
  text.reserve(body.size() / 2 + 1);
  for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(body[i]) |
                                  static_cast<unsigned char>(body[i + 1]) << 8);
  }
  // An odd byte at the end is half a code unit. It stands here as a lead
  // surrogate with nothing after it, which is never text, so its line is
  // refused like any other that is not text.
  if (body.size() % 2 != 0) text += static_cast<char16_t>(0xD800);
  return SplitLines(std::u16string_view(text), cut, maxEntries,
                    [](std::u16string_view line, std::string& entry) { return Utf16ToUtf8(line, entry); });
}

namespace {

// An entry of ASCII without a line end: the same bytes in every ANSI code page, and
// no reader takes it for anything else, so most lists need no conversion.
bool IsPlainAscii(const std::string& entry) {
  if (entry.empty()) return false;
  for (const char c : entry) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || byte == '\r' || byte == '\n') return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> EncodeList(const std::vector<std::string>& entries, const CodePage& ansi) {
  std::size_t size = 0;
  bool plain = true;
  for (const std::string& entry : entries) {
    size += entry.size() + 2;
    plain = plain && IsPlainAscii(entry);
  }
  std::string bytes;
  bytes.reserve(size + kUtf8Mark.size());
  if (plain) {
    for (const std::string& entry : entries) bytes.append(entry).append("\r\n");
    return bytes;
  }
  if (!std::all_of(entries.begin(), entries.end(), IsEntry)) return std::nullopt;
  bool fits = true;
  for (const std::string& entry : entries) {
    const std::optional<std::string> inAnsi = ansi.FromUtf8Exactly(entry);
    if (!inAnsi) {
      fits = false;
      break;
    }
    bytes += *inAnsi + "\r\n";
  }
  // ANSI bytes that a reader would take for UTF-8 or UTF-16 (a file that
  // starts with the bytes of a byte order mark, or is valid UTF-8 past
  // ASCII such as "Ã©" in code page 1252) would read back as other entries:
  // such a list is written as UTF-8 too.
  if (fits && EncodingOf(bytes, false) == Encoding::Ansi) return bytes;
  bytes = kUtf8Mark;
  for (const std::string& entry : entries) bytes += entry + "\r\n";
  return bytes;
}

}  // namespace fendrel
