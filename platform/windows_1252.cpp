#include "platform/windows_1252.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/utf.h"

namespace fendrel {

namespace {

// The characters of bytes 0x80 to 0x9F; every other byte is the Latin-1
// character of its value. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of their value,
// as Windows converts them, so every byte has a character and back.
constexpr std::array<char16_t, 32> kHighBytes = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

char16_t CharacterOf(std::uint8_t byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighBytes[byte - 0x80] : char16_t{byte};
}

// The byte of a character, or nothing when the code page has none for it.
std::optional<char> ByteOf(char16_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) return static_cast<char>(character);
  for (std::size_t i = 0; i < kHighBytes.size(); ++i) {
    if (kHighBytes[i] == character) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

}  // namespace

std::string Windows1252CodePage::ToUtf8(std::string_view ansi) const {
  std::string utf8;
  utf8.reserve(ansi.size());
  // No byte gives a surrogate, so each character goes straight to UTF-8.
  for (const char byte : ansi) AppendUtf8(CharacterOf(static_cast<std::uint8_t>(byte)), utf8);
  return utf8;
}

std::optional<std::string> Windows1252CodePage::FromUtf8Exactly(std::string_view utf8) const {
  // ASCII is itself; a list of thousands of entries converts each, so the
  // UTF-16 buffer is kept between calls.
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return std::string(utf8);
  thread_local std::u16string wide;
  wide.clear();
  if (!Utf8ToUtf16(utf8, wide)) return std::nullopt;
  std::string ansi;
  ansi.reserve(wide.size());
  for (const char16_t character : wide) {
    const std::optional<char> byte = ByteOf(character);
    if (!byte) return std::nullopt;
    ansi += *byte;
  }
  return ansi;
}

std::u16string Windows1252CodePage::ThroughAnsi(std::u16string_view text) const {
  std::u16string kept;
  kept.reserve(text.size());
  for (const char16_t unit : text) kept += ByteOf(unit) ? unit : u'?';
  return kept;
}

}  // namespace fendrel
