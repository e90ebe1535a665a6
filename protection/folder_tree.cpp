#include "protection/folder_tree.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "protection/entry_state.h"

namespace fendrel {

namespace {

// Waits that only more room ends: no timer tries them, a freed room does.
bool WaitsForRoom(ListOutcome why) {
  return why == ListReason::FolderLimit || why == FileError::NoResources;
}

}  // namespace

std::size_t FolderTree::KeyHash::operator()(std::string_view relative) const {
  // The hash of FileKey's bytes; an ASCII name, the most common, is folded
  // here without building its key.
  std::uint64_t hash = 14695981039346656037ULL;
  const auto mix = [&hash](char c) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  };
  if (std::all_of(relative.begin(), relative.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    for (const char c : relative)
      mix(c == '/' ? '\\' : (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c);
  } else {
    for (const char c : FileKey(std::string(relative))) mix(c);
  }
  return static_cast<std::size_t>(hash);
}

bool FolderTree::KeyEqual::operator()(std::string_view a, std::string_view b) const {
  return a == b || FileKey(std::string(a)) == FileKey(std::string(b));
}

std::string_view FolderTree::Stored(const std::string& relative) {
  constexpr std::size_t kBlock = 16384;
  if (relative.size() > nameRoom_) {
    nameSize_ = std::max(kBlock, relative.size());
    names_.push_back(std::make_unique<char[]>(nameSize_));
    nameRoom_ = nameSize_;
  }
  char* at = names_.back().get() + (nameSize_ - nameRoom_);
  std::copy(relative.begin(), relative.end(), at);
  nameRoom_ -= relative.size();
  return {at, relative.size()};
}

FolderTree::FolderTree(std::string root, FolderRoom& room) : root_(std::move(root)), room_(room) {
  while (root_.size() > 1 && (root_.back() == '\\' || root_.back() == '/')) root_.pop_back();
  toList_.emplace_back();
}

FolderTree::~FolderTree() {
  room_.filesHeld -= filesHeld_;
  if (filesHeld_ > 0) room_.systemFull = false;
}

std::string FolderTree::PathOf(const std::string& relative) const {
  return relative.empty() ? root_ : root_ + "\\" + relative;
}

void FolderTree::Wait(const std::string& relative, ListOutcome why, bool folder) {
  waiting_[FileKey(relative)] = Waiting{relative, why, folder};
}

void FolderTree::Take(FileSystem& files, const std::string& relative, FolderItem::Kind kind) {
  if (IsHeld(relative)) return;
  const bool file = kind == FolderItem::Kind::File;
  if (file && !room_.HasRoom()) {
    Keep(relative, kind, FileError::None, nullptr);
    return;
  }
  std::unique_ptr<OpenFile> hold;
  const FileError error =
      file ? files.Open(PathOf(relative), OpenMode::Input, hold) : files.HoldFolder(PathOf(relative), hold);
  Keep(relative, kind, error, std::move(hold));
}

void FolderTree::Keep(const std::string& relative, FolderItem::Kind kind, FileError error,
                      std::unique_ptr<OpenFile> hold) {
  const bool file = kind == FolderItem::Kind::File;
  // A subfolder is walked even when it cannot be held: its files may be.
  if (kind == FolderItem::Kind::Folder && error != FileError::NotFound) toList_.push_back(relative);
  if (error == FileError::NotFound) {
    if (!waiting_.empty()) waiting_.erase(FileKey(relative));  // gone meanwhile: nothing to hold
    return;
  }
  if (error == FileError::None && !hold) {  // no room was left to try
    Wait(relative, room_.systemFull ? ListOutcome(FileError::NoResources) : ListReason::FolderLimit, false);
    return;
  }
  if (error != FileError::None) {
    Wait(relative, error, !file);
    if (error == FileError::NoResources) {
      room_.systemFull = true;
      GiveBack(FolderRoom::kGivenBack);
    }
    return;
  }
  if (!waiting_.empty()) waiting_.erase(FileKey(relative));
  held_.emplace(Stored(relative), Held{std::move(hold), file});
  if (file) {
    ++filesHeld_;
    ++room_.filesHeld;
  }
}

void FolderTree::GiveBack(std::size_t count) {
  for (auto held = held_.begin(); count > 0 && held != held_.end();) {
    Wait(std::string(held->first), FileError::NoResources, !held->second.file);
    if (held->second.file) {
      --filesHeld_;
      --room_.filesHeld;
      --count;
    }
    held = held_.erase(held);
  }
}

template <typename Wanted>
bool FolderTree::TakeWaiting(FileSystem& files, Wanted wanted) {
  std::vector<Waiting> tried;  // taken out first: a take changes waiting_
  for (const auto& [key, waiting] : waiting_) {
    if (wanted(waiting.why)) tried.push_back(waiting);
  }
  bool changed = false;
  for (const Waiting& waiting : tried) {
    const std::size_t heldBefore = held_.size();
    Take(files, waiting.relative, waiting.folder ? FolderItem::Kind::Folder : FolderItem::Kind::File);
    const auto now = waiting_.find(FileKey(waiting.relative));
    changed =
        changed || held_.size() != heldBefore || now == waiting_.end() || !(now->second.why == waiting.why);
  }
  return changed;
}

bool FolderTree::Walk(FileSystem& files, std::size_t& names) {
  if (roomFreed_) {
    roomFreed_ = false;
    TakeWaiting(files, WaitsForRoom);
  }
  std::vector<FolderItem> items;
  while (!toList_.empty() && names > 0) {
    const std::string folder = std::move(toList_.front());
    toList_.pop_front();
    items.clear();
    const FileError listed = files.ListFolder(PathOf(folder), items);
    if (listed != FileError::None) {
      if (listed != FileError::NotFound) notRead_[FileKey(folder)] = {folder, listed};
      continue;
    }
    notRead_.erase(FileKey(folder));
    for (const FolderItem& item : items) {
      Take(files, folder.empty() ? item.name : folder + "\\" + item.name, item.kind);
    }
    names -= std::min(names, items.size() + 1);
  }
  return toList_.empty();
}

bool FolderTree::Changed(FileSystem& files, const std::string& path) {
  if (FileKey(path).size() <= FileKey(root_).size()) {
    // The root stands for changes that were lost: every folder is listed
    // again, and what is held already is passed over.
    toList_.emplace_back();
    for (const auto& [relative, held] : held_) {
      if (!held.file) toList_.emplace_back(relative);
    }
    return true;
  }
  const std::string relative = path.substr(root_.size() + 1);
  if (IsHeld(relative)) return false;  // held: it can neither go nor change
  const std::size_t waitingBefore = waiting_.size(), heldBefore = held_.size(), listBefore = toList_.size();
  const auto WhyNow = [this, &relative] {
    const auto found = waiting_.find(FileKey(relative));
    return found == waiting_.end() ? std::make_pair(false, ListOutcome())
                                   : std::make_pair(true, found->second.why);
  };
  const std::pair<bool, ListOutcome> whyBefore = WhyNow();
  // Opened as a file first; a folder answers so, and is held as one.
  std::unique_ptr<OpenFile> hold;
  const FileError asFile =
      room_.HasRoom() ? files.Open(PathOf(relative), OpenMode::Input, hold) : FileError::None;
  if (asFile == FileError::IsFolder) {
    Take(files, relative, FolderItem::Kind::Folder);
  } else {
    Keep(relative, FolderItem::Kind::File, asFile, std::move(hold));
  }
  return waiting_.size() != waitingBefore || held_.size() != heldBefore || toList_.size() != listBefore ||
         whyBefore != WhyNow();
}

bool FolderTree::Retry(FileSystem& files) {
  const bool changed = TakeWaiting(files, [](ListOutcome why) { return !WaitsForRoom(why) && Heals(why); });
  for (const auto& [key, folder] : notRead_) toList_.push_back(folder.first);
  return changed || !notRead_.empty();
}

void FolderTree::AddNotHeld(std::vector<NotHeld>& waiting) const {
  for (const auto& [key, item] : waiting_) {
    if (!WaitsForRoom(item.why) && Heals(item.why)) waiting.push_back({PathOf(item.relative), item.why});
  }
  for (const auto& [key, folder] : notRead_) waiting.push_back({PathOf(folder.first), folder.second});
}

FolderCounts FolderTree::counts() const {
  FolderCounts counts;
  counts.filesHeld = static_cast<int>(filesHeld_);
  counts.foldersNotRead = static_cast<int>(notRead_.size());
  counts.walked = toList_.empty();
  // Reasons in a stable order, so equal trees give equal counts.
  std::map<std::pair<bool, int>, std::pair<ListOutcome, int>> byWhy;
  for (const auto& [key, item] : waiting_) {
    if (!item.folder) ++counts.filesNotHeld;
    const ListOutcome why = item.why;
    auto& slot = byWhy[{why.isReason(),
                        why.isReason() ? static_cast<int>(why.reason()) : static_cast<int>(why.error())}];
    slot.first = why;
    ++slot.second;
  }
  for (const auto& [order, count] : byWhy) counts.notHeldWhy.push_back(count);
  return counts;
}

}  // namespace fendrel
