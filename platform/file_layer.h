// The sequential file layer: every file the program reads, writes or holds
// is named by a file number from 1 to 511. Short-lived work uses number 1;
// holds use the numbers from 99 up.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace fendrel {

class FileLayer {
 public:
  static constexpr int kFirstNumber = 1;
  static constexpr int kLastNumber = 511;

  explicit FileLayer(FileSystem& files) : files_(files) {}
  FileLayer(const FileLayer&) = delete;
  FileLayer& operator=(const FileLayer&) = delete;
  ~FileLayer();

  FileError Open(int number, const std::string& path, OpenMode mode);
  // Puts a file opened for input elsewhere (an open that may wait on a
  // network runs on a worker) under a number, as Open would have.
  FileError Adopt(int number, std::unique_ptr<OpenFile> file);
  // The smallest number from `from` up that is not in use, or 0 when every
  // one of them is taken.
  int LowestFree(int from = kFirstNumber) const;
  bool IsOpen(int number) const;

  // The text up to the next line end (CR LF, or a lone CR or LF), without it.
  FileError ReadLine(int number, std::string& line);
  // The text up to the first comma or the end of the line.
  FileError ReadField(int number, std::string& field);
  // The same, but at most `limit` characters: the rest of a longer field
  // stays unread, so a huge file costs no more than the part that matters.
  FileError ReadField(int number, std::string& field, std::size_t limit);
  // Every byte not read yet, to the end of the file (none at the end). A
  // read that fails is no end of the file: the error comes back, and
  // `bytes` holds what was read before it.
  FileError ReadRest(int number, std::string& bytes);
  // True when no data is left to read (also for a number that is not open);
  // false when the read that would tell failed.
  bool AtEnd(int number);

  // The text followed by CR LF.
  FileError WriteLine(int number, const std::string& text);
  // The bytes as they are.
  FileError Write(int number, const std::string& bytes);
  // Writes what is buffered and pushes it to the disk.
  FileError Flush(int number);

  // Closing a number that names no open file does nothing.
  void Close(int number);

  FileSystem& files() { return files_; }

 private:
  struct Entry {
    std::unique_ptr<OpenFile> file;
    OpenMode mode = OpenMode::Input;
    std::string buffer;  // read-ahead for input, pending bytes for output
    std::size_t position = 0;
    bool endOfFile = false;
  };

  Entry* Find(int number);
  const Entry* Find(int number) const;
  // Makes at least one unread byte available; false at the end of the file.
  FileError Fill(Entry& entry, bool& available);
  FileError ReadUntil(int number, bool stopAtComma, std::string& text, std::size_t limit = std::string::npos);
  FileError WritePending(Entry& entry);

  FileSystem& files_;
  // An entry only for each open number: a layer starts and ends without
  // building or tearing down hundreds of empty ones.
  std::array<std::unique_ptr<Entry>, kLastNumber + 1> table_{};
  // Where every read lands before its bytes go to the entry's buffer: one
  // chunk for the layer's life, so reading a small file neither allocates
  // nor clears a whole chunk.
  std::unique_ptr<char[]> chunk_;
};

}  // namespace fendrel
