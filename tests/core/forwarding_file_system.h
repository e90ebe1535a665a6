// A file system that passes everything on to another: the base of the test
// file systems that change one thing (count bytes, fail reads, block an open).
#pragma once

#include <memory>
#include <string>

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
  bool MayWaitOnNetwork(const std::string& path) override { return inner_.MayWaitOnNetwork(path); }

 protected:
  FileSystem& inner_;
};

}  // namespace fendrel::testing
