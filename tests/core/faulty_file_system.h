// A file system that fails one call on demand, the way a disk, another
// program or a network drive can: every Open, Read, Write, Flush, Replace
// and Remove is counted from Arm on, and call `failAt` fails in the way
// asked. A crash fails that call and every later one, so nothing more
// reaches the disk, as when the process is killed there: the test then
// starts again from what is on the disk. Reads hand out a few
// bytes at a time, so a read that fails can cut a small file anywhere.
// Shared by the fault-injection test and the list fuzzer.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/core/forwarding_file_system.h"

namespace fendrel::testing {

enum class CallKind { Open, Read, Write, Flush, Replace, Remove, ListFolder, HoldFolder };
enum class Fault {
  None,
  NotFound,
  AccessDenied,
  SharingViolation,
  ReadCut,
  DiskFull,
  RenameRefused,
  NoResources,
  Crash
};

// The ways a call of this kind can fail (a crash can stop any call).
inline std::vector<Fault> FaultsFor(CallKind kind) {
  switch (kind) {
    case CallKind::Open:
      return {Fault::NotFound, Fault::AccessDenied, Fault::SharingViolation, Fault::NoResources};
    case CallKind::ListFolder: return {Fault::AccessDenied};
    case CallKind::HoldFolder: return {Fault::SharingViolation, Fault::NoResources};
    case CallKind::Read: return {Fault::ReadCut};
    case CallKind::Write:
    case CallKind::Flush: return {Fault::DiskFull};
    case CallKind::Replace: return {Fault::RenameRefused, Fault::SharingViolation};
    case CallKind::Remove: return {Fault::AccessDenied};
  }
  return {};
}

inline const char* NameOf(Fault fault) {
  static constexpr const char* kNames[] = {"none",     "not found", "access denied",  "sharing violation",
                                           "read cut", "disk full", "rename refused", "no resources",
                                           "crash"};
  return kNames[static_cast<int>(fault)];
}

class FaultyFileSystem : public ForwardingFileSystem {
 public:
  // `readChunk`: the most bytes one read hands out.
  explicit FaultyFileSystem(FileSystem& inner, std::size_t readChunk = 7)
      : ForwardingFileSystem(inner), readChunk_(readChunk) {}

  // Counts calls from now on; call `failAt` (from 1; 0: none) fails in `fault`.
  void Arm(int failAt, Fault fault) {
    calls_.clear();
    failedPath_.clear();
    failAt_ = failAt;
    fault_ = fault;
    fired_ = false;
    dead_ = false;
  }
  // Runs `hook` just before call `at` (from 1), once: another copy's step
  // in the middle of this one's.
  void RunBefore(int at, std::function<void()> hook) {
    hookAt_ = at;
    hook_ = std::move(hook);
  }
  const std::vector<CallKind>& calls() const { return calls_; }
  bool fired() const { return fired_; }
  // The path of the call that failed (an open, replace or remove).
  const std::string& failedPath() const { return failedPath_; }

  FileError Open(const std::string& path, OpenMode mode, std::unique_ptr<OpenFile>& file) override {
    if (const FileError error = Call(CallKind::Open, path); error != FileError::None) return error;
    std::unique_ptr<OpenFile> opened;
    const FileError error = inner_.Open(path, mode, opened);
    if (error == FileError::None) file = std::make_unique<File>(*this, std::move(opened));
    return error;
  }
  FileError Replace(const std::string& source, const std::string& target) override {
    if (const FileError error = Call(CallKind::Replace, target); error != FileError::None) return error;
    return inner_.Replace(source, target);
  }
  FileError Remove(const std::string& path) override {
    if (const FileError error = Call(CallKind::Remove, path); error != FileError::None) return error;
    return inner_.Remove(path);
  }
  FileError ListFolder(const std::string& path, std::vector<FolderItem>& items) override {
    if (const FileError error = Call(CallKind::ListFolder, path); error != FileError::None) return error;
    return inner_.ListFolder(path, items);
  }
  FileError HoldFolder(const std::string& path, std::unique_ptr<OpenFile>& hold) override {
    if (const FileError error = Call(CallKind::HoldFolder, path); error != FileError::None) return error;
    return inner_.HoldFolder(path, hold);
  }

 private:
  class File : public OpenFile {
   public:
    File(FaultyFileSystem& system, std::unique_ptr<OpenFile> inner)
        : system_(system), inner_(std::move(inner)) {}
    FileError Read(char* buffer, std::size_t size, std::size_t& got) override {
      got = 0;
      if (const FileError error = system_.Call(CallKind::Read); error != FileError::None) return error;
      return inner_->Read(buffer, std::min(size, system_.readChunk_), got);
    }
    FileError Write(const char* data, std::size_t size) override {
      if (const FileError error = system_.Call(CallKind::Write); error != FileError::None) return error;
      return inner_->Write(data, size);
    }
    FileError Flush() override {
      if (const FileError error = system_.Call(CallKind::Flush); error != FileError::None) return error;
      return inner_->Flush();
    }

   private:
    FaultyFileSystem& system_;
    std::unique_ptr<OpenFile> inner_;
  };

  FileError Call(CallKind kind, const std::string& path = "") {
    calls_.push_back(kind);
    const int at = static_cast<int>(calls_.size());
    if (hook_ && at == hookAt_) std::exchange(hook_, nullptr)();
    if (dead_) return FileError::Other;
    if (at != failAt_) return FileError::None;
    fired_ = true;
    failedPath_ = path;
    switch (fault_) {
      case Fault::None: return FileError::None;
      case Fault::NotFound: return FileError::NotFound;
      case Fault::AccessDenied:
      case Fault::RenameRefused: return FileError::AccessDenied;
      case Fault::SharingViolation:
      case Fault::ReadCut: return FileError::SharingViolation;  // as past another program's lock
      case Fault::DiskFull: return FileError::DiskFull;
      case Fault::NoResources: return FileError::NoResources;
      case Fault::Crash: dead_ = true; return FileError::Other;
    }
    return FileError::Other;
  }

  std::size_t readChunk_;
  std::vector<CallKind> calls_;
  int failAt_ = 0;
  Fault fault_ = Fault::None;
  bool fired_ = false;
  bool dead_ = false;
  std::string failedPath_;
  int hookAt_ = 0;
  std::function<void()> hook_;
};

}  // namespace fendrel::testing
