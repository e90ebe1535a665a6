#include "startup/start_mode.h"

namespace fendrel {

namespace {

bool IsSeparator(char c) {
  return c == ' ' || c == '\t';
}

// Windows compares paths without regard to letter case. Only ASCII letters
// are folded: a byte of a multi-byte character is never taken for a letter.
char Folded(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithPath(std::string_view line, std::string_view path) {
  if (path.empty() || line.size() < path.size()) return false;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (Folded(line[i]) != Folded(path[i])) return false;
  }
  return true;
}

// The length of the program's own path at the start of the line, its quotes
// included, or npos when the line does not start with it.
std::size_t OwnPathLength(std::string_view line, std::string_view path) {
  if (!line.empty() && line.front() == '"') {
    const std::string_view quoted = line.substr(1);
    if (StartsWithPath(quoted, path) && quoted.size() > path.size() && quoted[path.size()] == '"') {
      return path.size() + 2;
    }
    return std::string_view::npos;
  }
  if (StartsWithPath(line, path) && (line.size() == path.size() || IsSeparator(line[path.size()]))) {
    return path.size();
  }
  return std::string_view::npos;
}

// The length of the first word, the way Windows reads a program name.
std::size_t FirstWordLength(std::string_view line) {
  if (!line.empty() && line.front() == '"') {
    const std::size_t close = line.find('"', 1);
    return close == std::string_view::npos ? line.size() : close + 1;
  }
  const std::size_t end = line.find_first_of(" \t");
  return end == std::string_view::npos ? line.size() : end;
}

}  // namespace

std::string ArgumentText(std::string_view commandLine, std::string_view programPath) {
  std::size_t end = OwnPathLength(commandLine, programPath);
  if (end == std::string_view::npos) end = FirstWordLength(commandLine);
  std::string_view rest = commandLine.substr(end);
  if (!rest.empty() && IsSeparator(rest.front())) rest.remove_prefix(1);
  return std::string(rest);
}

bool IsSilent(std::string_view argumentText) {
  return argumentText == "/silent";
}

StartMode StartModeOf(std::string_view argumentText) {
  const bool silent = IsSilent(argumentText);
  return {silent, static_cast<std::int16_t>(silent ? 0 : 2)};
}

}  // namespace fendrel
