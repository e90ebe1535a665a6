#include "app/start_up.h"

namespace fendrel {

std::string ArgumentText(std::string_view commandLine) {
  std::size_t end = 0;
  if (!commandLine.empty() && commandLine.front() == '"') {
    const std::size_t close = commandLine.find('"', 1);
    end = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    end = commandLine.find_first_of(" \t");
    if (end == std::string_view::npos) end = commandLine.size();
  }
  std::string_view rest = commandLine.substr(end);
  if (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  return std::string(rest);
}

bool IsSilent(std::string_view argumentText) {
  return argumentText == "/silent";
}

}  // namespace fendrel
