#include "lists/list_text.h"

#include <algorithm>

#include "platform/utf.h"

namespace fendrel {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

struct Detected {
  Encoding encoding;
  std::size_t mark;  // the length of the byte order mark in front, if any
};

char16_t UnitAt(std::string_view bytes, std::size_t at, bool bigEndian) {
  const auto first = static_cast<unsigned char>(bytes[at]);
  const auto second = static_cast<unsigned char>(bytes[at + 1]);
  return static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
}

// Whether `bytes`, without a mark and of an even length, are plain UTF-16
// text in that byte order rather than ANSI bytes that hold zeros:
// - a CR or LF byte with a zero in its code unit is a line end of that order
//   (0D 00 and 0A 00 in LE, 00 0D and 00 0A in BE), never the other way round;
// - a file with CR or LF bytes has at least one such line end: one between
//   two other bytes is an ANSI line end, or part of a character such as
//   U+4E0D or U+0D15;
// - no character is a control but tab, CR and LF: no path holds one, while
//   binary bytes soon do.
bool IsUtf16Text(std::string_view bytes, bool bigEndian) {
  bool lineEnd = false;
  bool lineEndByte = false;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    const char16_t unit = UnitAt(bytes, at, bigEndian);
    if (unit == u'\r' || unit == u'\n') {
      lineEnd = true;
    } else if ((unit < 0x20 && unit != u'\t') || unit == 0x0D00 || unit == 0x0A00) {
      return false;
    } else {
      const auto high = static_cast<unsigned char>(unit >> 8);
      const auto low = static_cast<unsigned char>(unit & 0xFF);
      lineEndByte = lineEndByte || high == '\r' || high == '\n' || low == '\r' || low == '\n';
    }
  }
  return lineEnd || !lineEndByte;
}

Detected EncodingOf(std::string_view bytes, bool cut) {
  if (bytes.starts_with(kUtf8Mark)) return {Encoding::Utf8, kUtf8Mark.size()};
  if (bytes.starts_with(kUtf16LeMark)) return {Encoding::Utf16Le, kUtf16LeMark.size()};
  if (bytes.starts_with(kUtf16BeMark)) return {Encoding::Utf16Be, kUtf16BeMark.size()};
  // Without a mark, zero bytes tell UTF-16: every ASCII character of it has
  // one, the high byte, so most zeros stand at odd places in LE and at even
  // ones in BE (U+4E00 and its like have a zero low byte). Text in ANSI or
  // UTF-8 has no zero bytes. An odd byte at the end is left to the reading,
  // as with a mark.
  if (bytes.find('\0') != std::string_view::npos) {
    const std::string_view units = bytes.substr(0, bytes.size() - bytes.size() % 2);
    std::size_t evenZeros = 0;
    std::size_t oddZeros = 0;
    for (std::size_t at = 0; at < units.size(); at += 2) {
      evenZeros += units[at] == '\0' ? 1 : 0;
      oddZeros += units[at + 1] == '\0' ? 1 : 0;
    }
    // The line ends of one order are never text in the other, so at most
    // one order fits a file that has any.
    const bool bigEndianFirst = evenZeros > oddZeros;
    for (const bool bigEndian : {bigEndianFirst, !bigEndianFirst}) {
      if (IsUtf16Text(units, bigEndian)) return {bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le, 0};
    }
  }
  // A character cut in two at the end of what was read must not make a
  // UTF-8 file look ANSI.
  if (cut) bytes = bytes.substr(0, bytes.find_last_of("\r\n") + 1);
  const bool pastAscii =
      std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return {pastAscii && IsUtf8(bytes) ? Encoding::Utf8 : Encoding::Ansi, 0};
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
  const Detected detected = EncodingOf(bytes, cut);
  const std::string_view body = bytes.substr(detected.mark);
  switch (detected.encoding) {
    case Encoding::Ansi:
      return SplitLines(body, cut, maxEntries, [&ansi](std::string_view line, std::string& entry) {
        entry = ansi.ToUtf8(line);
        return true;
      });
    case Encoding::Utf8:
      return SplitLines(body, cut, maxEntries, [](std::string_view line, std::string& entry) {
        entry.assign(line);
        return IsUtf8(line);
      });
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: break;
  }
  const bool bigEndian = detected.encoding == Encoding::Utf16Be;
  std::u16string text;
  text.reserve(body.size() / 2 + 1);
  for (std::size_t at = 0; at + 1 < body.size(); at += 2) text += UnitAt(body, at, bigEndian);
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
    if (bytes.find('\0') == std::string::npos) return bytes;
  } else {
    if (!std::all_of(entries.begin(), entries.end(), IsEntry)) return std::nullopt;
    for (const std::string& entry : entries) {
      const std::optional<std::string> inAnsi = ansi.FromUtf8Exactly(entry);
      if (!inAnsi) {
        bytes.clear();
        break;
      }
      bytes.append(*inAnsi).append("\r\n");
    }
  }
  // ANSI bytes that a reader would take for UTF-8 or UTF-16 (a file that
  // starts with the bytes of a byte order mark, is valid UTF-8 past ASCII
  // such as "Ã©" in code page 1252, or has zero bytes where UTF-16 has
  // them) would read back as other entries: such a list is written as UTF-8 too.
  if (!bytes.empty() && EncodingOf(bytes, false).encoding == Encoding::Ansi) return bytes;
  bytes = kUtf8Mark;
  for (const std::string& entry : entries) bytes.append(entry).append("\r\n");
  return bytes;
}

}  // namespace fendrel
