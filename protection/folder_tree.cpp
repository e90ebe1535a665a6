#include "protection/folder_tree.h"

#include <algorithm>
#include <map>

#include "protection/entry_state.h"

namespace fendrel {

namespace {

// Waits that only more room ends: no timer tries them, a freed room does.
bool WaitsForRoom(ListOutcome why) {
  return why == ListReason::FolderLimit || why == FileError::NoResources;
}

}  // namespace

std::size_t FolderTree::KeyHash::operator()(const std::string& relative) const {
  return std::hash<std::string>()(FileKey(relative));
}

bool FolderTree::KeyEqual::operator()(const std::string& a, const std::string& b) const {
  return a.size() == b.size() ? a == b || FileKey(a) == FileKey(b) : FileKey(a) == FileKey(b);
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
    waiting_.erase(FileKey(relative));  // gone meanwhile: nothing to hold
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
  waiting_.erase(FileKey(relative));
  const std::string* stored = &*held_.insert(relative).first;
  holds_.push_back(Held{std::move(hold), stored, file});
  if (file) {
    ++filesHeld_;
    ++room_.filesHeld;
  }
}

void FolderTree::GiveBack(std::size_t count) {
  while (count > 0 && !holds_.empty()) {
    Held& last = holds_.back();
    Wait(*last.relative, FileError::NoResources, !last.file);
    if (last.file) {
      --filesHeld_;
      --room_.filesHeld;
      --count;
    }
    held_.erase(*last.relative);
    holds_.pop_back();
  }
}

bool FolderTree::Walk(FileSystem& files, std::size_t& names) {
  if (roomFreed_) {
    roomFreed_ = false;
    std::vector<Waiting> tried;
    for (const auto& [key, waiting] : waiting_) {
      if (WaitsForRoom(waiting.why)) tried.push_back(waiting);
    }
    for (const Waiting& waiting : tried) {
      Take(files, waiting.relative, waiting.folder ? FolderItem::Kind::Folder : FolderItem::Kind::File);
    }
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
    for (const Held& held : holds_) {
      if (!held.file) toList_.push_back(*held.relative);
    }
    return true;
  }
  const std::string relative = path.substr(root_.size() + 1);
  if (IsHeld(relative)) return false;  // held: it can neither go nor change
  const std::size_t waitingBefore = waiting_.size(), heldBefore = holds_.size(), listBefore = toList_.size();
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
  return waiting_.size() != waitingBefore || holds_.size() != heldBefore || toList_.size() != listBefore ||
         whyBefore != WhyNow();
}

bool FolderTree::Retry(FileSystem& files) {
  std::vector<Waiting> tried;
  for (const auto& [key, waiting] : waiting_) {
    if (!WaitsForRoom(waiting.why) && Heals(waiting.why)) tried.push_back(waiting);
  }
  bool changed = false;
  for (const Waiting& waiting : tried) {
    const std::size_t heldBefore = holds_.size();
    Take(files, waiting.relative, waiting.folder ? FolderItem::Kind::Folder : FolderItem::Kind::File);
    const auto now = waiting_.find(FileKey(waiting.relative));
    changed =
        changed || holds_.size() != heldBefore || now == waiting_.end() || !(now->second.why == waiting.why);
  }
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
