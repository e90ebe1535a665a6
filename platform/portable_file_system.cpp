#include "platform/portable_file_system.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/utf.h"

namespace fendrel {

namespace fs = std::filesystem;

namespace {

FileError FromErrno(int code) {
  switch (code) {
    case ENOENT:
    case ENOTDIR: return FileError::NotFound;
    case EISDIR: return FileError::IsFolder;
    case EACCES:
    case EPERM:
    case EROFS: return FileError::AccessDenied;
    case ENOSPC: return FileError::DiskFull;
    case ENAMETOOLONG: return FileError::NameTooLong;
    case EMFILE:
    case ENFILE: return FileError::NoResources;
    default: return FileError::Other;
  }
}

FileError FromErrorCode(const std::error_code& code) {
  return code ? FromErrno(code.value()) : FileError::None;
}

std::string Key(const std::string& nativePath) {
  std::error_code ignored;
  const fs::path canonical = fs::weakly_canonical(fs::path(nativePath), ignored);
  return canonical.empty() ? nativePath : canonical.string();
}

class PortableOpenFile : public OpenFile {
 public:
  PortableOpenFile(std::FILE* file, bool writer, std::string key,
                   std::shared_ptr<PortableFileSystem::UserTable> users)
      : file_(file), writer_(writer), key_(std::move(key)), users_(std::move(users)) {}

  ~PortableOpenFile() override {
    std::fclose(file_);
    auto found = users_->find(key_);
    if (found == users_->end()) return;
    (writer_ ? found->second.writers : found->second.readers) -= 1;
    if (found->second.readers == 0 && found->second.writers == 0) users_->erase(found);
  }
  PortableOpenFile(const PortableOpenFile&) = delete;
  PortableOpenFile& operator=(const PortableOpenFile&) = delete;

  FileError Read(char* buffer, std::size_t size, std::size_t& got) override {
    got = std::fread(buffer, 1, size, file_);
    if (got == 0 && std::ferror(file_)) return FromErrno(errno);
    return FileError::None;
  }

  FileError Write(const char* data, std::size_t size) override {
    if (std::fwrite(data, 1, size, file_) != size) return FromErrno(errno);
    return FileError::None;
  }

  FileError Flush() override {
    if (std::fflush(file_) != 0) return FromErrno(errno);
    return FileError::None;
  }

 private:
  std::FILE* file_;
  bool writer_;
  std::string key_;
  std::shared_ptr<PortableFileSystem::UserTable> users_;
};

}  // namespace

std::string NativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

PortableFileSystem::PortableFileSystem() : users_(std::make_shared<UserTable>()) {}

FileError PortableFileSystem::Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) {
  const std::string native = NativePath(path);
  const std::string key = Key(native);
  const bool writer = mode != OpenMode::Input;
  // Every open shares reading only, as on Windows: a writer is refused while
  // anyone has the file open, and a reader while a writer has it.
  auto found = users_->find(key);
  if (found != users_->end() && (writer || found->second.writers > 0)) {
    return FileError::SharingViolation;
  }
  std::error_code code;
  if (fs::is_directory(fs::path(native), code)) return FileError::IsFolder;

  const char* how = mode == OpenMode::Input ? "rb" : mode == OpenMode::Output ? "wb" : "ab";
  errno = 0;
  std::FILE* handle = std::fopen(native.c_str(), how);
  if (!handle) return FromErrno(errno);
  Users& users = (*users_)[key];
  (writer ? users.writers : users.readers) += 1;
  file = std::make_unique<PortableOpenFile>(handle, writer, key, users_);
  return FileError::None;
}

FileError PortableFileSystem::Replace(const std::string& source, const std::string& target) {
  const std::string from = NativePath(source);
  const std::string to = NativePath(target);
  if (users_->count(Key(from)) || users_->count(Key(to))) return FileError::SharingViolation;
  std::error_code code;
  if (fs::is_directory(fs::path(to), code)) return FileError::IsFolder;
  fs::rename(fs::path(from), fs::path(to), code);
  return FromErrorCode(code);
}

bool PortableFileSystem::FolderExists(const std::string& path) {
  std::error_code code;
  return fs::is_directory(fs::path(NativePath(path)), code);
}

FileError PortableFileSystem::Remove(const std::string& path) {
  const std::string native = NativePath(path);
  if (users_->count(Key(native))) return FileError::SharingViolation;
  std::error_code code;
  fs::remove(fs::path(native), code);
  return FromErrorCode(code);
}

FileError PortableFileSystem::ListFolder(const std::string& path, std::vector<FolderItem>& items) {
  items.clear();
  std::error_code code;
  fs::directory_iterator entry(fs::path(NativePath(path)), code);
  bool inexact = false;
  for (; !code && entry != fs::directory_iterator(); entry.increment(code)) {
    std::string name = entry->path().filename().string();
    if (!IsUtf8(name)) {
      inexact = true;
      continue;
    }
    std::error_code ignored;  // a name that went in the meantime is listed as a file
    const FolderItem::Kind kind = entry->is_symlink(ignored)     ? FolderItem::Kind::Link
                                  : entry->is_directory(ignored) ? FolderItem::Kind::Folder
                                                                 : FolderItem::Kind::File;
    items.push_back(FolderItem{std::move(name), kind});
  }
  if (code) return FromErrorCode(code);
  return inexact ? FileError::Other : FileError::None;
}

FileError PortableFileSystem::HoldFolder(const std::string& path, std::unique_ptr<OpenFile>& hold) {
  std::error_code code;
  const fs::file_status status = fs::symlink_status(fs::path(NativePath(path)), code);
  if (code) return FromErrorCode(code);
  // A plain file, like nothing at all, is no folder.
  if (!fs::is_directory(status) && !fs::is_symlink(status)) return FileError::NotFound;
  hold = std::make_unique<HoldOnly>();
  return FileError::None;
}

}  // namespace fendrel
