// A file system in memory for the fuzzers: no real file is touched, and a
// fuzzed path can never name a device or a pipe. The sharing rule is the
// same as on disk: writers are refused while a file is open.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/windows_1252.h"

namespace fendrel::fuzzing {

class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string, std::less<>> files;

  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override {
    auto found = files.find(path);
    Use& use = UseOf(path);
    if (mode == OpenMode::Input) {
      if (found == files.end()) return IsFolder(path) ? FileError::IsFolder : FileError::NotFound;
      if (use.writers > 0) return FileError::SharingViolation;
    } else {
      if (use.users > 0) return FileError::SharingViolation;
      if (found == files.end()) found = files.try_emplace(path).first;
      if (mode == OpenMode::Output) found->second.clear();
    }
    // Neither the file nor its count goes while the file is open (a
    // replace or a removal is refused), so the open file keeps both.
    file = std::make_unique<MemoryFile>(found->second, use, mode != OpenMode::Input);
    return FileError::None;
  }

  FileError Replace(const std::string& source, const std::string& target) override {
    if (InUse(source) || InUse(target)) return FileError::SharingViolation;
    auto found = files.find(source);
    if (found == files.end()) return FileError::NotFound;
    files[target] = std::move(found->second);
    files.erase(found);
    return FileError::None;
  }

  // Files only: every folder the fuzzed paths name exists.
  bool FolderExists(const std::string& /*path*/) override { return true; }

  // The names the files' paths give below `path`: the first name after it,
  // a folder when more names follow.
  FileError ListFolder(const std::string& path, std::vector<FolderItem>& items) override {
    items.clear();
    const std::string prefix = path + '\\';
    for (auto it = files.lower_bound(prefix); it != files.end() && it->first.starts_with(prefix); ++it) {
      const std::string rest = it->first.substr(prefix.size());
      const std::size_t end = rest.find('\\');
      FolderItem item{rest.substr(0, end),
                      end == std::string::npos ? FolderItem::Kind::File : FolderItem::Kind::Folder};
      if (items.empty() || items.back().name != item.name) items.push_back(std::move(item));
    }
    return FileError::None;
  }

  // Every folder exists (a file's path names none); the hold refuses nothing.
  FileError HoldFolder(const std::string& path, std::unique_ptr<OpenFile>& hold) override {
    if (files.count(path)) return FileError::NotFound;
    hold = std::make_unique<HoldOnly>();
    return FileError::None;
  }

  FileError Remove(const std::string& path) override {
    if (InUse(path)) return FileError::SharingViolation;
    files.erase(path);
    return FileError::None;
  }

  const CodePage& AnsiCodePage() const override { return codePage_; }

  // Whether any file is open: nothing may be left so once every hold went.
  bool AnyOpen() const {
    return std::any_of(uses_.begin(), uses_.end(), [](const Use& use) { return use.users > 0; });
  }

 private:
  // A folder is the start of a stored file's path.
  bool IsFolder(const std::string& path) const {
    const auto next = files.lower_bound(path + '\\');
    return next != files.end() && next->first.starts_with(path + '\\');
  }
  struct Use {
    std::string path;
    int users = 0;
    int writers = 0;
  };

  class MemoryFile : public OpenFile {
   public:
    MemoryFile(std::string& bytes, Use& use, bool writer) : bytes_(bytes), use_(use), writer_(writer) {
      ++use_.users;
      if (writer_) ++use_.writers;
    }
    ~MemoryFile() override {
      --use_.users;
      if (writer_) --use_.writers;
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    FileError Read(char* buffer, std::size_t size, std::size_t& got) override {
      got = std::min(size, bytes_.size() - std::min(position_, bytes_.size()));
      if (got > 0) std::memcpy(buffer, bytes_.data() + position_, got);
      position_ += got;
      return FileError::None;
    }
    FileError Write(const char* data, std::size_t size) override {
      bytes_.append(data, size);
      return FileError::None;
    }
    FileError Flush() override { return FileError::None; }

   private:
    std::string& bytes_;
    Use& use_;
    bool writer_;
    std::size_t position_ = 0;
  };

  // The few paths a run opens, each counted where it stays put.
  Use& UseOf(const std::string& path) {
    for (Use& use : uses_) {
      if (use.path == path) return use;
    }
    return uses_.emplace_back(Use{path});
  }
  bool InUse(const std::string& path) const {
    return std::any_of(uses_.begin(), uses_.end(),
                       [&path](const Use& use) { return use.path == path && use.users > 0; });
  }

  std::deque<Use> uses_;
  Windows1252CodePage codePage_;
};

}  // namespace fendrel::fuzzing
