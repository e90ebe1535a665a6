// The second process of the sharing matrix and of the fault tests.
//   sharing_probe matrix FOLDER  tries every way of the sharing table, way i
//                                on FOLDER\wayI.txt, and prints "I CODE" for
//                                each: the Windows error it met, 0 when it
//                                worked, then "done"
//   sharing_probe folders FOLDER tries every folder way twice, attempt K on
//                                FOLDER\dirK or FOLDER\dirK\sub, and prints
//                                "K CODE" for each, then "done"
//   sharing_probe hold PATH      opens PATH sharing nothing, prints "held" and
//                                keeps it until its standard input closes
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/wide_text_win.h"
#include "tests/win32/sharing_ways_win.h"
#include "tests/win32/tools/arguments_win.h"

namespace {

int Matrix(const std::string& folder) {
  const auto& ways = fendrel::testing::SharingWays();
  for (std::size_t i = 0; i < ways.size(); ++i) {
    SetLastError(0);
    const DWORD code = ways[i].attempt(fendrel::testing::WayFile(folder, i));
    std::printf("%zu %lu\n", i, code);
  }
  std::printf("done\n");
  std::fflush(stdout);
  return 0;
}

int Folders(const std::string& folder) {
  const auto& ways = fendrel::testing::FolderWays();
  for (std::size_t k = 0; k < 2 * ways.size(); ++k) {
    SetLastError(0);
    std::printf("%zu %lu\n", k, ways[k / 2].attempt(fendrel::testing::FolderWayTarget(folder, k)));
  }
  std::printf("done\n");
  std::fflush(stdout);
  return 0;
}

int Hold(const std::string& path) {
  HANDLE file = CreateFileW(fendrel::Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::printf("failed %lu\n", GetLastError());
    std::fflush(stdout);
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  char buffer[64];
  DWORD read = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
  }
  CloseHandle(file);
  return 0;
}

}  // namespace

int main() {
  const std::vector<std::string> arguments = fendrel::testing::Arguments();
  if (arguments.size() == 2 && arguments[0] == "matrix") return Matrix(arguments[1]);
  if (arguments.size() == 2 && arguments[0] == "folders") return Folders(arguments[1]);
  if (arguments.size() == 2 && arguments[0] == "hold") return Hold(arguments[1]);
  std::fprintf(stderr, "usage: sharing_probe matrix FOLDER | folders FOLDER | hold PATH\n");
  return 87;  // ERROR_INVALID_PARAMETER
}
