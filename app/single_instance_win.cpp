#include "app/single_instance_win.h"

#include <windows.h>

#include "app/form1_win.h"
#include "password/cmd5.h"
#include "platform/wide_text_win.h"

namespace fendrel {

namespace {

std::wstring Lower(std::wstring text) {
  CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// Object names may not hold backslashes, so the folder is named by the
// digest of its UTF-8 bytes (each byte one unit of the digest's text).
std::wstring MutexName(const std::wstring& programFolder) {
  const std::string folder = Narrow(Lower(programFolder));
  std::u16string bytes;
  for (const char byte : folder) bytes += static_cast<char16_t>(static_cast<unsigned char>(byte));
  return L"Local\\Fendrel-" + Wide(CMD5().MD5(bytes));
}

std::wstring FolderOfProcess(DWORD processId) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  std::wstring image(32768, L'\0');
  DWORD length = static_cast<DWORD>(image.size());
  if (!QueryFullProcessImageNameW(process.get(), 0, image.data(), &length)) return {};
  image.resize(length);
  return image.substr(0, image.find_last_of(L'\\'));
}

struct Search {
  std::wstring folder;
  HWND found = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  wchar_t className[32] = {};
  GetClassNameW(window, className, static_cast<int>(std::size(className)));
  if (lstrcmpW(className, Form1::kWideClassName) != 0) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (Lower(FolderOfProcess(processId)) != Lower(search->folder)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

SingleInstance::SingleInstance(const std::string& programFolder) {
  mutex_.reset(CreateMutexW(nullptr, FALSE, MutexName(Wide(programFolder)).c_str()));
  first_ = !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

bool BringRunningInstanceForward(const std::string& programFolder) {
  Search search{Wide(programFolder)};
  EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return false;
  DWORD processId = 0;
  GetWindowThreadProcessId(search.found, &processId);
  AllowSetForegroundWindow(processId);
  PostMessageW(search.found, Form1::BringForwardMessage(), 0, 0);
  return true;
}

}  // namespace fendrel
