// Fuzzes the list files' text. Any bytes decode without a crash into
// entries that are UTF-8, never empty and free of line ends, also when the
// read stopped early. Any list of such names, built from the input, encodes
// into bytes that decode as exactly that list, and into today's ANSI bytes
// whenever it is not written as UTF-8. The same list in UTF-16 of either
// byte order decodes as itself with a byte order mark, and also without one
// when no name holds what plain UTF-16 text never does.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "lists/list_text.h"
#include "platform/utf.h"
#include "platform/windows_1252.h"

using fendrel::FileError;
using fendrel::ListReason;

namespace {

constexpr std::size_t kMaxEntries = 32767;

void Require(bool condition) {
  if (!condition) std::abort();
}

void RequireEntries(const fendrel::ListText& text) {
  for (const std::string& entry : text.entries) {
    Require(!entry.empty());
    Require(entry.find_first_of("\r\n") == std::string::npos);
    Require(fendrel::IsUtf8(entry));
  }
}

// The well-formed UTF-8 characters of `bytes`, without CR and LF.
std::string Utf8Of(const std::string& bytes) {
  std::string text;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t length = 1;
    while (length <= 4 && !fendrel::IsUtf8(bytes.substr(at, length))) ++length;
    if (length > 4) {
      ++at;
      continue;
    }
    if (bytes[at] != '\r') text.append(bytes, at, length);
    at += length;
  }
  return text;
}

// Names from the input: its parts between LF bytes, each read as code page
// 1252 when its first byte is odd (all of it fits the code page) and as
// UTF-8 otherwise (characters of any script, some past the BMP).
std::vector<std::string> NamesOf(const std::string& input, const fendrel::CodePage& cp1252) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < input.size()) {
    std::size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    const std::string part = input.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    std::string name = (part[0] & 1) != 0 ? cp1252.ToUtf8(part.substr(1)) : Utf8Of(part.substr(1));
    std::erase(name, '\r');
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

// `names` in UTF-16, CR LF after each.
std::string Utf16Of(const std::vector<std::string>& names, bool bigEndian, bool mark) {
  std::u16string text = mark ? u"\uFEFF" : u"";
  for (const std::string& name : names) {
    std::u16string wide;
    Require(fendrel::Utf8ToUtf16(name, wide));
    text += wide + u"\r\n";
  }
  std::string bytes;
  for (const char16_t unit : text) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

// Whether a file without a mark can hold `names`: no control character but
// tab, no U+0D00 or U+0A00 (the other byte order's line ends), and not the
// bytes of a mark in front.
bool FitsWithoutMark(const std::vector<std::string>& names, const std::string& bytes) {
  for (const std::string& name : names) {
    std::u16string wide;
    Require(fendrel::Utf8ToUtf16(name, wide));
    for (const char16_t unit : wide) {
      if ((unit < 0x20 && unit != u'\t') || unit == 0x0D00 || unit == 0x0A00) return false;
    }
  }
  return !names.empty() && !bytes.starts_with("\xFF\xFE") && !bytes.starts_with("\xFE\xFF") &&
         !bytes.starts_with("\xEF\xBB\xBF");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const fendrel::Windows1252CodePage cp1252;

  const fendrel::ListText whole = fendrel::DecodeList(bytes, cp1252, kMaxEntries);
  RequireEntries(whole);
  RequireEntries(fendrel::DecodeList(bytes, cp1252, kMaxEntries, true));
  Require(whole.unread == FileError::None || whole.unread == ListReason::NotText);

  const std::vector<std::string> names = NamesOf(bytes, cp1252);
  const std::optional<std::string> encoded = fendrel::EncodeList(names, cp1252);
  Require(encoded.has_value());
  const fendrel::ListText back = fendrel::DecodeList(*encoded, cp1252, kMaxEntries);
  Require(back.unread == FileError::None);
  Require(back.entries == names);
  if (!encoded->starts_with("\xEF\xBB\xBF")) {
    std::string ansi;
    for (const std::string& name : names) ansi += cp1252.FromUtf8Exactly(name).value() + "\r\n";
    Require(*encoded == ansi);
  }
  for (const bool bigEndian : {false, true}) {
    for (const bool mark : {true, false}) {
      const std::string utf16 = Utf16Of(names, bigEndian, mark);
      if (!mark && !FitsWithoutMark(names, utf16)) continue;
      const fendrel::ListText read = fendrel::DecodeList(utf16, cp1252, kMaxEntries);
      Require(read.unread == FileError::None);
      Require(read.entries == names);
    }
  }
  return 0;
}
