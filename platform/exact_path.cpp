#include "platform/exact_path.h"

#include <vector>

namespace fendrel {

namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "\\?\" or "\\.\" (either separator) at the start.
bool HasPrefix(std::string_view path, char mark) {
  return path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] == mark &&
         IsSeparator(path[3]);
}

// `root` followed by the names of `rest`: "." and empty names dropped, ".."
// taking the name before it away (never the root), every other name as it
// is. A separator at the end stays, as Windows keeps it.
std::string Joined(std::string root, std::string_view rest) {
  std::vector<std::string_view> names;
  for (std::size_t start = 0; start <= rest.size();) {
    std::size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const std::string_view name = rest.substr(start, end - start);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    start = end + 1;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) root += '\\';
    root += names[i];
  }
  if (!names.empty() && IsSeparator(rest.back())) root += '\\';
  return root;
}

}  // namespace

bool IsRelativePath(std::string_view path) {
  if (!path.empty() && IsSeparator(path[0])) return false;
  return !(path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]));
}

std::string ExactPath(std::string_view path, std::string_view currentRoot) {
  if (HasPrefix(path, '.')) return {};
  if (HasPrefix(path, '?')) {
    std::string exact(path);
    for (char& c : exact) {
      if (c == '/') c = '\\';
    }
    return exact;
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    // \\server\share\...: the share is the root, which ".." never leaves.
    std::size_t server = 2;
    while (server < path.size() && !IsSeparator(path[server])) ++server;
    std::size_t share = server + 1;
    while (share < path.size() && !IsSeparator(path[share])) ++share;
    if (server == 2 || share >= path.size() + 1 || share == server + 1) return {};
    std::string root = "\\\\?\\UNC\\" + std::string(path.substr(2, server - 2)) + '\\' +
                       std::string(path.substr(server + 1, share - server - 1));
    if (share >= path.size()) return root;
    return Joined(root + '\\', path.substr(share + 1));
  }
  if (!path.empty() && IsSeparator(path[0])) {
    if (currentRoot.empty()) return {};
    return ExactPath(std::string(currentRoot) + std::string(path));
  }
  if (IsRelativePath(path)) return {};
  return Joined("\\\\?\\" + std::string(path.substr(0, 2)) + '\\', path.substr(3));
}

}  // namespace fendrel
