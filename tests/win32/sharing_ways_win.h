// Every way another program could try to change, remove or read a held
// file, as one table shared by the sharing matrix test and its second
// process (tools/sharing_probe.cpp). Each attempt works on its own file,
// so a way that wrongly succeeds cannot spoil the next one, and returns the
// Windows error it met (0 when it worked).
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace fendrel::testing {

// What each held file holds; a read must see exactly these bytes.
inline constexpr const char* kSharingContent = "original bytes of a held file";

// What the hold must do with a way. Either: Windows admits it because it
// touches no data, so the hold cannot refuse it; it is recorded only.
// RefusedOnWindows: Windows refuses it, Wine lets it through (Wine does not
// add write access to the sharing check of an open that cuts the file, and
// does not ask a rename by handle for delete access); asserted on Windows,
// recorded under Wine.
enum class Outcome { Refused, Admitted, Either, RefusedOnWindows };

struct SharingWay {
  const char* access;  // what the second process asks for
  const char* call;    // the call or disposition
  Outcome expected;
  DWORD (*attempt)(const std::string& path);
};

namespace sharing_detail {

inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

inline DWORD LastError() {
  const DWORD code = GetLastError();
  return code == ERROR_SUCCESS ? ERROR_GEN_FAILURE : code;  // a failure must never read as success
}

// Opens with this access, sharing and disposition, then does `use` with
// the handle; the first error met.
template <typename Use>
DWORD OpenThen(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags, Use use) {
  HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  const DWORD result = use(file);
  CloseHandle(file);
  return result;
}

inline DWORD Nothing(HANDLE) {
  return ERROR_SUCCESS;
}

inline DWORD WriteSome(HANDLE file) {
  DWORD written = 0;
  return WriteFile(file, "probe", 5, &written, nullptr) ? ERROR_SUCCESS : LastError();
}

// Reads the whole file; success only when it holds the held bytes.
inline DWORD ReadAll(HANDLE file) {
  char buffer[256] = {};
  DWORD read = 0;
  if (!ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr)) return LastError();
  return std::strcmp(buffer, kSharingContent) == 0 ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

// An open for writing that got through also writes, to show it.
inline DWORD Open(const std::string& path, DWORD access, DWORD disposition = OPEN_EXISTING) {
  const bool writer = access & (GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA);
  return OpenThen(path, access, kShareAll, disposition, FILE_ATTRIBUTE_NORMAL,
                  [writer](HANDLE file) { return writer ? WriteSome(file) : DWORD{ERROR_SUCCESS}; });
}

inline DWORD Read(const std::string& path, DWORD share) {
  return OpenThen(path, GENERIC_READ, share, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, ReadAll);
}

// A file beside the held one, for moves onto it.
inline std::string Other(const std::string& path) {
  const std::string other = path + ".other";
  HANDLE file =
      CreateFileA(other.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, "other", 5, &written, nullptr);
    CloseHandle(file);
  }
  return other;
}

inline DWORD Move(const std::string& from, const std::string& to, DWORD flags) {
  return MoveFileExA(from.c_str(), to.c_str(), flags) ? ERROR_SUCCESS : LastError();
}

// SetFileInformationByHandle on a handle opened with `access`.
inline DWORD Dispose(const std::string& path, DWORD access) {
  return OpenThen(path, access, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, [](HANDLE file) -> DWORD {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = TRUE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info) ? ERROR_SUCCESS
                                                                                     : LastError();
  });
}

inline DWORD RenameByHandle(const std::string& path, DWORD access) {
  return OpenThen(
      path, access, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, [&path](HANDLE file) -> DWORD {
        const std::string target = path + ".renamed";
        std::wstring wide(target.begin(), target.end());  // the test folders are ASCII
        std::vector<char> bytes(sizeof(FILE_RENAME_INFO) + wide.size() * sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(bytes.data());
        info->ReplaceIfExists = TRUE;
        info->RootDirectory = nullptr;
        info->FileNameLength = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
        std::memcpy(info->FileName, wide.data(), wide.size() * sizeof(wchar_t));
        return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(bytes.size()))
                   ? ERROR_SUCCESS
                   : LastError();
      });
}

inline DWORD CutByHandle(const std::string& path, DWORD access) {
  return OpenThen(path, access, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, [](HANDLE file) -> DWORD {
    FILE_END_OF_FILE_INFO info{};
    info.EndOfFile.QuadPart = 0;
    return SetFileInformationByHandle(file, FileEndOfFileInfo, &info, sizeof info) ? ERROR_SUCCESS
                                                                                   : LastError();
  });
}

inline std::string Upper(std::string path) {
  for (char& c : path) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return path;
}

}  // namespace sharing_detail

inline const std::vector<SharingWay>& SharingWays() {
  using namespace sharing_detail;
  static const std::vector<SharingWay> ways = {
      // Opens for writing, each sharing everything so only the hold can refuse it.
      {"GENERIC_WRITE", "OPEN_EXISTING", Outcome::Refused,
       [](const std::string& p) { return Open(p, GENERIC_WRITE); }},
      {"GENERIC_READ|GENERIC_WRITE", "OPEN_EXISTING", Outcome::Refused,
       [](const std::string& p) { return Open(p, GENERIC_READ | GENERIC_WRITE); }},
      {"FILE_WRITE_DATA", "OPEN_EXISTING", Outcome::Refused,
       [](const std::string& p) { return Open(p, FILE_WRITE_DATA); }},
      {"FILE_APPEND_DATA", "OPEN_EXISTING", Outcome::Refused,
       [](const std::string& p) { return Open(p, FILE_APPEND_DATA); }},
      {"GENERIC_WRITE", "OPEN_ALWAYS", Outcome::Refused,
       [](const std::string& p) { return Open(p, GENERIC_WRITE, OPEN_ALWAYS); }},
      {"GENERIC_WRITE", "CREATE_ALWAYS", Outcome::Refused,
       [](const std::string& p) { return Open(p, GENERIC_WRITE, CREATE_ALWAYS); }},
      {"GENERIC_WRITE", "TRUNCATE_EXISTING", Outcome::Refused,
       [](const std::string& p) { return Open(p, GENERIC_WRITE, TRUNCATE_EXISTING); }},
      {"GENERIC_READ", "CREATE_ALWAYS (cuts the file)", Outcome::RefusedOnWindows,
       [](const std::string& p) { return Open(p, GENERIC_READ, CREATE_ALWAYS); }},
      {"DELETE", "OPEN_EXISTING", Outcome::Refused, [](const std::string& p) { return Open(p, DELETE); }},
      {"GENERIC_READ", "FILE_FLAG_DELETE_ON_CLOSE", Outcome::Refused,
       [](const std::string& p) {
         return OpenThen(p, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, Nothing);
       }},
      {"GENERIC_WRITE", "OPEN_EXISTING, path in upper case", Outcome::Refused,
       [](const std::string& p) { return Open(Upper(p), GENERIC_WRITE); }},
      {"FILE_WRITE_ATTRIBUTES", "OPEN_EXISTING", Outcome::Either,
       [](const std::string& p) { return Open(p, FILE_WRITE_ATTRIBUTES); }},
      {"(by path)", "SetFileAttributesA(READONLY), then back", Outcome::Either,
       [](const std::string& p) -> DWORD {
         if (!SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_READONLY)) return LastError();
         SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
         return ERROR_SUCCESS;
       }},
      // Deletes, renames and replaces by name.
      {"(by path)", "DeleteFileA", Outcome::Refused,
       [](const std::string& p) { return DeleteFileA(p.c_str()) ? ERROR_SUCCESS : LastError(); }},
      {"(by path)", "MoveFileExA(held -> new, 0)", Outcome::Refused,
       [](const std::string& p) { return Move(p, p + ".moved", 0); }},
      {"(by path)", "MoveFileExA(held -> new, REPLACE_EXISTING)", Outcome::Refused,
       [](const std::string& p) { return Move(p, p + ".moved", MOVEFILE_REPLACE_EXISTING); }},
      {"(by path)", "MoveFileExA(held -> other, REPLACE_EXISTING)", Outcome::Refused,
       [](const std::string& p) { return Move(p, Other(p), MOVEFILE_REPLACE_EXISTING); }},
      {"(by path)", "MoveFileExA(other -> held, 0)", Outcome::Refused,
       [](const std::string& p) { return Move(Other(p), p, 0); }},
      {"(by path)", "MoveFileExA(other -> held, REPLACE_EXISTING)", Outcome::Refused,
       [](const std::string& p) { return Move(Other(p), p, MOVEFILE_REPLACE_EXISTING); }},
      {"(by path)", "CopyFileA(other -> held, overwrite)", Outcome::Refused,
       [](const std::string& p) {
         return CopyFileA(Other(p).c_str(), p.c_str(), FALSE) ? ERROR_SUCCESS : LastError();
       }},
      {"(by path)", "ReplaceFileA(held <- other)", Outcome::Refused,
       [](const std::string& p) {
         return ReplaceFileA(p.c_str(), Other(p).c_str(), nullptr, 0, nullptr, nullptr) ? ERROR_SUCCESS
                                                                                        : LastError();
       }},
      // Changes through a handle.
      {"DELETE", "SetFileInformationByHandle(FileDispositionInfo)", Outcome::Refused,
       [](const std::string& p) { return Dispose(p, DELETE); }},
      {"DELETE", "SetFileInformationByHandle(FileRenameInfo)", Outcome::Refused,
       [](const std::string& p) { return RenameByHandle(p, DELETE); }},
      {"GENERIC_READ (admitted)", "SetFileInformationByHandle(FileDispositionInfo)", Outcome::Refused,
       [](const std::string& p) { return Dispose(p, GENERIC_READ); }},
      {"GENERIC_READ (admitted)", "SetFileInformationByHandle(FileRenameInfo)", Outcome::RefusedOnWindows,
       [](const std::string& p) { return RenameByHandle(p, GENERIC_READ); }},
      {"GENERIC_READ (admitted)", "SetFileInformationByHandle(FileEndOfFileInfo)", Outcome::Refused,
       [](const std::string& p) { return CutByHandle(p, GENERIC_READ); }},
      {"GENERIC_READ (admitted)", "WriteFile", Outcome::Refused,
       [](const std::string& p) {
         return OpenThen(p, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, WriteSome);
       }},
      // Plain reads.
      {"GENERIC_READ, FILE_SHARE_READ", "OPEN_EXISTING, ReadFile", Outcome::Admitted,
       [](const std::string& p) { return Read(p, FILE_SHARE_READ); }},
      {"GENERIC_READ, FILE_SHARE_READ|FILE_SHARE_WRITE", "OPEN_EXISTING, ReadFile", Outcome::Admitted,
       [](const std::string& p) { return Read(p, FILE_SHARE_READ | FILE_SHARE_WRITE); }},
      {"GENERIC_READ, share all", "OPEN_EXISTING, ReadFile", Outcome::Admitted,
       [](const std::string& p) { return Read(p, kShareAll); }},
      {"(by path)", "CopyFileA(held -> copy)", Outcome::Admitted,
       [](const std::string& p) -> DWORD {
         const std::string copy = p + ".copy";
         if (!CopyFileA(p.c_str(), copy.c_str(), FALSE)) return LastError();
         return Read(copy, FILE_SHARE_READ);
       }},
      // A reader that will not share reading conflicts with the hold's own read access.
      {"GENERIC_READ, no sharing", "OPEN_EXISTING", Outcome::Refused,
       [](const std::string& p) { return Read(p, 0); }},
  };
  return ways;
}

// What another program may try on a held folder. Each way is tried twice,
// on a held folder and on a held folder inside it; attempt K works on
// FOLDER\dirK (even K) or on FOLDER\dirK\sub (odd K), both held.
struct FolderWay {
  const char* call;
  bool admitted;  // making a file in the folder; every other way is refused
  DWORD (*attempt)(const std::string& folder);
};

inline const std::vector<FolderWay>& FolderWays() {
  using namespace sharing_detail;
  static const std::vector<FolderWay> ways = {
      {"MoveFileExA(held -> new name)", false,
       [](const std::string& p) { return Move(p, p + ".renamed", MOVEFILE_REPLACE_EXISTING); }},
      {"MoveFileExA(held -> another folder)", false,
       [](const std::string& p) {
         const std::string elsewhere = p + ".elsewhere";
         CreateDirectoryA(elsewhere.c_str(), nullptr);
         return Move(p, elsewhere + "\\moved", 0);
       }},
      {"RemoveDirectoryA", false,
       [](const std::string& p) { return RemoveDirectoryA(p.c_str()) ? ERROR_SUCCESS : LastError(); }},
      {"DELETE, FILE_FLAG_BACKUP_SEMANTICS", false,
       [](const std::string& p) {
         return OpenThen(p, DELETE, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, Nothing);
       }},
      {"CreateFileA(new file inside, CREATE_NEW), WriteFile", true,
       [](const std::string& p) {
         return OpenThen(p + "\\new.txt", GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, WriteSome);
       }},
  };
  return ways;
}

inline std::string FolderWayPair(const std::string& folder, std::size_t attempt) {
  return folder + "\\dir" + std::to_string(attempt);
}

inline std::string FolderWayTarget(const std::string& folder, std::size_t attempt) {
  return FolderWayPair(folder, attempt) + (attempt % 2 == 0 ? "" : "\\sub");
}

inline const char* Describe(Outcome outcome) {
  switch (outcome) {
    case Outcome::Refused: return "refused";
    case Outcome::Admitted: return "admitted";
    case Outcome::RefusedOnWindows: return "refused on Windows";
    case Outcome::Either: break;
  }
  return "either";
}

// The file each way works on: way i uses FOLDER\wayI.txt.
// True under Wine, whose ntdll exports its version.
inline bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline std::string WayFile(const std::string& folder, std::size_t index) {
  return folder + "\\way" + std::to_string(index) + ".txt";
}

}  // namespace fendrel::testing
