#include "platform/folder_watches_win.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/handles_win.h"
#include "platform/wide_text_win.h"

namespace fendrel {

namespace {

// A read's buffer: room for about a hundred names of ordinary length. A
// burst longer than that is reported as lost changes, and then every entry
// waiting on the folder is tried.
constexpr std::size_t kBufferWords = 1024;
// More names than this waiting to be taken are as good as lost.
constexpr std::size_t kMostNames = 256;

}  // namespace

struct FolderWatches::Watch {
  FolderWatches* owner = nullptr;
  std::string folder;
  UniqueHandle directory;
  OVERLAPPED overlapped{};
  std::vector<DWORD> buffer = std::vector<DWORD>(kBufferWords);  // DWORD-aligned, as the system wants
  bool reading = false;                                          // the system has a read of ours
  bool ending = false;
  bool ended = false;
  bool waiting = false;  // reported changes; asks again at AskAgain
  ULONGLONG lastReport = 0;
  Changes changes;
  bool changed = false;
};

FolderWatches::FolderWatches(DWORD filter, bool subtree) : filter_(filter), subtree_(subtree) {}

FolderWatches::~FolderWatches() {
  for (auto& [folder, watch] : watches_) End(std::move(watch));
  watches_.clear();
  // Each cancelled read completes; its routine must run before its buffer
  // goes, which takes an alertable wait of this thread.
  for (int tries = 0; tries < 100 && !ending_.empty(); ++tries) {
    SleepEx(tries == 0 ? 0 : 10, TRUE);
    DropEnded();
  }
  // A read the system never let go of keeps its memory: freed, a late
  // completion would write into another object.
  for (std::unique_ptr<Watch>& watch : ending_) static_cast<void>(watch.release());
}

bool FolderWatches::Ask(Watch& watch) {
  watch.overlapped = OVERLAPPED{};
  watch.overlapped.hEvent = &watch;  // unused by a read with a completion routine: it names the watch
  watch.reading = ReadDirectoryChangesW(watch.directory.get(), watch.buffer.data(),
                                        static_cast<DWORD>(watch.buffer.size() * sizeof(DWORD)),
                                        watch.owner->subtree_ ? TRUE : FALSE, watch.owner->filter_, nullptr,
                                        &watch.overlapped, &Completed) != 0;
  return watch.reading;
}

void CALLBACK FolderWatches::Completed(DWORD error, DWORD bytes, OVERLAPPED* overlapped) {
  Watch& watch = *static_cast<Watch*>(overlapped->hEvent);
  watch.reading = false;
  if (watch.ending) return;
  FolderWatches& owner = *watch.owner;
  if (error == ERROR_NOTIFY_ENUM_DIR || (error == ERROR_SUCCESS && bytes == 0)) {
    watch.changes.lost = true;  // more changes than the buffer holds
  } else if (error != ERROR_SUCCESS) {
    watch.ended = owner.anyEnded_ = true;  // the folder went, or became unreadable
    return;
  } else {
    const auto* at = reinterpret_cast<const unsigned char*>(watch.buffer.data());
    const unsigned char* const end = at + std::min<std::size_t>(bytes, watch.buffer.size() * sizeof(DWORD));
    for (;;) {
      const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(at);
      const std::wstring_view name(info->FileName, info->FileNameLength / sizeof(WCHAR));
      if (const std::optional<std::string> text = FromWide(name)) {
        watch.changes.names.push_back(*text);
      } else {
        watch.changes.lost = true;  // a name that is no text names no listed file, but which was it
      }
      if (info->NextEntryOffset == 0 || at + info->NextEntryOffset >= end) break;
      at += info->NextEntryOffset;
    }
    if (watch.changes.names.size() > kMostNames) watch.changes.lost = true;
    if (watch.changes.lost) watch.changes.names.clear();
  }
  watch.changed = owner.anyChanged_ = true;
  const ULONGLONG now = GetTickCount64();
  const bool busy = now - watch.lastReport < kQuietMs;
  watch.lastReport = now;
  if (busy) {
    watch.waiting = owner.anyWaiting_ = true;
  } else if (!Ask(watch)) {
    watch.ended = owner.anyEnded_ = true;
  }
}

bool FolderWatches::AskAgain() {
  if (!anyWaiting_) return false;
  anyWaiting_ = false;
  for (auto& [folder, watch] : watches_) {
    if (!watch || !watch->waiting) continue;
    watch->waiting = false;
    if (!Ask(*watch)) watch->ended = anyEnded_ = true;
  }
  return true;
}

void FolderWatches::End(std::unique_ptr<Watch> watch) {
  if (!watch) return;
  watch->ending = true;
  if (!watch->reading) return;  // nothing of the system's: it goes now
  CancelIoEx(watch->directory.get(), &watch->overlapped);
  ending_.push_back(std::move(watch));
}

void FolderWatches::DropEnded() {
  ending_.erase(std::remove_if(ending_.begin(), ending_.end(),
                               [](const std::unique_ptr<Watch>& watch) { return !watch->reading; }),
                ending_.end());
}

void FolderWatches::Want(const std::vector<std::string>& folders) {
  DropEnded();
  std::unordered_map<std::string, std::unique_ptr<Watch>> kept;
  kept.reserve(folders.size());
  toOpen_.clear();
  unwatched_ = 0;
  for (const std::string& folder : folders) {
    if (kept.count(folder)) continue;
    const auto old = watches_.find(folder);
    // A watch still to begin (null) is begun anew, as is one that ended.
    if (old != watches_.end() && old->second && !old->second->ended) {
      kept.emplace(folder, std::move(old->second));
    } else {
      kept.emplace(folder, nullptr);
      toOpen_.push_back(folder);
    }
  }
  for (auto& [folder, watch] : watches_) End(std::move(watch));  // those no longer wanted
  watches_ = std::move(kept);
  std::reverse(toOpen_.begin(), toOpen_.end());  // begun in the order given
}

bool FolderWatches::OpenSome(std::size_t most) {
  for (; most > 0 && !toOpen_.empty(); --most) {
    const std::string folder = std::move(toOpen_.back());
    toOpen_.pop_back();
    auto watch = std::make_unique<Watch>();
    watch->owner = this;
    watch->folder = folder;
    watch->changes.folder = folder;
    if (const std::optional<std::wstring> name = ToWidePath(folder)) {
      watch->directory = UniqueHandle(CreateFileW(
          name->c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    }
    if (!watch->directory || !Ask(*watch)) {
      ++unwatched_;
      watches_.erase(folder);
      continue;
    }
    watches_[folder] = std::move(watch);
  }
  return toOpen_.empty();
}

std::vector<FolderWatches::Changes> FolderWatches::TakeChanges(bool& ended) {
  std::vector<Changes> taken;
  if (anyChanged_) {
    for (auto& [folder, watch] : watches_) {
      if (!watch || !watch->changed) continue;
      taken.push_back(std::move(watch->changes));
      watch->changes = Changes{folder, {}, false};
      watch->changed = false;
    }
    anyChanged_ = false;
  }
  if (anyEnded_) {
    ended = true;
    for (auto it = watches_.begin(); it != watches_.end();) {
      if (it->second && it->second->ended) {
        End(std::move(it->second));
        it = watches_.erase(it);
      } else {
        ++it;
      }
    }
    anyEnded_ = false;
  }
  return taken;
}

}  // namespace fendrel
