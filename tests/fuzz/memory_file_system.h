// A file system in memory for the fuzzers: no real file is touched, and a
// fuzzed path can never name a device or a pipe. The sharing rule is the
// same as on disk: writers are refused while a file is open.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/windows_1252.h"

namespace fendrel::fuzzing {

class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;

  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override {
    auto found = files.find(path);
    if (mode == OpenMode::Input) {
      if (found == files.end()) return FileError::NotFound;
      if (writers_[path] > 0) return FileError::SharingViolation;
    } else {
      if (users_[path] > 0) return FileError::SharingViolation;
      if (mode == OpenMode::Output || found == files.end()) files[path].clear();
    }
    file = std::make_unique<MemoryFile>(*this, path, mode != OpenMode::Input);
    return FileError::None;
  }

  FileError Replace(const std::string& source, const std::string& target) override {
    if (users_[source] > 0 || users_[target] > 0) return FileError::SharingViolation;
    auto found = files.find(source);
    if (found == files.end()) return FileError::NotFound;
    files[target] = found->second;
    files.erase(source);
    return FileError::None;
  }

  // Files only: every folder the fuzzed paths name exists.
  bool FolderExists(const std::string& /*path*/) override { return true; }

  FileError Remove(const std::string& path) override {
    if (users_[path] > 0) return FileError::SharingViolation;
    files.erase(path);
    return FileError::None;
  }

  const CodePage& AnsiCodePage() const override { return codePage_; }

 private:
  class MemoryFile : public OpenFile {
   public:
    MemoryFile(MemoryFileSystem& system, std::string path, bool writer)
        : system_(system), path_(std::move(path)), writer_(writer) {
      ++system_.users_[path_];
      if (writer_) ++system_.writers_[path_];
    }
    ~MemoryFile() override {
      --system_.users_[path_];
      if (writer_) --system_.writers_[path_];
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    FileError Read(char* buffer, std::size_t size, std::size_t& got) override {
      const std::string& bytes = system_.files[path_];
      got = std::min(size, bytes.size() - std::min(position_, bytes.size()));
      if (got > 0) std::memcpy(buffer, bytes.data() + position_, got);
      position_ += got;
      return FileError::None;
    }
    FileError Write(const char* data, std::size_t size) override {
      system_.files[path_].append(data, size);
      return FileError::None;
    }
    FileError Flush() override { return FileError::None; }

   private:
    MemoryFileSystem& system_;
    std::string path_;
    bool writer_;
    std::size_t position_ = 0;
  };

  std::map<std::string, int> users_;
  std::map<std::string, int> writers_;
  Windows1252CodePage codePage_;
};

}  // namespace fendrel::fuzzing
