#include "platform/file_system_win.h"

#include <windows.h>

#include <aclapi.h>

#include <climits>
#include <string_view>

#include "platform/code_page_win.h"
#include "platform/handles_win.h"
#include "platform/wide_text_win.h"

namespace fendrel {

FileError FromWin32Error(unsigned long code) {
  switch (code) {
    case ERROR_SUCCESS: return FileError::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE: return FileError::NotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return FileError::SharingViolation;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return FileError::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return FileError::DiskFull;
    case ERROR_DIRECTORY: return FileError::IsFolder;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW: return FileError::NameTooLong;
    case ERROR_TOO_MANY_OPEN_FILES:
    case ERROR_NO_SYSTEM_RESOURCES:
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NOT_ENOUGH_QUOTA: return FileError::NoResources;
    default: return FileError::Other;
  }
}

namespace {

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The longest path Windows takes in the exact form, in UTF-16 code units.
constexpr std::size_t kLongestPath = 32767;

// Longer than Windows takes (without the \\?\ prefix: a relative path), or
// a name in it longer than a file system takes. Asked only after an open
// failed: the W functions pass such a path on, and the answer then says
// only "not found".
bool TooLong(const std::wstring& path) {
  constexpr std::size_t kLongestName = 255;
  if (path.size() > kLongestPath) return true;
  if (path.size() >= MAX_PATH && path.rfind(L"\\\\?\\", 0) != 0) return true;
  for (std::size_t start = 0;;) {
    const std::size_t end = path.find_first_of(L"\\/", start);
    if ((end == std::wstring::npos ? path.size() : end) - start > kLongestName) return true;
    if (end == std::wstring::npos) return false;
    start = end + 1;
  }
}

// Gives the new file the attributes and the access list of the file it is
// about to replace, so the rename (one step, unlike ReplaceFileW, which
// under Wine moves the target away first) keeps what an administrator set
// on the target: a list file made writable for users stays so. The
// inherited part of the list comes from the folder, as it did for the
// target. Best effort: what cannot be copied leaves the new file as it was
// made, and the save goes on.
void KeepOwnAttributesAndSecurity(const std::wstring& target, const std::wstring& fresh, DWORD attributes) {
  constexpr DWORD kCarried = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD carried = attributes & kCarried;
  SetFileAttributesW(fresh.c_str(), carried == 0 ? FILE_ATTRIBUTE_NORMAL : carried);

  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(target.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (dacl && GetSecurityDescriptorControl(descriptor, &control, &revision)) {
    const SECURITY_INFORMATION which =
        DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                   : UNPROTECTED_DACL_SECURITY_INFORMATION);
    SetNamedSecurityInfoW(const_cast<wchar_t*>(fresh.c_str()), SE_FILE_OBJECT, which, nullptr, nullptr, dacl,
                          nullptr);
  }
  LocalFree(descriptor);
}

class Win32OpenFile : public OpenFile {
 public:
  explicit Win32OpenFile(UniqueHandle handle) : handle_(std::move(handle)) {}

  FileError Read(char* buffer, std::size_t size, std::size_t& got) override {
    DWORD read = 0;
    const DWORD wanted = size > UINT_MAX ? UINT_MAX : static_cast<DWORD>(size);
    got = 0;
    if (!ReadFile(handle_.get(), buffer, wanted, &read, nullptr)) return FromWin32Error(GetLastError());
    got = read;
    return FileError::None;
  }

  FileError Write(const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD written = 0;
      const DWORD chunk = size > UINT_MAX ? UINT_MAX : static_cast<DWORD>(size);
      if (!WriteFile(handle_.get(), data, chunk, &written, nullptr)) return FromWin32Error(GetLastError());
      data += written;
      size -= written;
    }
    return FileError::None;
  }

  FileError Flush() override {
    if (!FlushFileBuffers(handle_.get())) return FromWin32Error(GetLastError());
    return FileError::None;
  }

 private:
  UniqueHandle handle_;
};

// A held folder: one handle, nothing else, as tens of thousands may be kept.
class FolderHold : public HoldOnly {
 public:
  explicit FolderHold(UniqueHandle handle) : handle_(std::move(handle)) {}

 private:
  UniqueHandle handle_;
};

FolderItem::Kind KindOf(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FolderItem::Kind::Link;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FolderItem::Kind::Folder : FolderItem::Kind::File;
}

// The error of a failed open of `name`, told as the file layer names it.
FileError OpenError(DWORD code, const std::wstring& name) {
  const FileError error = FromWin32Error(code);
  return error == FileError::NotFound && TooLong(name) ? FileError::NameTooLong : error;
}

}  // namespace

FileError Win32FileSystem::Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) {
  // Every open shares reading only. For an input open that is the hold:
  // other readers are admitted, writers and deleters (this process's too) refused.
  const DWORD access = mode == OpenMode::Input ? GENERIC_READ : GENERIC_WRITE;
  const DWORD disposition = mode == OpenMode::Input    ? OPEN_EXISTING
                            : mode == OpenMode::Output ? CREATE_ALWAYS
                                                       : OPEN_ALWAYS;
  // A path that is no text names no file: it is never made into another path.
  // The exact form keeps every name as written: "real.txt." is never "real.txt".
  const std::optional<std::wstring> name = ToWidePath(path);
  if (!name) return FileError::NotFound;
  // Too long for the system however often it is tried.
  if (name->size() > kLongestPath) return FileError::NameTooLong;
  UniqueHandle handle(CreateFileW(name->c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    const DWORD code = GetLastError();
    // A folder refuses the open too; only then is it worth asking what the path names.
    if (IsFolder(*name)) return FileError::IsFolder;
    return OpenError(code, *name);
  }
  if (mode == OpenMode::Append &&
      SetFilePointer(handle.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR) {
    return FromWin32Error(GetLastError());
  }
  file = std::make_unique<Win32OpenFile>(std::move(handle));
  return FileError::None;
}

FileError Win32FileSystem::Replace(const std::string& source, const std::string& target) {
  const std::optional<std::wstring> from = ToWidePath(source), to = ToWidePath(target);
  if (!from || !to) return FileError::NotFound;
  const DWORD kept = GetFileAttributesW(to->c_str());
  if (kept != INVALID_FILE_ATTRIBUTES) {
    if (kept & FILE_ATTRIBUTE_DIRECTORY) return FileError::IsFolder;
    KeepOwnAttributesAndSecurity(*to, *from, kept);
  }
  if (!MoveFileExW(from->c_str(), to->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return FromWin32Error(GetLastError());
  }
  return FileError::None;
}

FileError Win32FileSystem::ListFolder(const std::string& path, std::vector<FolderItem>& items) {
  items.clear();
  const std::optional<std::wstring> folder = ToWidePath(path);
  if (!folder) return FileError::NotFound;
  std::wstring pattern = *folder;
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/' && pattern.back() != L':') {
    pattern += L'\\';
  }
  pattern += L'*';
  if (pattern.size() > kLongestPath) return FileError::NameTooLong;
  WIN32_FIND_DATAW found{};
  UniqueFind find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH));
  if (!find) {
    const DWORD code = GetLastError();
    // A drive's empty root has not even "." and "..".
    if (code == ERROR_FILE_NOT_FOUND && IsFolder(*folder)) return FileError::None;
    // A file where the folder should be: no folder has that name.
    if (code == ERROR_DIRECTORY) return FileError::NotFound;
    return OpenError(code, *folder);
  }
  bool inexact = false;
  do {
    const std::wstring_view name(found.cFileName);
    if (name == L"." || name == L"..") continue;
    std::optional<std::string> text = FromWide(name);
    if (!text) {
      inexact = true;
      continue;
    }
    items.push_back(FolderItem{*std::move(text), KindOf(found.dwFileAttributes)});
  } while (FindNextFileW(find.get(), &found));
  const DWORD code = GetLastError();
  if (code != ERROR_NO_MORE_FILES) return FromWin32Error(code);
  return inexact ? FileError::Other : FileError::None;
}

FileError Win32FileSystem::HoldFolder(const std::string& path, std::unique_ptr<OpenFile>& hold) {
  const std::optional<std::wstring> name = ToWidePath(path);
  if (!name) return FileError::NotFound;
  if (name->size() > kLongestPath) return FileError::NameTooLong;
  // GENERIC_READ holds FILE_LIST_DIRECTORY, which the sharing check counts.
  UniqueHandle handle(CreateFileW(name->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
  if (!handle) return OpenError(GetLastError(), *name);
  // Backup semantics open a plain file too; only a folder or a link is held.
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(handle.get(), &information)) return FromWin32Error(GetLastError());
  if (KindOf(information.dwFileAttributes) == FolderItem::Kind::File) return FileError::NotFound;
  hold = std::make_unique<FolderHold>(std::move(handle));
  return FileError::None;
}

bool Win32FileSystem::FolderExists(const std::string& path) {
  const std::optional<std::wstring> name = ToWidePath(path);
  return name && IsFolder(*name);
}

bool Win32FileSystem::MayWaitOnNetwork(const std::string& path) {
  // "\\server\share\..." but not the local "\\?\C:\..." or "\\.\..." forms.
  if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) {
    const bool local = path.size() >= 4 && (path[2] == '?' || path[2] == '.') &&
                       (path[3] == '\\' || path[3] == '/') &&
                       !(path.size() >= 8 && path.compare(4, 4, "UNC\\") == 0);
    return !local;
  }
  if (path.size() < 2 || path[1] != ':') return false;
  const char letter = static_cast<char>(path[0] & ~0x20);  // upper case
  if (letter < 'A' || letter > 'Z') return false;
  // Asks only the drive letter's kind: no request goes to the share. A
  // start asks for every listed file, and Wine answers slowly, so each
  // letter's answer is kept for a second.
  DriveKind& kind = drives_[static_cast<std::size_t>(letter - 'A')];
  const ULONGLONG now = GetTickCount64();
  if (kind.askedAt == 0 || now - kind.askedAt > 1000) {
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    kind.remote = GetDriveTypeW(root) == DRIVE_REMOTE;
    kind.askedAt = now == 0 ? 1 : now;
  }
  return kind.remote;
}

FileError Win32FileSystem::Remove(const std::string& path) {
  const std::optional<std::wstring> name = ToWidePath(path);
  if (!name) return FileError::NotFound;
  if (DeleteFileW(name->c_str())) return FileError::None;
  const DWORD code = GetLastError();
  if (code == ERROR_FILE_NOT_FOUND) return FileError::None;
  return FromWin32Error(code);
}

const CodePage& Win32FileSystem::AnsiCodePage() const {
  return SystemAnsiCodePage();
}

void Win32FileSystem::Pause(int milliseconds) {
  Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace fendrel
