// A second process for the hold tests: tries one thing on a file and exits
// with the Windows error it got (0 when it worked).
//   hold_probe read|write|append|truncate|delete|rename|attributes PATH
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

DWORD OpenWith(const char* path, DWORD access, DWORD disposition) {
  HANDLE file = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD result = ERROR_SUCCESS;
  if (access & GENERIC_WRITE) {
    DWORD written = 0;
    if (!WriteFile(file, "probe", 5, &written, nullptr)) result = GetLastError();
  } else if (access & GENERIC_READ) {
    char buffer[16];
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr)) result = GetLastError();
  }
  CloseHandle(file);
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hold_probe read|write|append|truncate|delete|rename|attributes PATH\n");
    return 87;  // ERROR_INVALID_PARAMETER
  }
  const std::string what = argv[1];
  const char* path = argv[2];
  SetLastError(0xdeadbeef);
  DWORD result = ERROR_INVALID_PARAMETER;
  if (what == "read") {
    result = OpenWith(path, GENERIC_READ, OPEN_EXISTING);
  } else if (what == "write") {
    result = OpenWith(path, GENERIC_WRITE, OPEN_EXISTING);
  } else if (what == "append") {
    result = OpenWith(path, FILE_APPEND_DATA, OPEN_EXISTING);
  } else if (what == "truncate") {
    result = OpenWith(path, GENERIC_WRITE, TRUNCATE_EXISTING);
  } else if (what == "delete") {
    result = DeleteFileA(path) ? ERROR_SUCCESS : GetLastError();
  } else if (what == "rename") {
    const std::string moved = std::string(path) + ".moved";
    result = MoveFileA(path, moved.c_str()) ? ERROR_SUCCESS : GetLastError();
    if (result == ERROR_SUCCESS) MoveFileA(moved.c_str(), path);  // put it back
  } else if (what == "attributes") {
    result = SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL) ? ERROR_SUCCESS : GetLastError();
  }
  std::printf("%s %s: %lu\n", what.c_str(), path, result);
  return static_cast<int>(result);
}
