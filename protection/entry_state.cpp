#include "protection/entry_state.h"

#include <algorithm>
#include <unordered_set>

#include "protection/protection.h"
#include "protection/upper_case.h"

namespace fendrel {

namespace {

// The UTF-8 of a BMP code unit in `bytes`; its length.
std::size_t Utf8Of(char16_t unit, char (&bytes)[3]) {
  if (unit < 0x80) {
    bytes[0] = static_cast<char>(unit);
    return 1;
  }
  if (unit < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | (unit >> 6));
    bytes[1] = static_cast<char>(0x80 | (unit & 0x3F));
    return 2;
  }
  bytes[0] = static_cast<char>(0xE0 | (unit >> 12));
  bytes[1] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
  bytes[2] = static_cast<char>(0x80 | (unit & 0x3F));
  return 3;
}

// The BMP code unit of the two- or three-byte character at `at`, and its
// length; 0 when there is none (a character past the BMP, bytes that are
// not UTF-8).
std::size_t UnitAt(const std::string& text, std::size_t at, char16_t& unit) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const auto follows = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
  const unsigned lead = byte(at);
  if (lead >= 0xC2 && lead <= 0xDF && follows(at + 1)) {
    unit = static_cast<char16_t>(((lead & 0x1F) << 6) | (byte(at + 1) & 0x3F));
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF && follows(at + 1) && follows(at + 2)) {
    unit =
        static_cast<char16_t>(((lead & 0x0F) << 12) | ((byte(at + 1) & 0x3F) << 6) | (byte(at + 2) & 0x3F));
    if (unit >= 0x800 && (unit < 0xD800 || unit > 0xDFFF)) return 3;
  }
  return 0;
}

}  // namespace

std::string FileKey(const std::string& path) {
  std::string key = path;
  for (std::size_t at = 0; at < key.size();) {
    const char c = key[at];
    // Most paths are ASCII: no table for them.
    if (static_cast<unsigned char>(c) < 0x80) {
      if (c == '/') {
        key[at] = '\\';
      } else if (c >= 'a' && c <= 'z') {
        key[at] = static_cast<char>(c - 'a' + 'A');
      }
      ++at;
      continue;
    }
    // Characters past the BMP are two surrogates, which have no case;
    // bytes that are not UTF-8 stay as they are.
    char16_t unit = 0;
    const std::size_t length = UnitAt(key, at, unit);
    const char16_t upper = length == 0 ? unit : UpperCase(unit);
    if (upper == unit) {
      at += length == 0 ? 1 : length;
      continue;
    }
    char bytes[3];
    const std::size_t size = Utf8Of(upper, bytes);
    if (size == length) {
      std::copy(bytes, bytes + size, key.begin() + static_cast<std::ptrdiff_t>(at));
    } else {
      key.replace(at, length, bytes, size);  // a few capitals take fewer bytes than their small letter
    }
    at += size;
  }
  return key;
}

ListStates EntryStates(const Protection& protection) {
  // Every file an open hold keeps, through whichever entry took it.
  std::unordered_set<std::string> held;
  for (const std::string& path : protection.HeldPaths()) held.insert(FileKey(path));
  const int safeCount = protection.EntryCount(ListKind::Safe);
  const int emergencyCount = protection.EntryCount(ListKind::Emergency);

  ListStates states;
  states.safe.reserve(safeCount);
  std::unordered_set<std::string> safeFiles, safeFilesHeld, safeFolders;
  int folderFiles = 0, folderFilesHeld = 0;
  for (int i = 0; i < safeCount; ++i) {
    const std::string key = FileKey(protection.Path(ListKind::Safe, i));
    EntryState state;
    state.held = held.count(key) > 0;
    state.folder = protection.FolderCountsOf(ListKind::Safe, static_cast<std::size_t>(i));
    if (state.folder) state.held = state.held && state.folder->whole();
    if (!state.held) state.failure = protection.OutcomeOf(ListKind::Safe, i).value_or(FileError::Other);
    if (state.folder && safeFolders.insert(key).second) {
      folderFiles += state.folder->filesHeld + state.folder->filesNotHeld;
      folderFilesHeld += state.folder->filesHeld;
    } else if (!state.folder) {
      safeFiles.insert(key);
      if (state.held) safeFilesHeld.insert(key);
    }
    states.safe.push_back(std::move(state));
  }
  states.safeFiles = static_cast<int>(safeFiles.size()) + folderFiles;
  states.safeFilesHeld = static_cast<int>(safeFilesHeld.size()) + folderFilesHeld;

  states.emergency.reserve(emergencyCount);
  for (int i = 0; i < emergencyCount; ++i) {
    EntryState state;
    state.held = held.count(FileKey(protection.Path(ListKind::Emergency, i))) > 0;
    state.folder = protection.FolderCountsOf(ListKind::Emergency, static_cast<std::size_t>(i));
    if (state.folder) state.held = state.held && state.folder->whole();
    if (!state.held && state.folder) {
      state.failure = FileError::None;  // its tooltip gives the counts
    } else if (!state.held) {
      const std::optional<ListOutcome> outcome = protection.OutcomeOf(ListKind::Emergency, i);
      state.awaitsEmergency = !outcome;
      state.failure = outcome.value_or(FileError::None);
    }
    states.emergency.push_back(std::move(state));
  }
  return states;
}

}  // namespace fendrel
