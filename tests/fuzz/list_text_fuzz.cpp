// Fuzzes the list files' text. Any bytes decode without a crash into
// entries that are UTF-8, never empty and free of line ends, also when the
// read stopped early. Any list of such names, built from the input, encodes
// into bytes that decode as exactly that list, and into today's ANSI bytes
// whenever it is not written as UTF-8.
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
  return 0;
}
