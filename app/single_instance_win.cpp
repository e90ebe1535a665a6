#include "app/single_instance_win.h"

#include <windows.h>

#include "app/form1_win.h"
#include "password/cmd5.h"

namespace fendrel {

namespace {

std::string Lower(std::string text) {
  CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// Object names may not hold backslashes, so the folder is named by its digest.
std::string MutexName(const std::string& programFolder) {
  const std::string folder = Lower(programFolder);
  return "Local\\Fendrel-" + CMD5().MD5(std::u16string(folder.begin(), folder.end()));
}

std::string FolderOfProcess(DWORD processId) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  char path[MAX_PATH * 4] = {};
  DWORD length = static_cast<DWORD>(sizeof path);
  if (!QueryFullProcessImageNameA(process.get(), 0, path, &length)) return {};
  const std::string image(path, length);
  return image.substr(0, image.find_last_of('\\'));
}

struct Search {
  std::string folder;
  HWND found = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  char className[32] = {};
  GetClassNameA(window, className, static_cast<int>(sizeof className));
  if (lstrcmpA(className, Form1::kClassName) != 0) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (Lower(FolderOfProcess(processId)) != Lower(search->folder)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

SingleInstance::SingleInstance(const std::string& programFolder) {
  mutex_.reset(CreateMutexA(nullptr, FALSE, MutexName(programFolder).c_str()));
  first_ = !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

bool BringRunningInstanceForward(const std::string& programFolder) {
  Search search{programFolder};
  EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return false;
  DWORD processId = 0;
  GetWindowThreadProcessId(search.found, &processId);
  AllowSetForegroundWindow(processId);
  PostMessageA(search.found, Form1::BringForwardMessage(), 0, 0);
  return true;
}

}  // namespace fendrel
