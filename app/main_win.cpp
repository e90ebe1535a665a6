// Process entry. Until the main window exists, the program runs the load
// step alone: it holds the safe list and shows what it held.
#include <windows.h>

#include <string>

#include "platform/file_layer.h"
#include "platform/file_system_win.h"
#include "protection/protection.h"

namespace {
std::string ProgramFolder() {
  char path[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(sizeof path));
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\'));
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  fendrel::Win32FileSystem system;
  fendrel::FileLayer layer(system);
  fendrel::Protection protection(layer, ProgramFolder());
  protection.NextFileNumber = fendrel::Protection::kFirstHoldNumber;
  protection.LoadLists();
  std::string text = "Fendrel holds these files until this box is closed:\r\n";
  for (int i = 0; i < protection.SafeList.count(); ++i) {
    text += protection.safelist2.items[i] + "  " + protection.SafeList.items[i] + "\r\n";
  }
  MessageBoxA(nullptr, text.c_str(), "Fendrel", MB_OK);
  return 0;
}
