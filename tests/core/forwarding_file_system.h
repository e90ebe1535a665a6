// A file system that passes everything on to another: the base of the test
// file systems that change one thing (count bytes, fail reads or writes,
// block an open).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace fendrel::testing {

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}
  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override {
    return inner_.Open(path, mode, file);
  }
  FileError Replace(const std::string& source, const std::string& target) override {
    return inner_.Replace(source, target);
  }
  FileError Remove(const std::string& path) override { return inner_.Remove(path); }
  const CodePage& AnsiCodePage() const override { return inner_.AnsiCodePage(); }
  bool FolderExists(const std::string& path) override { return inner_.FolderExists(path); }
  FileError ListFolder(const std::string& path, std::vector<FolderItem>& items) override {
    return inner_.ListFolder(path, items);
  }
  FileError HoldFolder(const std::string& path, std::unique_ptr<OpenFile>& hold) override {
    return inner_.HoldFolder(path, hold);
  }
  bool MayWaitOnNetwork(const std::string& path) override { return inner_.MayWaitOnNetwork(path); }
  void Pause(int milliseconds) override { inner_.Pause(milliseconds); }

 protected:
  FileSystem& inner_;
};

// The first `failures` writes fail, to any file, as on a disk that was full
// for a moment; every later write goes through.
class FailingWrites : public ForwardingFileSystem {
 public:
  FailingWrites(FileSystem& inner, int failures) : ForwardingFileSystem(inner), failuresLeft_(failures) {}
  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override {
    std::unique_ptr<OpenFile> opened;
    const FileError error = inner_.Open(path, mode, opened);
    if (error == FileError::None) file = std::make_unique<Failing>(std::move(opened), failuresLeft_);
    return error;
  }

 private:
  class Failing : public OpenFile {
   public:
    Failing(std::unique_ptr<OpenFile> inner, int& failuresLeft)
        : inner_(std::move(inner)), failuresLeft_(failuresLeft) {}
    FileError Read(char* buffer, std::size_t size, std::size_t& got) override {
      return inner_->Read(buffer, size, got);
    }
    FileError Write(const char* data, std::size_t size) override {
      if (failuresLeft_ > 0) {
        --failuresLeft_;
        return FileError::DiskFull;
      }
      return inner_->Write(data, size);
    }
    FileError Flush() override { return inner_->Flush(); }

   private:
    std::unique_ptr<OpenFile> inner_;
    int& failuresLeft_;
  };
  int failuresLeft_;
};

}  // namespace fendrel::testing
