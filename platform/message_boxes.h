// Modal message boxes with an OK button only and no icon. The program shows
// them with MessageBoxW; tests answer them with a recording fake.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace fendrel {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Returns when the user has dismissed the box.
  virtual void Show(const std::string& text, const std::string& title) = 0;
};

// What a box shows of a text, so that no box is wider or taller than a
// screen: a word (a run without blanks, such as a path) of more than
// kLongestBoxWord characters, and then a line of more than kLongestBoxLine
// (longer than any sentence of the program's own), keeps its start and its
// end with an ellipsis between them; past kMostBoxLines lines one ellipsis
// stands for the rest.
inline constexpr std::size_t kLongestBoxWord = 100;
inline constexpr std::size_t kLongestBoxLine = 400;
inline constexpr std::size_t kMostBoxLines = 30;
// The text with at most `most` characters: its start and its end with an
// ellipsis between them, cut only between characters so its UTF-8 stays whole.
std::string ShortenedText(std::string_view text, std::size_t most);
std::string FitForBox(std::string_view text);

}  // namespace fendrel
