#include "app/single_instance_win.h"

#include <windows.h>

#include <cstdio>

#include "app/form1_win.h"
#include "password/cmd5.h"
#include "platform/wide_text_win.h"

namespace fendrel {

namespace {

// A folder as the file system knows it: its volume and its number there.
// Every spelling of one folder (another drive letter through subst or a
// mapped drive, a UNC path to this machine, another letter case) gives the
// same identity.
struct FolderIdentity {
  DWORD volume = 0;
  DWORD high = 0, low = 0;
  bool operator==(const FolderIdentity&) const = default;
};

std::optional<FolderIdentity> IdentityOf(const std::wstring& folder) {
  // Opening a folder needs backup semantics; reading its attributes needs no rights to its files.
  UniqueHandle handle(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!handle || !GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
  return FolderIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// The guard's name: per session (Local\), and per folder by its identity.
// A folder that cannot be opened is named by the digest of its spelling,
// which still keeps a second start from the same spelling out.
std::wstring MutexName(const std::wstring& programFolder) {
  if (const std::optional<FolderIdentity> identity = IdentityOf(programFolder)) {
    wchar_t name[64] = {};
    std::swprintf(name, std::size(name), L"Local\\Fendrel-%08lx-%08lx%08lx", identity->volume, identity->high,
                  identity->low);
    return name;
  }
  std::wstring lower = programFolder;
  CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
  const std::string folder = Narrow(lower);
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
  std::optional<FolderIdentity> folder;
  HWND found = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  wchar_t className[32] = {};
  GetClassNameW(window, className, static_cast<int>(std::size(className)));
  if (lstrcmpW(className, Form1::kWideClassName) != 0) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (IdentityOf(FolderOfProcess(processId)) != search->folder) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

SingleInstance::SingleInstance(const std::string& programFolder) {
  SetLastError(ERROR_SUCCESS);
  mutex_.reset(CreateMutexW(nullptr, FALSE, MutexName(Wide(programFolder)).c_str()));
  const DWORD error = GetLastError();
  // A copy with administrator rights made the guard, and one without may
  // not open it: that is another copy running, not none.
  first_ = mutex_ ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
}

bool BringRunningInstanceForward(const std::string& programFolder) {
  Search search{IdentityOf(Wide(programFolder))};
  if (!search.folder) return false;
  // The running copy may be starting still, its window not made yet.
  constexpr int kTries = 50, kPauseMs = 100;
  for (int i = 0; i < kTries && !search.found; ++i) {
    if (i > 0) Sleep(kPauseMs);
    EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
  }
  if (!search.found) return true;  // it went away meanwhile: nothing to show, nothing to say
  DWORD processId = 0;
  GetWindowThreadProcessId(search.found, &processId);
  AllowSetForegroundWindow(processId);
  // Refused when the running copy has administrator rights and has not let
  // this message through to its window.
  return PostMessageW(search.found, Form1::BringForwardMessage(), 0, 0) != FALSE;
}

}  // namespace fendrel
