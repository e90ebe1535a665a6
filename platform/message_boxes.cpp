#include "platform/message_boxes.h"

#include <vector>

namespace fendrel {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

bool StartsCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// A box is as wide as its longest word (Windows breaks lines only at
// blanks) and as tall as its lines wrapped: each is kept short.
std::string ShortenedLine(std::string_view line) {
  std::string words;
  for (std::size_t start = 0; start < line.size();) {
    const std::size_t blank = line.find(' ', start);
    const std::size_t end = blank == std::string_view::npos ? line.size() : blank;
    words += ShortenedText(line.substr(start, end - start), kLongestBoxWord);
    if (end < line.size()) words += ' ';
    start = end + 1;
  }
  return ShortenedText(words, kLongestBoxLine);
}

}  // namespace

std::string ShortenedText(std::string_view text, std::size_t most) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (StartsCharacter(text[i])) starts.push_back(i);
  }
  if (starts.size() <= most) return std::string(text);
  const std::size_t head = most / 2, tail = most - head - 1;
  return std::string(text.substr(0, starts[head])) + std::string(kEllipsis) +
         std::string(text.substr(starts[starts.size() - tail]));
}

std::string FitForBox(std::string_view text) {
  std::string fitted;
  std::size_t lines = 0;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (++lines > kMostBoxLines) {
      fitted += kEllipsis;
      break;
    }
    fitted += ShortenedLine(text.substr(start, end - start));
    if (end < text.size()) fitted += '\n';
    start = end + 1;
  }
  return fitted;
}

}  // namespace fendrel
