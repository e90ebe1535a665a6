// A second process for the hold tests: tries one thing on a file and exits
// with the Windows error it got (0 when it worked).
//   hold_probe read|write|append|truncate|delete|rename|attributes PATH
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "platform/wide_text_win.h"
#include "tests/win32/tools/arguments_win.h"

namespace {

DWORD OpenWith(const std::wstring& path, DWORD access, DWORD disposition) {
  HANDLE file = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
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

int main() {
  const std::vector<std::string> arguments = fendrel::testing::Arguments();
  const std::optional<std::wstring> wide =
      arguments.size() == 2 ? fendrel::ToWide(arguments[1]) : std::nullopt;
  if (!wide) {
    std::fprintf(stderr, "usage: hold_probe read|write|append|truncate|delete|rename|attributes PATH\n");
    return 87;  // ERROR_INVALID_PARAMETER
  }
  const std::string& what = arguments[0];
  const std::wstring& path = *wide;
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
    result = DeleteFileW(path.c_str()) ? ERROR_SUCCESS : GetLastError();
  } else if (what == "rename") {
    const std::wstring moved = path + L".moved";
    result = MoveFileW(path.c_str(), moved.c_str()) ? ERROR_SUCCESS : GetLastError();
    if (result == ERROR_SUCCESS) MoveFileW(moved.c_str(), path.c_str());  // put it back
  } else if (what == "attributes") {
    result = SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) ? ERROR_SUCCESS : GetLastError();
  }
  std::printf("%s %s: %lu\n", what.c_str(), arguments[1].c_str(), result);
  return static_cast<int>(result);
}
