#include "platform/file_layer.h"

#include <algorithm>

namespace fendrel {

namespace {
constexpr std::size_t kChunk = std::size_t{64} * 1024;
}  // namespace

FileLayer::~FileLayer() {
  for (int number = kFirstNumber; number <= kLastNumber; ++number) {
    if (table_[static_cast<std::size_t>(number)]) Close(number);
  }
}

FileLayer::Entry* FileLayer::Find(int number) {
  if (number < kFirstNumber || number > kLastNumber) return nullptr;
  return table_[static_cast<std::size_t>(number)].get();
}

const FileLayer::Entry* FileLayer::Find(int number) const {
  return const_cast<FileLayer*>(this)->Find(number);
}

FileError FileLayer::Adopt(int number, std::unique_ptr<OpenFile> file) {
  if (number < kFirstNumber || number > kLastNumber) return FileError::BadFileNumber;
  std::unique_ptr<Entry>& entry = table_[static_cast<std::size_t>(number)];
  if (entry) return FileError::FileNumberInUse;
  if (!file) return FileError::NotOpen;
  entry = std::make_unique<Entry>();
  entry->file = std::move(file);
  entry->mode = OpenMode::Input;
  return FileError::None;
}

FileError FileLayer::Open(int number, const std::string& path, OpenMode mode) {
  if (number < kFirstNumber || number > kLastNumber) return FileError::BadFileNumber;
  std::unique_ptr<Entry>& entry = table_[static_cast<std::size_t>(number)];
  if (entry) return FileError::FileNumberInUse;
  // A NUL ends the name for the system, so such a path would open the file
  // named by its first part: it names no file.
  if (path.find('\0') != std::string::npos) return FileError::NotFound;
  std::unique_ptr<OpenFile> file;
  const FileError error = files_.Open(path, mode, file);
  if (error != FileError::None) return error;
  entry = std::make_unique<Entry>();
  entry->file = std::move(file);
  entry->mode = mode;
  return FileError::None;
}

int FileLayer::LowestFree(int from) const {
  for (int number = from < kFirstNumber ? kFirstNumber : from; number <= kLastNumber; ++number) {
    if (!table_[static_cast<std::size_t>(number)]) return number;
  }
  return 0;
}

bool FileLayer::IsOpen(int number) const {
  return Find(number) != nullptr;
}

FileError FileLayer::Fill(Entry& entry, bool& available) {
  available = entry.position < entry.buffer.size();
  if (available || entry.endOfFile) return FileError::None;
  if (!chunk_) chunk_ = std::make_unique_for_overwrite<char[]>(kChunk);
  std::size_t got = 0;
  const FileError error = entry.file->Read(chunk_.get(), kChunk, got);
  entry.buffer.assign(chunk_.get(), std::min(got, kChunk));
  entry.position = 0;
  if (error != FileError::None) {
    entry.buffer.clear();
    return error;
  }
  if (got == 0) entry.endOfFile = true;
  available = got > 0;
  return FileError::None;
}

FileError FileLayer::ReadUntil(int number, bool stopAtComma, std::string& text, std::size_t limit) {
  Entry* entry = Find(number);
  if (!entry) return FileError::NotOpen;
  if (entry->mode != OpenMode::Input) return FileError::WrongMode;
  bool available = false;
  if (FileError error = Fill(*entry, available); error != FileError::None) return error;
  if (!available) return FileError::ReadPastEnd;

  text.clear();
  while (available) {
    const std::string& buffer = entry->buffer;
    const std::size_t room = limit - text.size();
    const std::size_t end = buffer.size() - entry->position > room ? entry->position + room : buffer.size();
    std::size_t stop = entry->position;
    while (stop < end && buffer[stop] != '\r' && buffer[stop] != '\n' &&
           !(stopAtComma && buffer[stop] == ',')) {
      ++stop;
    }
    text.append(buffer, entry->position, stop - entry->position);
    entry->position = stop;
    if (text.size() >= limit) return FileError::None;  // the rest of the field stays unread
    if (stop < buffer.size()) {
      const char delimiter = buffer[stop];
      ++entry->position;
      if (delimiter == '\r') {
        // A CR LF pair may be split across two reads of the file.
        if (FileError error = Fill(*entry, available); error != FileError::None) return error;
        if (available && entry->buffer[entry->position] == '\n') ++entry->position;
      }
      return FileError::None;
    }
    if (FileError error = Fill(*entry, available); error != FileError::None) return error;
  }
  return FileError::None;  // the last line of a file without a line end
}

FileError FileLayer::ReadLine(int number, std::string& line) {
  return ReadUntil(number, false, line);
}

FileError FileLayer::ReadField(int number, std::string& field) {
  return ReadUntil(number, true, field);
}

FileError FileLayer::ReadField(int number, std::string& field, std::size_t limit) {
  return ReadUntil(number, true, field, limit);
}

FileError FileLayer::ReadRest(int number, std::string& bytes) {
  bytes.clear();
  Entry* entry = Find(number);
  if (!entry) return FileError::NotOpen;
  if (entry->mode != OpenMode::Input) return FileError::WrongMode;
  bool available = false;
  for (;;) {
    if (FileError error = Fill(*entry, available); error != FileError::None) return error;
    if (!available) return FileError::None;
    bytes.append(entry->buffer, entry->position);
    entry->position = entry->buffer.size();
  }
}

bool FileLayer::AtEnd(int number) {
  Entry* entry = Find(number);
  if (!entry || entry->mode != OpenMode::Input) return true;
  bool available = false;
  // A read that failed is no end of the file: the next read meets the
  // error and reports it, so nothing left unread passes for the whole file.
  if (Fill(*entry, available) != FileError::None) return false;
  return !available;
}

FileError FileLayer::WritePending(Entry& entry) {
  if (entry.buffer.empty()) return FileError::None;
  const FileError error = entry.file->Write(entry.buffer.data(), entry.buffer.size());
  entry.buffer.clear();
  return error;
}

FileError FileLayer::WriteLine(int number, const std::string& text) {
  return Write(number, text + "\r\n");
}

FileError FileLayer::Write(int number, const std::string& bytes) {
  Entry* entry = Find(number);
  if (!entry) return FileError::NotOpen;
  if (entry->mode == OpenMode::Input) return FileError::WrongMode;
  if (bytes.size() >= kChunk) {
    // A whole file at once goes out as it is, after what waits before it.
    if (const FileError error = WritePending(*entry); error != FileError::None) return error;
    return entry->file->Write(bytes.data(), bytes.size());
  }
  entry->buffer += bytes;
  if (entry->buffer.size() >= kChunk) return WritePending(*entry);
  return FileError::None;
}

FileError FileLayer::Flush(int number) {
  Entry* entry = Find(number);
  if (!entry) return FileError::NotOpen;
  if (entry->mode == OpenMode::Input) return FileError::None;
  if (FileError error = WritePending(*entry); error != FileError::None) return error;
  return entry->file->Flush();
}

void FileLayer::Close(int number) {
  Entry* entry = Find(number);
  if (!entry) return;
  // A caller that needs to know whether its bytes reached the disk flushes
  // first; closing itself never fails.
  if (entry->mode != OpenMode::Input) WritePending(*entry);
  table_[static_cast<std::size_t>(number)].reset();
}

}  // namespace fendrel
