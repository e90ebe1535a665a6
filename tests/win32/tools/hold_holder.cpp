// A holding process for the hold tests: runs the load step on a program
// folder (holding every file of its "prot.dat"), prints the numbers it took,
// and keeps them until its standard input closes or it is killed.
//   hold_holder FOLDER
#include <windows.h>

#include <cstdio>

#include "platform/file_layer.h"
#include "platform/file_system_win.h"
#include "protection/protection.h"
#include "tests/win32/tools/arguments_win.h"

int main() {
  const std::vector<std::string> arguments = fendrel::testing::Arguments();
  if (arguments.size() != 1) return 87;
  fendrel::Win32FileSystem system;
  fendrel::FileLayer layer(system);
  fendrel::Protection protection(layer, arguments[0]);
  protection.LoadLists();
  for (const int number : protection.HoldRows(fendrel::ListKind::Safe)) std::printf("%d\n", number);
  std::printf("held\n");
  std::fflush(stdout);
  char buffer[64];
  DWORD read = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
  }
  return 0;
}
