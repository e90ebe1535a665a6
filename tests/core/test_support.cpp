#include "tests/core/test_support.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/portable_file_system.h"
#include "platform/utf.h"
#include "screen/messages.h"

#ifdef FENDREL_WIN32_TESTS
#include "platform/file_system_win.h"
#endif

namespace fendrel {
void PrintTo(FileError error, std::ostream* out) {
  *out << "FileError(" << static_cast<int>(error) << ": " << messages::Describe(error) << ")";
}
}  // namespace fendrel

namespace fendrel::testing {

namespace fs = std::filesystem;

namespace {

// A UTF-8 path as the file system takes it: UTF-16 on Windows, converted
// exactly (a path that is no text names nothing), the bytes elsewhere.
fs::path PathOf(const std::string& path) {
#ifdef _WIN32
  std::u16string wide;
  if (!Utf8ToUtf16(path, wide)) return {};
  return fs::path(std::wstring(wide.begin(), wide.end()));
#else
  return fs::path(NativePath(path));
#endif
}

// The UTF-8 text of a path the file system gave.
std::string TextOf(const fs::path& path) {
#ifdef _WIN32
  const std::wstring& wide = path.native();
  std::string text;
  Utf16ToUtf8(std::u16string(wide.begin(), wide.end()), text);
  return text;
#else
  return path.string();
#endif
}

}  // namespace

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const fs::path folder = fs::temp_directory_path() /
                          ("fendrel-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
  fs::create_directories(folder);
  path_ = TextOf(folder);
#ifdef _WIN32
  for (char& c : path_) {
    if (c == '/') c = '\\';
  }
#endif
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(PathOf(path_), ignored);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(PathOf(path), ignored);
}

std::string MakeFile(const TempFolder& folder, const std::string& name, const std::string& bytes) {
  WriteBytes(folder.File(name), bytes);
  return folder.File(name);
}

bool RefusedToOwnWriter(FileLayer& layer, const std::string& path) {
  const int number = layer.LowestFree();
  const FileError error = layer.Open(number, path, OpenMode::Append);
  layer.Close(number);
  return error == FileError::SharingViolation;
}

void MakeFolder(const std::string& path) {
  fs::create_directories(PathOf(path));
}

std::vector<FileSystemKind> FileSystemKinds() {
  std::vector<FileSystemKind> kinds;
  kinds.push_back(
      {"Portable", []() -> std::unique_ptr<FileSystem> { return std::make_unique<PortableFileSystem>(); }});
#ifdef FENDREL_WIN32_TESTS
  kinds.push_back(
      {"Win32", []() -> std::unique_ptr<FileSystem> { return std::make_unique<Win32FileSystem>(); }});
#endif
  return kinds;
}

}  // namespace fendrel::testing
